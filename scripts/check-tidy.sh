#!/usr/bin/env bash
# Runs clang-tidy (.clang-tidy: the bug-prone and performance checks and the naming rules) over
# every source of the programs, libraries, benchmarks and fuzz targets in the dev build's
# compile database, one process per core; any warning fails. Tests are not checked.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
database=out/dev
[[ -f "$database/compile_commands.json" ]] || {
  echo "check-tidy: no $database/compile_commands.json; configure the dev preset first" >&2
  exit 1
}
start=$(date +%s)
if ! output=$(run-clang-tidy -clang-tidy-binary clang-tidy -quiet -p "$database" -j "$(nproc)" \
  "^$root/(app|bench|cli|fuzz|image|support|swf)/" 2>&1); then
  grep -E "(warning|error):" <<<"$output" | sort -u >&2 || echo "$output" >&2
  echo "clang-tidy: failed" >&2
  exit 1
fi
files=$(grep -c "^clang-tidy " <<<"$output" || true)
echo "clang-tidy: $files files clean in $(($(date +%s) - start)) s"
