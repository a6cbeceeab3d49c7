#!/usr/bin/env bash
# Times quorvex-convert against ffmpeg on the benchmark GIFs (both kinds: gradients and
# photo-like noise), at the original size, twice it and half of it, running the two alternately
# so that both see the same machine load. Prints the median wall time of each and their ratio;
# the goal is a ratio of at most 0.5 on every row.
#
# Usage: bench/compare_ffmpeg.sh [RUNS] [CONVERTER]
#   RUNS       runs of each program per case (default 5)
#   CONVERTER  the quorvex-convert to time (default out/release/cli/quorvex-convert)
# The GIFs are made once by bench/make_bench_gifs.py into out/bench-gifs/.
set -euo pipefail
cd "$(dirname "$0")/.."

runs=${1:-5}
converter=${2:-out/release/cli/quorvex-convert}
gifs=out/bench-gifs
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

[[ -x "$converter" ]] || { echo "no converter at $converter (build the release preset)" >&2; exit 1; }
command -v ffmpeg >/dev/null || { echo "ffmpeg is missing (scripts/install-deps.sh)" >&2; exit 1; }
if [[ ! -f $gifs/noise-large.gif ]]; then
  /usr/bin/python3 bench/make_bench_gifs.py "$gifs"
fi

source bench/timing.sh

printf '%-14s %-9s %-10s %10s %10s %7s  %s\n' case size pixels quorvex ffmpeg ratio goal
failed=0
for name in small medium large noise-small noise-medium noise-large; do
  gif=$gifs/$name.gif
  IFS=x read -r width height < <(ffprobe -v error -select_streams v:0 -show_entries stream=width,height \
    -of csv=p=0:s=x "$gif")
  for size in original double half; do
    case $size in
      original) w=$width h=$height ;;
      double) w=$((width * 2)) h=$((height * 2)) ;;
      half) w=$((width / 2)) h=$((height / 2)) ;;
    esac
    : >"$work/q" && : >"$work/f"
    for ((run = 0; run < runs; run++)); do
      seconds "$converter" -q -s "$size" -o "$work" "$gif" >>"$work/q"
      seconds ffmpeg -v error -y -i "$gif" -vf "scale=$w:$h:flags=bicubic" -c:v mjpeg -q:v 5 \
        "$work/ffmpeg.swf" >>"$work/f"
    done
    q=$(median <"$work/q")
    f=$(median <"$work/f")
    ratio=$(awk -v q="$q" -v f="$f" 'BEGIN { printf "%.3f", q / f }')
    verdict=met
    if awk -v r="$ratio" 'BEGIN { exit !(r > 0.5) }'; then verdict=MISSED failed=1; fi
    printf '%-14s %-9s %-10s %9.3fs %9.3fs %7.3f  %s\n' "$name" "$size" "${w}x$h" "$q" "$f" \
      "$ratio" "$verdict"
  done
done
exit $failed
