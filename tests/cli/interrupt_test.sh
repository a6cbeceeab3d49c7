#!/usr/bin/env bash
# Interrupts quorvex-convert with SIGINT, SIGTERM and SIGKILL at several moments of a conversion
# and of a sequence export over an earlier movie and export of the same name, and checks that the
# output folder then holds finished outputs only: the earlier movie as it was or the new one
# whole; each frame file the earlier one or the new one (for SIGINT and SIGTERM all earlier or all
# new); no other file. Run by ctest: interrupt_test.sh CONVERTER
set -euo pipefail
converter=$1
work=$(mktemp -d)
# A signal sent at once can reach the converter's forked shell before it execs, while it still
# holds this trap: only the script itself may remove the folder.
script=$BASHPID
trap '[[ $BASHPID != "$script" ]] || rm -rf "$work"' EXIT

# Two GIFs named clip.gif: the one converted now, and a different one that made the earlier
# outputs.
mkdir "$work/earlier"
/usr/bin/python3 - "$work" <<'PY'
import random, sys
from PIL import Image
def clip(path, frames, seed):
    rng = random.Random(seed)
    images = [Image.frombytes("P", (320, 240), rng.randbytes(320 * 240)) for _ in range(frames)]
    for image in images:
        image.putpalette(list(rng.randbytes(768)))
    images[0].save(path, save_all=True, append_images=images[1:], duration=100, loop=0)
clip(sys.argv[1] + "/clip.gif", 40, 1)
clip(sys.argv[1] + "/earlier/clip.gif", 30, 2)
PY

options=(-q -j 2 -s 1600x1400)
mkdir "$work/old" "$work/new"
for folder in old new; do
  gif=$([[ $folder == old ]] && echo "$work/earlier/clip.gif" || echo "$work/clip.gif")
  "$converter" "${options[@]}" -o "$work/$folder" "$gif"
  "$converter" "${options[@]}" -o "$work/$folder" --export bmp "$gif"
done

failures=0
trials=0
check() {  # check SIGNAL DELAY WHAT: the trial folder after the interruption
  local signal=$1 delay=$2 what=$3 trial=$work/trial name rel old new
  local olds=0 news=0
  while IFS= read -r name; do
    rel=${name#"$trial"/}
    old=$work/old/$rel new=$work/new/$rel
    if [[ -d $name ]]; then
      [[ -d $old ]] && continue
    elif [[ -f $old ]] && cmp -s "$name" "$old"; then
      [[ $rel == *.bmp ]] && olds=$((olds + 1))
      continue
    elif [[ -f $new ]] && cmp -s "$name" "$new"; then
      [[ $rel == *.bmp ]] && news=$((news + 1))
      continue
    fi
    echo "FAIL: $what, $signal after ${delay}s: $rel is neither a finished earlier nor new output"
    failures=$((failures + 1))
  done < <(find "$trial" -mindepth 1)
  if [[ $signal != KILL && $olds -gt 0 && $news -gt 0 ]]; then
    echo "FAIL: $what, $signal after ${delay}s: $olds earlier and $news new frames mixed"
    failures=$((failures + 1))
  fi
  trials=$((trials + 1))
}

for what in movie export; do
  for signal in INT TERM KILL; do
    for delay in 0 0.1 0.4 1.2; do
      rm -rf "$work/trial"
      cp -a "$work/old" "$work/trial"
      args=(-o "$work/trial")
      [[ $what == export ]] && args+=(--export bmp)
      "$converter" "${options[@]}" "${args[@]}" "$work/clip.gif" &
      pid=$!
      sleep "$delay"
      kill -s "$signal" "$pid" 2>/dev/null || true
      wait "$pid" 2>/dev/null || true
      check "$signal" "$delay" "$what"
    done
  done
done
echo "$trials interruptions, $failures with files left behind"
[[ $failures -eq 0 ]]
