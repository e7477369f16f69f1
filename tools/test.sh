#!/usr/bin/env bash
# Installs what is missing (tools/setup.sh), then configures, builds and runs
# every test.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/setup.sh
jobs=$(nproc 2>/dev/null || echo 2)
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release
cmake --build build -j "$jobs"
ctest --test-dir build --output-on-failure -j "$jobs"

# The same suite under ThreadSanitizer, in a build folder of its own: the
# tests that play on one thread while another changes the sound are checked
# for data races.
bash tools/sanitize.sh thread
