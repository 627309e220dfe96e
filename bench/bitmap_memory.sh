#!/usr/bin/env bash
# Peak memory of `tintor-cli shift --bitmaps` on a movie of twenty
# 2048 x 2048 photographs against a movie of one: images are decoded,
# shifted and encoded one at a time, keeping only the encoded bytes, so the
# peak follows the largest image rather than the sum of all (the goal is a
# ratio of at most 1.3). Each movie runs RUNS times after a warm-up; the
# medians of peak resident memory (/usr/bin/time's maximum resident set
# size) and of wall time are printed, and the ratio of the peaks.
#   bench/bitmap_memory.sh [BUILD_DIR] [RUNS]
# BUILD_DIR (default build-release) is configured and built as a Release
# build when it lacks the programs.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${1:-$root/build-release}
runs=${2:-5}

if [ ! -x "$build/tintor-cli" ] || [ ! -x "$build/bench/tintor-bench-movie" ]; then
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTINTOR_GUI=OFF -DTINTOR_TESTS=OFF >/dev/null
  cmake --build "$build" --target tintor-cli tintor-bench-movie >/dev/null
fi
cli=$build/tintor-cli

work=$(mktemp -d "${TMPDIR:-/tmp}/tintor-bitmaps-XXXXXX")
trap 'rm -rf "$work"' EXIT
for n in 1 20; do
  "$build/bench/tintor-bench-movie" images "$n" "$work/images-$n.swf"
done

median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

# run N: "wall-seconds peak-KiB" per line, RUNS lines.
run() {
  local n=$1 i start end
  /usr/bin/time -f %M -o "$work/rss" "$cli" shift "$work/images-$n.swf" --bitmaps --value -30 -o "$work/out.swf" 2>/dev/null
  for ((i = 0; i < runs; i++)); do
    start=$EPOCHREALTIME
    /usr/bin/time -f %M -o "$work/rss" "$cli" shift "$work/images-$n.swf" --bitmaps --value -30 -o "$work/out.swf" \
      2>"$work/err" || { cat "$work/err" >&2; exit 1; }
    end=$EPOCHREALTIME
    awk -v s="$start" -v e="$end" -v m="$(cat "$work/rss")" 'BEGIN { print e - s, m }'
  done
}

run 1 >"$work/one"
run 20 >"$work/twenty"
one=$(awk '{ print $2 }' "$work/one" | median)
twenty=$(awk '{ print $2 }' "$work/twenty" | median)
printf '%-36s %10s %10s\n' "" "peak" "wall"
printf '%-36s %7.1f MiB %8.2f s\n' "shift --bitmaps, 1 image" "$(awk -v k="$one" 'BEGIN { print k / 1024 }')" \
  "$(awk '{ print $1 }' "$work/one" | median)"
printf '%-36s %7.1f MiB %8.2f s\n' "shift --bitmaps, 20 images" "$(awk -v k="$twenty" 'BEGIN { print k / 1024 }')" \
  "$(awk '{ print $1 }' "$work/twenty" | median)"
printf 'peak ratio 20 / 1: %.2f (goal <= 1.3)\n' "$(awk -v a="$twenty" -v b="$one" 'BEGIN { print a / b }')"
echo "movie bytes: $(stat -c %s "$work/images-1.swf") / $(stat -c %s "$work/images-20.swf")"
