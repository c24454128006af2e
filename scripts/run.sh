#!/usr/bin/env bash
# Sets up, builds and starts Quillora with the local reference service as its
# matting service (the service runs while the program runs).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$root/scripts/setup.sh"

service="$root/build/bin/quillora-service"
service_pid=""
if [ -x "$service" ]; then
    data="${XDG_DATA_HOME:-$HOME/.local/share}/Quillora/service"
    mkdir -p "$data"
    # The program trusts downloads signed with the build's key: the service
    # signs with its private half.
    key="$root/build/update-key/signing-key.pem"
    if [ -f "$key" ] && ! cmp -s "$key" "$data/signing-key.pem"; then
        install -m 600 "$key" "$data/signing-key.pem"
    fi
    "$service" --port 17650 --data "$data" &
    service_pid=$!
    trap '[ -n "$service_pid" ] && kill "$service_pid" 2>/dev/null' EXIT
fi
"$root/build/bin/quillora" "$@"
