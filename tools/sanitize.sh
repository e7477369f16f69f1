#!/usr/bin/env bash
# Builds the suite with a sanitizer in a build folder of its own and runs it.
#
#   tools/sanitize.sh thread
#       ThreadSanitizer (gcc) into build-sanitize-thread: data races between
#       the host's, the message and the audio thread; any report fails.
#   tools/sanitize.sh address [seconds]
#       clang with AddressSanitizer and UndefinedBehaviorSanitizer into
#       build-address (any report fails the run, except the framework's own
#       listed in tools/ubsan.supp); runs every test, then each libFuzzer
#       target for the given seconds (default 60) from its seed corpus in
#       fuzz/corpus/<target>.
#   tools/sanitize.sh fuzz [seconds]
#       the same build, then only the fuzz targets; for long runs, e.g.
#       `tools/sanitize.sh fuzz 3600`.  Inputs found are kept in
#       build-address/fuzz-corpus/<target>; a crash leaves its input in
#       build-address/fuzz-findings.
set -euo pipefail
cd "$(dirname "$0")/.."
mode=${1:-}
# At most four jobs: build machines are often shared.
jobs=$(nproc 2>/dev/null || echo 2)
[ "$jobs" -le 4 ] || jobs=4

build_address() {
    # The packages the build needs (clang and its sanitizer and fuzzer
    # runtimes among them), where the set-up script exists.
    if [ -f tools/setup.sh ]; then
        bash tools/setup.sh
    fi
    if ! command -v clang++ >/dev/null 2>&1; then
        echo "tools/sanitize.sh: clang is missing (Debian packages clang and libclang-rt-dev)" >&2
        exit 1
    fi
    # Recoverable checks, so that the suppressions apply; halt_on_error
    # makes every other report fatal.
    local flags="-fsanitize=address,undefined -fno-omit-frame-pointer"
    cmake -S . -B build-address \
        -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
        -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_C_FLAGS="$flags" -DCMAKE_CXX_FLAGS="$flags" \
        -DCMAKE_C_FLAGS_RELEASE="-O1 -g1 -DNDEBUG" -DCMAKE_CXX_FLAGS_RELEASE="-O1 -g1 -DNDEBUG" \
        -DKEST_BUILD_BENCHMARKS=OFF -DKEST_BUILD_FUZZERS=ON
    cmake --build build-address -j "$jobs"
}

run_fuzzers() {
    local seconds=$1
    mkdir -p build-address/fuzz-findings
    for seeds in fuzz/corpus/*/; do
        local name
        name=$(basename "$seeds")
        local corpus=build-address/fuzz-corpus/$name
        mkdir -p "$corpus"
        # Binary seeds are committed as hex text.
        for hex in "$seeds"*.hex; do
            [ -e "$hex" ] || continue
            perl -ne 'print pack("H*", join("", /[0-9a-fA-F]{2}/g))' "$hex" > "$corpus/$(basename "$hex" .hex)"
        done
        echo "== kest-fuzz-$name: $seconds s"
        tests/isolate.sh "build-address/fuzz/kest-fuzz-$name" \
            -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=65536 -print_final_stats=1 \
            -artifact_prefix="build-address/fuzz-findings/$name-" \
            "$corpus" "$seeds"
    done
}

build_and_test_thread() {
    local flags="-fsanitize=thread -g1"
    export TSAN_OPTIONS="halt_on_error=1 abort_on_error=1 second_deadlock_stack=1 ${TSAN_OPTIONS:-}"
    cmake -S . -B build-sanitize-thread -DCMAKE_BUILD_TYPE=Release -DKEST_BUILD_BENCHMARKS=OFF \
          -DCMAKE_C_FLAGS="$flags" -DCMAKE_CXX_FLAGS="$flags" \
          -DCMAKE_EXE_LINKER_FLAGS="$flags" -DCMAKE_SHARED_LINKER_FLAGS="$flags"
    cmake --build build-sanitize-thread -j "$jobs"
    ctest --test-dir build-sanitize-thread --output-on-failure -j "$jobs"
}

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1:suppressions=$PWD/tools/ubsan.supp

case "$mode" in
    thread)
        build_and_test_thread
        ;;
    address)
        build_address
        ctest --test-dir build-address --output-on-failure -j "$jobs"
        run_fuzzers "${2:-60}"
        ;;
    fuzz)
        build_address
        run_fuzzers "${2:-60}"
        ;;
    *)
        echo "usage: tools/sanitize.sh thread|address|fuzz [seconds per fuzz target]" >&2
        exit 2
        ;;
esac
