#!/usr/bin/env bash
# Fails, listing the files, when a C++ source differs from what clang-format
# makes of it.
set -euo pipefail
cd "$(dirname "$0")/.."
format=${CLANG_FORMAT:-clang-format-14}
bad=()
while IFS= read -r f; do
  "$format" --dry-run --Werror "$f" >/dev/null 2>&1 || bad+=("$f")
done < <(git ls-files '*.cpp' '*.h')
if ((${#bad[@]})); then
  printf 'not formatted (run %s -i on them):\n' "$format" >&2
  printf '  %s\n' "${bad[@]}" >&2
  exit 1
fi
