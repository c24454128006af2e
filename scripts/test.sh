#!/usr/bin/env bash
# Sets up, builds and runs every test; then builds the window-free part again
# with AddressSanitizer and UndefinedBehaviorSanitizer and runs its tests.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
jobs=$(nproc)

"$root/scripts/setup.sh"
ctest --test-dir "$root/build" --output-on-failure --no-tests=error -j "$jobs"

export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1
QUILLORA_BUILD_DIR="$root/build-asan" "$root/scripts/setup.sh" \
    -DCMAKE_BUILD_TYPE=Debug -DQUILLORA_CORE_ONLY=ON -DQUILLORA_SANITIZE=ON -DQUILLORA_BUILD_BENCH=OFF
ctest --test-dir "$root/build-asan" --output-on-failure --no-tests=error -j "$jobs" -LE 'ui|e2e'
