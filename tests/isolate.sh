#!/bin/sh
# Runs one test with its own empty home and data folders, removed afterwards.
root=$(mktemp -d "${TMPDIR:-/tmp}/kest-test.XXXXXX") || exit 1
mkdir -p "$root/home" "$root/data" "$root/shared"
HOME="$root/home" XDG_DATA_HOME="$root/data" XDG_DATA_DIRS="$root/shared" "$@"
status=$?
rm -rf "$root"
exit $status
