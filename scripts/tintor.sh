#!/usr/bin/env bash
# Set-up, build, run and test in one place; every step can be repeated.
#   scripts/tintor.sh run       install what is missing, build, open the sample movie
#   scripts/tintor.sh test      install what is missing, build, run every test
#   scripts/tintor.sh sanitize  build and run every test with ASan and UBSan
#   scripts/tintor.sh install [PREFIX]  build and install tintor, tintor-cli, the
#                               player, translations, menu entry and icon under
#                               PREFIX (default /usr/local)
#   scripts/tintor.sh deps      only install what is missing
# TINTOR_WERROR=ON makes every compiler warning an error (CI sets it).
# TINTOR_CORPUS_DIR names the folder of real movies the tests read (default:
# ../shared/corpus beside this checkout); without it those tests skip.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${TINTOR_BUILD_DIR:-$root/build}
jobs=${TINTOR_JOBS:-$(nproc)}

packages=(
  cmake ninja-build g++ pkg-config
  zlib1g-dev libdeflate-dev liblzma-dev libturbojpeg0-dev libpng-dev libgif-dev libgtest-dev libgmock-dev libbenchmark-dev libcli11-dev nlohmann-json3-dev libabsl-dev
  clang-14 libclang-rt-14-dev clang-format-14
  qt6-base-dev qt6-webengine-dev libgl-dev
  qt6-tools-dev qt6-l10n-tools qt6-translations-l10n
  fonts-noto-cjk xvfb xauth
)

deps() {
  local missing=()
  for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  # npm installs the preview's player. A Node.js from elsewhere (nodesource,
  # nvm) is used as it is; only without any npm do Debian's packages come in.
  command -v npm >/dev/null || missing+=(nodejs npm)
  if ((${#missing[@]})); then
    local sudo=
    [ "$(id -u)" -eq 0 ] || sudo=sudo
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"
  fi
  # The preview's player, pinned by package-lock.json.
  if [ ! -d "$root/node_modules/@ruffle-rs/ruffle" ] || [ "$root/package-lock.json" -nt "$root/node_modules/.package-lock.json" ]; then
    (cd "$root" && npm ci --no-audit --no-fund --loglevel=error)
  fi
}

configure_and_build() {
  local dir=$1; shift
  # The corpus folder goes into the build too, so that ctest's list of the
  # tests of each corpus movie follows it.
  cmake -S "$root" -B "$dir" -G Ninja -DTINTOR_WERROR="${TINTOR_WERROR:-OFF}" \
    -DTINTOR_CORPUS_DIR="${TINTOR_CORPUS_DIR:-$root/../shared/corpus}" "$@" >/dev/null
  cmake --build "$dir" -j "$jobs"
}

run_tests() {
  local dir=$1
  export QT_QPA_PLATFORM=offscreen
  [ "$(id -u)" -eq 0 ] && export QTWEBENGINE_DISABLE_SANDBOX=1
  ctest --test-dir "$dir" --output-on-failure -j "$jobs" --timeout 900
}

case "${1:-}" in
  deps)
    deps ;;
  run)
    deps
    configure_and_build "$build"
    if [ -x "$build/tintor" ] && { [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; }; then
      [ "$(id -u)" -eq 0 ] && export QTWEBENGINE_DISABLE_SANDBOX=1
      exec "$build/tintor" "$build/sample.swf"
    fi
    echo "No display: listing the sample movie's colours with tintor-cli instead of opening the window." >&2
    exec "$build/tintor-cli" colours "$build/sample.swf" ;;
  test)
    deps
    configure_and_build "$build"
    run_tests "$build" ;;
  install)
    deps
    configure_and_build "$build"
    cmake --install "$build" --prefix "${2:-/usr/local}"
    # Menus and file managers learn of the new entry and icon, where the
    # desktop's tools are there to tell them.
    share="${2:-/usr/local}/share"
    if command -v update-desktop-database >/dev/null; then update-desktop-database -q "$share/applications" || true; fi
    if command -v gtk-update-icon-cache >/dev/null; then gtk-update-icon-cache -q -t "$share/icons/hicolor" || true; fi ;;
  sanitize)
    deps
    dir=${TINTOR_SANITIZE_BUILD_DIR:-$root/build-sanitize}
    configure_and_build "$dir" -DTINTOR_SANITIZE=ON -DTINTOR_BENCH=OFF -DCMAKE_BUILD_TYPE=Debug
    export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
    export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
    run_tests "$dir" ;;
  *)
    sed -n '2,12p' "$0" >&2
    exit 2 ;;
esac
