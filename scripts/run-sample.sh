#!/usr/bin/env bash
# First run on a fresh Debian 12 machine: installs what is missing, builds the optimised
# command-line converter and turns examples/sample.gif into out/sample/sample.swf, printing the
# converter's summary line.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
cmake --preset release >/dev/null
cmake --build --preset release --target quorvex-convert
mkdir -p out/sample
out/release/cli/quorvex-convert --output-dir out/sample examples/sample.gif
