#!/usr/bin/env bash
# Runs a command with an X display: the one already set, or a private
# virtual display of its own, shut down when the command ends.  Then runs it
# through isolate.sh.
#
# The private display takes a number from 200 up, never :0: the framework
# falls back to :0 when DISPLAY is unset, and the tests that run without a
# display must not find (and then lose) this one.
#
# The command gets the display only once a client has connected to it.  A
# server that wrote its number but cannot be reached within a bound is
# ended, and another one started on another number.
set -uo pipefail
# LeakSanitizer cannot stop this process's threads to look for leaks while
# windows of both copies of the framework are open (its tracer crashes at
# exit); the address checks stay on.
if [ -n "${ASAN_OPTIONS:-}" ]; then
    export ASAN_OPTIONS="$ASAN_OPTIONS:detect_leaks=0"
fi
here="$(cd "$(dirname "$0")" && pwd)"
if [ -n "${DISPLAY:-}" ]; then
    exec "$here/isolate.sh" "$@"
fi
if ! command -v Xvfb >/dev/null 2>&1; then
    echo "with-display.sh: no DISPLAY and no Xvfb to make one (tools/setup.sh installs xvfb)" >&2
    exit 1
fi
if command -v xdpyinfo >/dev/null 2>&1; then
    probe=(xdpyinfo)
elif command -v xdotool >/dev/null 2>&1; then
    probe=(xdotool getdisplaygeometry)
else
    echo "with-display.sh: nothing to check the display with (tools/setup.sh installs x11-utils)" >&2
    exit 1
fi

# Seconds a server that wrote its number has to take a client; it wrote the
# number when it was ready, so only a broken one needs them.
connect_bound=10
# Seconds a server has to write its number (or to fail) at all.
start_bound=30

scratch=$(mktemp -d)
server=""
trap '[ -n "$server" ] && kill "$server" 2>/dev/null; rm -rf "$scratch"' EXIT

# Whether a client connects to display :$1 while the server $2 runs, within the bound.
reachable() {
    local tries=$((connect_bound * 10))
    while [ "$tries" -gt 0 ] && kill -0 "$2" 2>/dev/null; do
        DISPLAY=":$1" "${probe[@]}" >/dev/null 2>&1 && return 0
        sleep 0.1
        tries=$((tries - 1))
    done
    return 1
}

number=""
for attempt in 1 2 3 4 5 6 7 8 9 10; do
    candidate=$((200 + RANDOM % 800))
    rm -f "$scratch/ready"
    mkfifo "$scratch/ready"
    # Without -noreset the server resets when its last client goes, the
    # check's own connection first, and drops the connections made meanwhile.
    Xvfb ":$candidate" -displayfd 3 -noreset -screen 0 1920x1200x24 -nolisten tcp 3>"$scratch/ready" 2>"$scratch/xvfb.log" &
    server=$!
    number=""
    read -r -t "$start_bound" number < "$scratch/ready"
    if [ -n "$number" ] && reachable "$number" "$server"; then
        break
    fi
    if [ -n "$number" ]; then
        echo "with-display.sh: the server on :$number took no client within $connect_bound s; starting another" >&2
    fi
    kill "$server" 2>/dev/null
    wait "$server" 2>/dev/null
    server=""
    number=""
done
if [ -z "$number" ]; then
    echo "with-display.sh: Xvfb did not start:" >&2
    cat "$scratch/xvfb.log" >&2
    exit 1
fi
DISPLAY=":$number" "$here/isolate.sh" "$@"
status=$?
kill "$server" 2>/dev/null
wait "$server" 2>/dev/null
server=""
exit $status
