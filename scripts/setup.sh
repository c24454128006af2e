#!/usr/bin/env bash
# Installs the Debian packages that are missing, then configures and builds.
# Extra arguments go to the CMake configure step. QUILLORA_BUILD_DIR picks the
# build folder (default: build/ in the checkout).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

mapfile -t wanted < <(sed -e 's/#.*//' "$root/scripts/packages.txt" | tr -s ' \t' '\n\n' | grep -v '^$')
missing=()
for pkg in "${wanted[@]}"; do
    if dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed'; then
        continue
    fi
    # A tool that came another way (npm inside a nodejs package from outside Debian, which
    # conflicts with Debian's npm) counts as present.
    if command -v "$pkg" >/dev/null 2>&1; then
        continue
    fi
    missing+=("$pkg")
done
if ((${#missing[@]} > 0)); then
    echo "installing: ${missing[*]}"
    as_root=()
    if [ "$(id -u)" -ne 0 ]; then as_root=(sudo); fi
    "${as_root[@]}" apt-get update -qq
    "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive \
        apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

if [ -f "$root/tools/model/fetch-model.sh" ]; then
    bash "$root/tools/model/fetch-model.sh" || echo "the learned segmentation model is not available; the service falls back to the classical segmenter"
fi

build_dir=${QUILLORA_BUILD_DIR:-$root/build}
cmake -S "$root" -B "$build_dir" -G Ninja "$@"
cmake --build "$build_dir" --parallel "$(nproc)"
