#!/usr/bin/env bash
# Whole-process costs of tintor-cli against zlib alone on the same files,
# on movies this script generates:
#   colours  of 200 / 20,000 / 200,000 / 2,000,000 distinct colours
#            against a bare inflate of the same file
#   shift    of a 3.3 MB edge-heavy movie and a 3 MB movie of 858,000 colours
#            against inflate + level-6 deflate + write of the same body
# Each pair runs alternately, A B A B ..., after one warm-up; the ratio is
# taken pair by pair and its median printed, with the medians of wall time
# and of peak memory (/usr/bin/time's maximum resident set size).
#   bench/whole_process.sh [BUILD_DIR] [RUNS]
# BUILD_DIR (default build-release) is configured and built as a Release
# build when it lacks the programs.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${1:-$root/build-release}
runs=${2:-9}

if [ ! -x "$build/tintor-cli" ] || [ ! -x "$build/bench/tintor-bench-movie" ] || [ ! -x "$build/bench/tintor-bench-zlib" ]; then
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTINTOR_GUI=OFF -DTINTOR_TESTS=OFF >/dev/null
  cmake --build "$build" --target tintor-cli tintor-bench-movie tintor-bench-zlib >/dev/null
fi
cli=$build/tintor-cli
zlib=$build/bench/tintor-bench-zlib

work=$(mktemp -d "${TMPDIR:-/tmp}/tintor-whole-XXXXXX")
trap 'rm -rf "$work"' EXIT

for shapes in 2 200 2000 20000; do
  "$build/bench/tintor-bench-movie" colours "$shapes" "$work/colours-$((shapes * 100)).swf"
done
"$build/bench/tintor-bench-movie" colours 8580 "$work/colours-858000.swf"
"$build/bench/tintor-bench-movie" edges 460 "$work/edges.swf"

# One run: wall seconds and peak resident kB, on one line.
measure() {
  local start end
  start=$EPOCHREALTIME
  /usr/bin/time -f %M -o "$work/rss" "$@" >/dev/null 2>"$work/err" || { cat "$work/err" >&2; exit 1; }
  end=$EPOCHREALTIME
  awk -v s="$start" -v e="$end" -v m="$(cat "$work/rss")" 'BEGIN { print e - s, m }'
}

median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

# compare LABEL "COMMAND A" "COMMAND B"
compare() {
  local label=$1 a=$2 b=$3 i ra rb
  read -r -a cmd_a <<<"$a"
  read -r -a cmd_b <<<"$b"
  measure "${cmd_a[@]}" >/dev/null
  measure "${cmd_b[@]}" >/dev/null
  : >"$work/pairs"
  for ((i = 0; i < runs; i++)); do
    ra=$(measure "${cmd_a[@]}")
    rb=$(measure "${cmd_b[@]}")
    echo "$ra $rb" >>"$work/pairs"
  done
  local ratio wa wb ma mb
  ratio=$(awk '{ print $1 / $3 }' "$work/pairs" | median)
  wa=$(awk '{ print $1 }' "$work/pairs" | median)
  wb=$(awk '{ print $3 }' "$work/pairs" | median)
  ma=$(awk '{ print $2 / 1024 }' "$work/pairs" | median)
  mb=$(awk '{ print $4 / 1024 }' "$work/pairs" | median)
  printf '%-34s %7.2f  %8.3f s %8.3f s  %8.1f MiB %8.1f MiB\n' "$label" "$ratio" "$wa" "$wb" "$ma" "$mb"
}

printf '%-34s %7s  %10s %10s  %12s %12s\n' "" "A/B" "A wall" "B wall" "A peak" "B peak"
for n in 200 20000 200000 2000000; do
  compare "colours $n / inflate" "$cli colours $work/colours-$n.swf" "$zlib inflate $work/colours-$n.swf"
done
for movie in edges colours-858000; do
  compare "shift $movie / inflate+deflate+write" \
    "$cli shift $work/$movie.swf --all --hue 50 -o $work/out.swf" \
    "$zlib recompress $work/$movie.swf $work/base.swf"
done
echo "body bytes (FileLength): $(for f in "$work"/colours-2000000.swf "$work"/colours-858000.swf "$work"/edges.swf; do
  od -An -tu4 -j4 -N4 "$f" | tr -d ' '; done | paste -sd' ')"

# Batches across cores and palettes at scale:
#   a batch of 40 movies of 200,000 colours, shift --jobs 2 against --jobs 1
#   map --palette of 1,000,000 colours: a movie of 2,000,000 colours against
#   one of 100
mkdir -p "$work/batch"
batch=()
for i in $(seq -w 1 40); do
  cp "$work/colours-200000.swf" "$work/batch/m$i.swf"
  batch+=("$work/batch/m$i.swf")
done
for jobs in 1 2; do
  printf -v "batch_jobs$jobs" '%s' "$cli shift ${batch[*]} --all --hue 50 --jobs $jobs --out-dir $work/batch-out$jobs"
done
compare "batch of 40, --jobs 2 / --jobs 1" "$batch_jobs2" "$batch_jobs1"
"$build/bench/tintor-bench-movie" colours 1 "$work/colours-100.swf"
awk 'BEGIN { print "GIMP Palette"; srand(3); for (i = 0; i < 1000000; i++)
  printf "%d %d %d\n", int(rand() * 256), int(rand() * 256), int(rand() * 256) }' >"$work/palette-1m.gpl"
compare "map 1M palette: 2M / 100 colours" \
  "$cli map $work/colours-2000000.swf --palette $work/palette-1m.gpl -o $work/out.swf" \
  "$cli map $work/colours-100.swf --palette $work/palette-1m.gpl -o $work/out.swf"
