#!/usr/bin/env bash
# Checks with-display.sh against servers that misbehave at start-up: a
# stand-in Xvfb first in PATH starts the real one, or only pretends to.
#
#   with-display-tests.sh unreachable
#       the first server writes its number and never takes a client: it is
#       ended, and the command runs on another server that does.
#   with-display-tests.sh late
#       the server writes its number a while before it takes clients: the
#       command waits for it and runs on it.
set -uo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
case="${1:-}"
if [ "$case" != unreachable ] && [ "$case" != late ]; then
    echo "usage: with-display-tests.sh unreachable|late" >&2
    exit 2
fi
real=$(command -v Xvfb) || { echo "no Xvfb (tools/setup.sh installs xvfb)" >&2; exit 1; }
scratch=$(mktemp -d)
# No stand-in outlives the check, whatever the launcher left.
trap 'if [ -f "$scratch/starts" ]; then while read -r pid; do kill "$pid" 2>/dev/null; done < "$scratch/starts"; fi; rm -rf "$scratch"' EXIT
mkdir "$scratch/bin"

# The stand-in: each start is counted; the first one of case "unreachable"
# writes its number and sleeps, a start of case "late" writes its number
# two seconds before the real server (without -displayfd) takes the display.
cat > "$scratch/bin/Xvfb" <<'EOF'
#!/usr/bin/env bash
echo $$ >> "$STAND_IN_DIR/starts"
display="" fd="" args=()
while [ $# -gt 0 ]; do
    case "$1" in
        -displayfd) fd=$2; shift 2; continue ;;
        :*) display=${1#:} ;;
    esac
    args+=("$1")
    shift
done
starts=$(wc -l < "$STAND_IN_DIR/starts")
case "$STAND_IN_CASE" in
    unreachable)
        if [ "$starts" -eq 1 ]; then
            echo "$display" >&"$fd"
            exec sleep 600
        fi
        exec "$REAL_XVFB" "${args[@]}" -displayfd "$fd" ;;
    late)
        echo "$display" >&"$fd"
        eval "exec $fd>&-"
        sleep 2
        exec "$REAL_XVFB" "${args[@]}" ;;
esac
exit 2
EOF
chmod +x "$scratch/bin/Xvfb"

# The command: reaches its display with a client and says which one it got.
env -u DISPLAY PATH="$scratch/bin:$PATH" STAND_IN_DIR="$scratch" STAND_IN_CASE="$case" REAL_XVFB="$real" \
    "$here/with-display.sh" bash -c 'xdpyinfo > /dev/null && echo "$DISPLAY"' > "$scratch/out" 2> "$scratch/err"
status=$?
fail() { echo "FAILED: $*"; echo "launcher's errors:"; cat "$scratch/err"; exit 1; }

[ "$status" -eq 0 ] || fail "the command found no display it could reach (exit $status)"
mapfile -t starts < "$scratch/starts"
case "$case" in
    unreachable)
        [ "${#starts[@]}" -eq 2 ] || fail "${#starts[@]} servers started, not 2"
        ! kill -0 "${starts[0]}" 2>/dev/null || { kill "${starts[0]}"; fail "the server that took no client still runs"; }
        grep -q "took no client" "$scratch/err" || fail "the replaced server was not told" ;;
    late)
        [ "${#starts[@]}" -eq 1 ] || fail "${#starts[@]} servers started, not 1" ;;
esac
for pid in "${starts[@]}"; do
    ! kill -0 "$pid" 2>/dev/null || fail "server $pid outlived the launcher"
done
echo "passed: $case, on $(cat "$scratch/out")"
