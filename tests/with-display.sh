#!/usr/bin/env bash
# Runs a command with an X display: the one already set, or a private
# virtual display of its own (Xvfb picks a free number and says which), shut
# down when the command ends.  Then runs it through isolate.sh.
set -uo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
if [ -n "${DISPLAY:-}" ]; then
    exec "$here/isolate.sh" "$@"
fi
if ! command -v Xvfb >/dev/null 2>&1; then
    echo "with-display.sh: no DISPLAY and no Xvfb to make one (tools/setup.sh installs xvfb)" >&2
    exit 1
fi
scratch=$(mktemp -d)
mkfifo "$scratch/number"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$scratch/number" 2>"$scratch/xvfb.log" &
server=$!
read -r number < "$scratch/number"
if [ -z "$number" ]; then
    echo "with-display.sh: Xvfb did not start:" >&2
    cat "$scratch/xvfb.log" >&2
    rm -rf "$scratch"
    exit 1
fi
DISPLAY=":$number" "$here/isolate.sh" "$@"
status=$?
kill "$server" 2>/dev/null
wait "$server" 2>/dev/null
rm -rf "$scratch"
exit $status
