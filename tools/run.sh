#!/usr/bin/env bash
# The main job: builds the system and runs the engine's self-check.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc 2>/dev/null || echo 2)
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release
cmake --build build -j "$jobs"
ctest --test-dir build --output-on-failure -j "$jobs" -R '^(AudioEngine|ApplicationSupport)'
