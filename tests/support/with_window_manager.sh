#!/bin/bash
# Runs a test program on a display of its own with a real window manager: a virtual X server
# (Xvfb) on the first free display, openbox on it, and the program on Qt's xcb platform. The
# server and the window manager go again when the program ends.
#   with_window_manager.sh <program> [arguments...]
set -euo pipefail

for tool in Xvfb openbox xprop; do
    if ! command -v "$tool" > /dev/null; then
        echo "$tool not found (Debian packages xvfb, openbox, x11-utils)" >&2
        exit 1
    fi
done

work=$(mktemp -d /tmp/vorna-x.XXXXXX)
server=""
manager=""
cleanup() {
    [ -n "$manager" ] && kill "$manager" 2> /dev/null || true
    [ -n "$server" ] && kill "$server" 2> /dev/null || true
    wait 2> /dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

# Waits for a condition, up to a minute, while the process that is to bring it about lives.
await() {
    local what=$1 pid=$2
    shift 2
    for _ in $(seq 1 600); do
        "$@" && return 0
        if ! kill -0 "$pid" 2> /dev/null; then
            echo "$what ended before it was ready" >&2
            cat "$work"/*.log >&2 || true
            return 1
        fi
        sleep 0.1
    done
    echo "$what did not become ready" >&2
    return 1
}

# The server picks a free display itself and writes its number once it takes clients.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3> "$work/display" 2> "$work/xvfb.log" &
server=$!
await Xvfb "$server" test -s "$work/display"
display=":$(head -n 1 "$work/display")"
# The number can come a moment before the server answers: wait until it does.
await Xvfb "$server" sh -c "xprop -display '$display' -root > /dev/null 2>&1"

# A window manager that still misses the server is started again, a few times.
for attempt in 1 2 3; do
    DISPLAY=$display openbox --sm-disable > "$work/openbox.log" 2>&1 &
    manager=$!
    if await openbox "$manager" sh -c "xprop -display '$display' -root _NET_SUPPORTING_WM_CHECK 2> /dev/null | grep -q 'window id'"; then
        break
    fi
    [ "$attempt" = 3 ] && exit 1
done

status=0
DISPLAY=$display QT_QPA_PLATFORM=xcb "$@" || status=$?
exit "$status"
