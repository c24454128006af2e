#!/usr/bin/env bash
# Makes the real program crash on purpose and checks the crash report
# "Error.tmp" beside it and the restart (or, with ExcepRunAuto=0, the end).
set -uo pipefail
program=$1
work=$(mktemp -d)
pids=()
cleanup() { for p in "${pids[@]}"; do kill -9 "$p" 2>/dev/null; done; rm -rf "$work"; }
trap cleanup EXIT
fail() { echo "FAIL: $*"; exit 1; }

# The report is written to the application folder: point it at a folder of
# our own, with the language files beside it.
mkdir -p "$work/app"
ln -s "$(dirname "$program")/language" "$work/app/language"
export QUILLORA_APP_DIR="$work/app"
export QUILLORA_SERVICE="http://127.0.0.1:9"
export QT_QPA_PLATFORM=offscreen

wait_for() {  # file pattern
    for _ in $(seq 1 300); do
        grep -q "$2" "$1" 2>/dev/null && return 0
        sleep 0.1
    done
    return 1
}

# 1. Restart allowed (the default).
export QUILLORA_USER_DATA="$work/user1"
"$program" --crash-test &
pid=$!
pids+=("$pid")
wait_for "$QUILLORA_USER_DATA/run.dat" "restarted after a crash (signal 11)" ||
    fail "the program did not restart after its crash"
[ -s "$work/app/Error.tmp" ] || fail "no crash report"
grep -q "signal: 11 (SIGSEGV)" "$work/app/Error.tmp" || fail "the report does not name the signal"
grep -q "address: 0x10" "$work/app/Error.tmp" || fail "the report does not name the address"
kill -0 "$pid" 2>/dev/null || fail "the restarted program is not running"
grep -q "crash test" "$QUILLORA_USER_DATA/run.dat" || fail "the crash did not come from the test switch"
kill -9 "$pid"
wait "$pid" 2>/dev/null
rm -f "$work/app/Error.tmp"

# 2. ExcepRunAuto=0 in cd.dat: the report is written and the program ends.
export QUILLORA_USER_DATA="$work/user2"
mkdir -p "$QUILLORA_USER_DATA"
printf '[Config]\nExcepRunAuto=0\n' > "$QUILLORA_USER_DATA/cd.dat"
timeout 60 "$program" --crash-test
code=$?
[ "$code" -eq 139 ] || fail "expected the end by SIGSEGV (139), got $code"
[ -s "$work/app/Error.tmp" ] || fail "no crash report without restart"
if grep -q "restarted after a crash" "$QUILLORA_USER_DATA/run.dat" 2>/dev/null; then
    fail "the program restarted although ExcepRunAuto is 0"
fi
echo "2 passed, 0 failed"
