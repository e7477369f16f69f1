#!/usr/bin/env bash
# Builds the test suite with a sanitizer in a build folder of its own
# (build-sanitize-MODE) and runs every test there.
#
#   bash tools/sanitize.sh thread     ThreadSanitizer: data races between the
#                                     host's, the message and the audio thread
#
# KEST_JOBS sets the number of parallel jobs (default: the number of cores).
set -euo pipefail
cd "$(dirname "$0")/.."

mode=${1:-}
jobs=${KEST_JOBS:-$(nproc 2>/dev/null || echo 2)}

case "$mode" in
    thread)
        flags="-fsanitize=thread -g1"
        export TSAN_OPTIONS="halt_on_error=1 abort_on_error=1 second_deadlock_stack=1 ${TSAN_OPTIONS:-}"
        ;;
    *)
        echo "usage: tools/sanitize.sh thread" >&2
        exit 2
        ;;
esac

folder="build-sanitize-$mode"
cmake -S . -B "$folder" -DCMAKE_BUILD_TYPE=Release -DKEST_BUILD_BENCHMARKS=OFF \
      -DCMAKE_C_FLAGS="$flags" -DCMAKE_CXX_FLAGS="$flags" \
      -DCMAKE_EXE_LINKER_FLAGS="$flags" -DCMAKE_SHARED_LINKER_FLAGS="$flags"
cmake --build "$folder" -j "$jobs"
ctest --test-dir "$folder" --output-on-failure -j "$jobs"
