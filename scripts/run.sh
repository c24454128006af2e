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
    "$service" --port 17650 --data "$data" &
    service_pid=$!
    trap '[ -n "$service_pid" ] && kill "$service_pid" 2>/dev/null' EXIT
fi
"$root/build/bin/quillora" "$@"
