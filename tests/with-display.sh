#!/usr/bin/env bash
# Runs a command with an X display: the one already set, or a private
# virtual display of its own, shut down when the command ends.  Then runs it
# through isolate.sh.
#
# The private display takes a number from 200 up, never :0: the framework
# falls back to :0 when DISPLAY is unset, and the tests that run without a
# display must not find (and then lose) this one.
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
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
number=""
for attempt in 1 2 3 4 5 6 7 8 9 10; do
    candidate=$((200 + RANDOM % 800))
    rm -f "$scratch/ready"
    mkfifo "$scratch/ready"
    Xvfb ":$candidate" -displayfd 3 -screen 0 1920x1200x24 -nolisten tcp 3>"$scratch/ready" 2>"$scratch/xvfb.log" &
    server=$!
    read -r number < "$scratch/ready"
    [ -n "$number" ] && break
    wait "$server" 2>/dev/null
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
exit $status
