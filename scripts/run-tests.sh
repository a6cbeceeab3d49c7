#!/usr/bin/env bash
# Installs what is missing, builds the sanitizer build and runs every test, then
# checks the formatting of every C++ file.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
cmake --preset dev >/dev/null
cmake --build --preset dev
ctest --preset dev
bash scripts/check-format.sh
