#!/usr/bin/env bash
# Starts the real program on a virtual display, finds its main window by the
# window class, checks that a second start hands over to the first and ends,
# and that the close button asks first (a dialog of class QuilloraDlg) and,
# with the question turned off, ends the program.
set -uo pipefail
if [ "${1:-}" != "--inside" ]; then
    work=$(mktemp -d)
    trap 'rm -rf "$work"' EXIT
    export QUILLORA_USER_DATA="$work/user"
    # No service answers here; the program must open all the same.
    export QUILLORA_SERVICE="http://127.0.0.1:9"
    unset QT_QPA_PLATFORM
    xvfb-run -a -s "-screen 0 1600x1000x24" bash "$0" --inside "$1"
    exit $?
fi
program=$2
pid=""
trap '[ -n "$pid" ] && kill -9 $pid 2>/dev/null' EXIT
fail() { echo "FAIL: $*"; exit 1; }

find_windows() {  # class
    xdotool search --onlyvisible --class "^$1\$" 2>/dev/null || true
}
wait_for_window() {  # class
    for _ in $(seq 1 300); do
        ids=$(find_windows "$1")
        [ -n "$ids" ] && { echo "$ids"; return 0; }
        sleep 0.1
    done
    return 1
}
# Clicks the caption's close button: 12 px in from the right edge of the
# body, 40 px wide, on the middle of the 56 px caption; the frame around the
# body is 1 px without a compositor.
click_close_button() {  # window
    width=$(xdotool getwindowgeometry "$1" | sed -n 's/.*Geometry: \([0-9]*\)x.*/\1/p')
    xdotool mousemove --window "$1" $((width - 1 - 12 - 20)) $((1 + 28)) click 1
}
wait_for_end() {
    for _ in $(seq 1 100); do
        kill -0 $pid 2>/dev/null || return 0
        sleep 0.1
    done
    return 1
}

"$program" &
pid=$!
window=$(wait_for_window QuilloraWndClass) || fail "no window of class QuilloraWndClass appeared"
[ "$(echo "$window" | wc -l)" -eq 1 ] || fail "more than one main window: $window"
name=$(xdotool getwindowname "$window")
[ -n "$name" ] || fail "the main window has no title"
echo "main window $window: $name"

# A second start hands over to the first and ends with 0.
timeout 20 "$program"
second=$?
[ "$second" -eq 0 ] || fail "the second start ended with $second"
kill -0 $pid 2>/dev/null || fail "the first instance ended"
count=$(find_windows QuilloraWndClass | wc -l)
[ "$count" -eq 1 ] || fail "$count main windows after the second start"
[ -z "$(find_windows QuilloraDlg)" ] || fail "an unexpected dialog is open"

# The close button asks before closing.
sleep 0.5
click_close_button "$window"
wait_for_window QuilloraDlg > /dev/null || fail "closing did not ask"
kill -0 $pid 2>/dev/null || fail "the program ended without an answer"
kill -9 $pid
wait $pid 2>/dev/null

# With the question turned off the program ends at once, with 0.
mkdir -p "$QUILLORA_USER_DATA"
printf '[Software\\Quillora]\nCloseConfirm=dword:0\n' > "$QUILLORA_USER_DATA/registry.ini"
"$program" &
pid=$!
window=$(wait_for_window QuilloraWndClass) || fail "no main window on the second run"
sleep 0.5
click_close_button "$window"
wait_for_end || fail "the program did not end after its close button"
wait $pid
code=$?
pid=""
[ "$code" -eq 0 ] || fail "the program ended with $code"
echo "1 passed, 0 failed"
