#!/usr/bin/env bash
# Builds the load, image, action and ABC fuzzers in <builddir> and runs each
# for [seconds] (default 60), seeded with every movie of the shared corpus
# and with the image tags, action blocks and ActionScript 3 blocks in them.
# Exits non-zero on any finding (crash,
# sanitizer report, timeout or memory blow-up); the input that caused it is
# left in <builddir>/fuzz-artifacts.
set -euo pipefail

usage="usage: $0 <builddir> [seconds]"
build=${1:?$usage}
seconds=${2:-60}
root=$(cd "$(dirname "$0")/.." && pwd)
corpus=${TINTOR_CORPUS_DIR:-$root/../shared/corpus}

cmake -S "$root" -B "$build" -G Ninja \
  -DCMAKE_CXX_COMPILER=clang++-14 -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DTINTOR_FUZZ=ON -DTINTOR_GUI=OFF -DTINTOR_TESTS=OFF -DTINTOR_BENCH=OFF >/dev/null
ninja -C "$build" -j2 load_fuzzer image_fuzzer action_fuzzer abc_fuzzer

seeds=$build/fuzz-seeds
found=$build/fuzz-corpus
artifacts=$build/fuzz-artifacts
rm -rf "$seeds"
mkdir -p "$seeds" "$found" "$artifacts"
n=0
while IFS= read -r -d '' movie; do
  n=$((n + 1))
  cp "$movie" "$seeds/seed-$n.swf"
  # Compressed movies are also given inflated, so that mutations reach the
  # tag readers rather than stopping in the inflater.
  if [ "$(head -c 3 "$movie")" = "CWS" ] && command -v python3 >/dev/null; then
    python3 - "$movie" "$seeds/seed-$n-plain.swf" <<'PY' || true
import sys, zlib
data = open(sys.argv[1], 'rb').read()
body = zlib.decompressobj().decompress(data[8:])
open(sys.argv[2], 'wb').write(b'F' + data[1:8] + body)
PY
  fi
done < <(find "$corpus" -type f -iname '*.swf' -print0)
echo "run-fuzz: $n seed movies from $corpus, $seconds s"

"$build/fuzz/load_fuzzer" "$found" "$seeds" \
  -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=65536 \
  -print_final_stats=1 -artifact_prefix="$artifacts/"

# Image tags alone, for the decoders, seeded with the image tags of the
# corpus's movies: a byte naming the tag (as the fuzzer reads it), the body;
# a DefineBits with the movie's JPEGTables in front, as the fuzzer takes it.
images=$build/fuzz-images
mkdir -p "$images"
if command -v python3 >/dev/null; then
  python3 "$root/scripts/fuzz_seeds.py" images "$seeds" "$images" || true
fi
"$build/fuzz/image_fuzzer" "$images" \
  -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=65536 \
  -print_final_stats=1 -artifact_prefix="$artifacts/image-"

# DoAction blocks alone, for the action readers and the colour pass: a byte
# choosing the tag that holds the block and the movie's version, the actions.
actions=$build/fuzz-actions
mkdir -p "$actions"
if command -v python3 >/dev/null; then
  python3 "$root/scripts/fuzz_seeds.py" actions "$seeds" "$actions" || true
fi
"$build/fuzz/action_fuzzer" "$actions" \
  -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=65536 \
  -print_final_stats=1 -artifact_prefix="$artifacts/action-"

# ActionScript 3 blocks alone, for the ABC readers and the stack walk, seeded
# with the ABC files of the corpus's DoABC tags (72, and 82 less its flags
# and name).
blocks=$build/fuzz-abc
mkdir -p "$blocks"
if command -v python3 >/dev/null; then
  python3 "$root/scripts/fuzz_seeds.py" abc "$seeds" "$blocks" || true
fi
"$build/fuzz/abc_fuzzer" "$blocks" \
  -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=262144 \
  -print_final_stats=1 -artifact_prefix="$artifacts/abc-"
