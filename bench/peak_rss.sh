#!/usr/bin/env bash
# Peak resident memory of quorvex-convert: a 1000x800 GIF of 150 frames against the same GIF of
# 1200 frames (the goal: within 1.2x), and a GIF of a few hundred bytes with a 16384x16384 screen
# and 10 small frames at several job counts (the goal: at most the memory limit).
#
# Usage: bench/peak_rss.sh [CONVERTER]   (default out/release/cli/quorvex-convert)
# The long GIFs repeat the frames of out/bench-gifs/noise-large.gif (bench/make_bench_gifs.py).
set -euo pipefail
cd "$(dirname "$0")/.."

converter=${1:-out/release/cli/quorvex-convert}
gifs=out/bench-gifs
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
[[ -x "$converter" ]] || { echo "no converter at $converter (build the release preset)" >&2; exit 1; }
if [[ ! -f $gifs/noise-large.gif ]]; then
  /usr/bin/python3 bench/make_bench_gifs.py "$gifs"
fi

/usr/bin/python3 - "$gifs/noise-large.gif" "$work" <<'PY'
import importlib.util, struct, sys

def blocks(data, at):
    """Skips a chain of sub-blocks; returns the offset after its terminator."""
    while data[at]:
        at += data[at] + 1
    return at + 1

source, folder = sys.argv[1], sys.argv[2]
data = open(source, "rb").read()
at = 13 + (3 << ((data[10] & 7) + 1) if data[10] & 0x80 else 0)
head, frames, pending = data[:at], [], b""
while data[at] != 0x3B:
    if data[at] == 0x21:  # extension: kept with the image that follows
        end = blocks(data, at + 2)
        pending += data[at:end]
    else:  # image: descriptor, local table, code size, data
        packed = data[at + 9]
        start = at + 10 + (3 << ((packed & 7) + 1) if packed & 0x80 else 0) + 1
        end = blocks(data, start)
        frames.append(pending + data[at:end])
        pending = b""
    at = end
for count in (150, 1200):
    with open(f"{folder}/frames{count}.gif", "wb") as out:
        out.write(head + b"".join(frames[i % len(frames)] for i in range(count)) + b"\x3b")

# 16384 x 16384 screen, two colours, ten 24 x 24 frames of colour 1 spread over it, compressed by
# the test files' LZW encoder.
spec = importlib.util.spec_from_file_location("test_gifs", "scripts/make-test-gifs.py")
test_gifs = importlib.util.module_from_spec(spec)
spec.loader.exec_module(test_gifs)
gif = b"GIF89a" + struct.pack("<HHBBB", 16384, 16384, 0x80, 0, 0) + b"\x00\x00\x00\xff\xff\xff"
for n in range(10):
    gif += b"\x21\xf9\x04\x04\x0a\x00\x00\x00"
    gif += b"\x2c" + struct.pack("<HHHHB", 1600 * n, 1600 * n, 24, 24, 0) + b"\x02"
    gif += test_gifs.sub_blocks(test_gifs.lzw_encode([1] * 24 * 24, 2))
gif += b"\x3b"
open(f"{folder}/hostile.gif", "wb").write(gif)
PY

peak() {  # peak resident memory in MiB of the converter run with the arguments given
  /usr/bin/time -f %M "$converter" -q -o "$work" "$@" 2>&1 >/dev/null | tail -1 |
    awk '{ printf "%.0f", $1 / 1024 }'
}
printf '%-34s %10s\n' case "peak RSS"
short=$(peak "$work/frames150.gif")
long=$(peak "$work/frames1200.gif")
printf '%-34s %7s MiB\n' "1000x800, 150 frames" "$short" "1000x800, 1200 frames" "$long"
awk -v s="$short" -v l="$long" 'BEGIN { printf "%-34s %10.2f  (goal <= 1.2)\n", "ratio", l / s }'
printf '%-34s %s bytes\n' "16384x16384 x 10 frames GIF" "$(stat -c %s "$work/hostile.gif")"
for jobs in 1 2 8; do
  printf '%-34s %7s MiB\n' "  -j $jobs" "$(peak -j "$jobs" "$work/hostile.gif")"
done
