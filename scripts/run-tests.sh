#!/usr/bin/env bash
# Installs what is missing, builds the sanitizer build and runs every test while clang-tidy
# checks the sources on the other core, then checks the formatting of every C++ file.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
cmake --preset dev >/dev/null
cmake --build --preset dev
tidy_log=out/dev/check-tidy.log
setsid bash scripts/check-tidy.sh >"$tidy_log" 2>&1 &
tidy=$!
trap 'kill -- "-$tidy" 2>/dev/null || true' EXIT
ctest --preset dev
tidy_status=0
wait "$tidy" || tidy_status=$?
trap - EXIT
cat "$tidy_log"
((tidy_status == 0))
bash scripts/check-format.sh
