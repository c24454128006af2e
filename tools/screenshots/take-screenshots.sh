#!/usr/bin/env bash
# Builds quillora-screens from a fresh build folder and draws every page of
# the main window at 100 % and 200 % display scaling under a virtual display:
#   tools/screenshots/take-screenshots.sh [BUILD_DIR] [OUT_DIR]
# Defaults: build-screens beside the sources, docs/screenshots.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
root="$(cd "$here/../.." && pwd)"
build="${1:-$root/build-screens}"
out="${2:-$root/docs/screenshots}"

if [ ! -f "$build/build.ninja" ]; then
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
cmake --build "$build" --parallel 2 --target quillora-screens

program="$build/bin/quillora-screens"
[ -x "$program" ] || program="$build/tools/screenshots/quillora-screens"

for scale in 1 2; do
    dir="$out/$((scale * 100))"
    mkdir -p "$dir"
    QT_SCALE_FACTOR="$scale" QUILLORA_USER_DATA="$(mktemp -d)" \
        QUILLORA_APP_DIR="$build/bin" QT_QPA_PLATFORM=xcb \
        xvfb-run -a -s "-screen 0 $((1400 * scale))x$((960 * scale))x24" \
        "$program" "$dir"
    echo "pages at $((scale * 100)) % in $dir"
done
