#!/usr/bin/env bash
# Runs clang-tidy (.clang-tidy: the naming rules and a few bug checks) over every source of the
# programs, libraries, benchmarks and fuzz targets in the dev build's compile database, one
# process per core; any warning fails. With --tests it also checks the tests' names
# (tests/.clang-tidy); the test command leaves that out, as parsing gtest and Qt Test for every
# test file would add about a minute to each run.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
database=out/dev
folders="app|bench|cli|fuzz|image|support|swf"
if [[ ${1:-} == --tests ]]; then
  folders+="|tests"
elif [[ $# -gt 0 ]]; then
  echo "usage: check-tidy.sh [--tests]" >&2
  exit 2
fi
[[ -f "$database/compile_commands.json" ]] || {
  echo "check-tidy: no $database/compile_commands.json; configure the dev preset first" >&2
  exit 1
}
start=$(date +%s)
if ! output=$(run-clang-tidy -clang-tidy-binary clang-tidy -quiet -p "$database" -j "$(nproc)" \
  "^$root/($folders)/" 2>&1); then
  grep -E "(warning|error):" <<<"$output" | sort -u >&2 || echo "$output" >&2
  echo "clang-tidy: failed" >&2
  exit 1
fi
files=$(grep -c "^clang-tidy " <<<"$output" || true)
echo "clang-tidy: $files files clean in $(($(date +%s) - start)) s"
