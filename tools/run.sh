#!/usr/bin/env bash
# The main job: installs what is missing (tools/setup.sh), builds the system
# and plays the built-in demo through the plug-in into kest-demo.wav (any
# arguments go to `kest-host render`).  `tools/run.sh editor [OPTIONS]`
# opens the plug-in's editor in a window instead (`kest-host editor`).
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/setup.sh
jobs=$(nproc 2>/dev/null || echo 2)
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release
cmake --build build -j "$jobs" --target kest-host
if [ "${1:-}" = editor ]; then
    shift
    exec build/kest-host editor "$@"
fi
exec build/kest-host render "$@"
