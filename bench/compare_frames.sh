#!/usr/bin/env bash
# Times quorvex-convert's frame forms against each other on the benchmark GIFs: jpeg (the
# default), lossless and auto, at the original size, and prints the median wall time of each, its
# ratio to jpeg's and the movie's size. The goal is a ratio of at most 1.5 for lossless and auto.
#
# Usage: bench/compare_frames.sh [RUNS] [CONVERTER] [GIF...]
#   RUNS       runs of each form per GIF (default 5)
#   CONVERTER  the quorvex-convert to time (default out/release/cli/quorvex-convert)
#   GIF...     the GIFs (default: out/bench-gifs/{,noise-}{small,medium,large}.gif, made by
#              bench/make_bench_gifs.py)
set -euo pipefail
cd "$(dirname "$0")/.."

runs=${1:-5}
converter=${2:-out/release/cli/quorvex-convert}
shift $(($# > 2 ? 2 : $#))
gifs=("$@")
if ((${#gifs[@]} == 0)); then
  [[ -f out/bench-gifs/noise-large.gif ]] || /usr/bin/python3 bench/make_bench_gifs.py out/bench-gifs
  for name in small medium large noise-small noise-medium noise-large; do
    gifs+=("out/bench-gifs/$name.gif")
  done
fi
[[ -x "$converter" ]] || { echo "no converter at $converter (build the release preset)" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

source bench/timing.sh

printf '%-22s %-9s %9s %7s %12s\n' gif frames time ratio bytes
failed=0
for gif in "${gifs[@]}"; do
  name=$(basename "$gif" .gif)
  jpeg=
  for form in jpeg lossless auto; do
    : >"$work/t"
    for ((run = 0; run < runs; run++)); do
      seconds "$converter" -q --frames "$form" -o "$work" "$gif" >>"$work/t"
    done
    t=$(median <"$work/t")
    [[ $form == jpeg ]] && jpeg=$t
    ratio=$(awk -v t="$t" -v j="$jpeg" 'BEGIN { printf "%.2f", t / j }')
    if [[ $form != jpeg ]] && awk -v r="$ratio" 'BEGIN { exit !(r > 1.5) }'; then failed=1; fi
    printf '%-22s %-9s %8.3fs %7s %12d\n' "$name" "$form" "$t" "$ratio" \
      "$(stat -c %s "$work/$name.swf")"
  done
done
exit $failed
