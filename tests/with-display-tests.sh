#!/usr/bin/env bash
# Checks with-display.sh against a server that cannot be reached: a stand-in
# Xvfb first in PATH writes its display number at its first start and never
# takes a client; it must be ended, and the command run on another server (a
# real one, the stand-in's later starts) that a client reaches.
set -uo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
real=$(command -v Xvfb) || { echo "no Xvfb (tools/setup.sh installs xvfb)" >&2; exit 1; }
scratch=$(mktemp -d)
# No stand-in outlives the check, whatever the launcher left.
trap 'if [ -f "$scratch/starts" ]; then while read -r pid; do kill "$pid" 2>/dev/null; done < "$scratch/starts"; fi; [ -f "$scratch/lock" ] && rm -f "$(cat "$scratch/lock")"; rm -rf "$scratch"' EXIT
mkdir "$scratch/bin"
cat > "$scratch/bin/Xvfb" <<'EOF'
#!/usr/bin/env bash
display="" fd=""
for arg in "$@"; do
    case "$arg" in
        :*) display=${arg#:} ;;
    esac
done
# A number another server holds (the other tests run theirs meanwhile) is
# refused as the real server refuses it, and is no start: a client would
# reach that other server.
if [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ]; then
    echo "Server is already active for display $display" >&2
    exit 1
fi
if [ -s "$STAND_IN_DIR/starts" ]; then
    echo $$ >> "$STAND_IN_DIR/starts"
    exec "$REAL_XVFB" "$@"
fi
# Held with the real server's lock file, so that no other server takes it.
( set -C; printf '%10d\n' $$ > "/tmp/.X$display-lock" ) 2>/dev/null || exit 1
echo "/tmp/.X$display-lock" > "$STAND_IN_DIR/lock"
echo $$ >> "$STAND_IN_DIR/starts"
while [ $# -gt 0 ]; do
    case "$1" in
        -displayfd) fd=$2; shift ;;
    esac
    shift
done
echo "$display" >&"$fd"
exec sleep 600
EOF
chmod +x "$scratch/bin/Xvfb"

env -u DISPLAY PATH="$scratch/bin:$PATH" STAND_IN_DIR="$scratch" REAL_XVFB="$real" \
    "$here/with-display.sh" bash -c 'xdpyinfo > /dev/null' 2> "$scratch/err"
status=$?
fail() { echo "FAILED: $*"; echo "launcher's errors:"; cat "$scratch/err"; exit 1; }

[ "$status" -eq 0 ] || fail "the command found no display it could reach (exit $status)"
mapfile -t starts < "$scratch/starts"
[ "${#starts[@]}" -eq 2 ] || fail "${#starts[@]} servers started, not 2"
grep -q "took no client" "$scratch/err" || fail "the replaced server was not told"
for pid in "${starts[@]}"; do
    ! kill -0 "$pid" 2>/dev/null || fail "server $pid outlived the launcher"
done
echo "passed"
