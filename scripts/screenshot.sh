#!/bin/sh
# Takes docs/screenshot.png (Japanese) and docs/screenshot-en.png (English):
# the window on the build's sample movie under a virtual X display. Builds
# nothing; run it after building.
#   scripts/screenshot.sh [BUILD_DIR]   (default: build)
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-"$root/build"}
program="$build/tintor"
movie="$build/sample.swf"
if [ ! -x "$program" ] || [ ! -f "$movie" ]; then
    echo "screenshot.sh: build the project first (tintor and sample.swf in $build)" >&2
    exit 1
fi
if [ "$(id -u)" = 0 ]; then
    export QTWEBENGINE_DISABLE_SANDBOX=1
fi
mkdir -p "$root/docs"
# A fresh settings folder, so the pictures show no one's recent files or
# window size.
settings=$(mktemp -d)
trap 'rm -rf "$settings"' EXIT
for lang in ja en; do
    case $lang in
        ja) out="$root/docs/screenshot.png" ;;
        *) out="$root/docs/screenshot-$lang.png" ;;
    esac
    XDG_CONFIG_HOME="$settings" LANG=C.UTF-8 \
        xvfb-run -a -s "-screen 0 1024x700x24" "$program" --lang "$lang" --screenshot "$out" "$movie"
    echo "wrote $out"
done
