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
trap 'if [ -f "$scratch/starts" ]; then while read -r pid; do kill "$pid" 2>/dev/null; done < "$scratch/starts"; fi; rm -rf "$scratch"' EXIT
mkdir "$scratch/bin"
cat > "$scratch/bin/Xvfb" <<'EOF'
#!/usr/bin/env bash
echo $$ >> "$STAND_IN_DIR/starts"
if [ "$(wc -l < "$STAND_IN_DIR/starts")" -gt 1 ]; then
    exec "$REAL_XVFB" "$@"
fi
display="" fd=""
while [ $# -gt 0 ]; do
    case "$1" in
        -displayfd) fd=$2; shift ;;
        :*) display=${1#:} ;;
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
