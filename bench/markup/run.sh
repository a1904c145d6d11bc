#!/usr/bin/env bash
# Builds the markup benchmark (Release, its own build folder) and prints the layout times.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build="$here/../../build-bench-markup"
cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j 2 >/dev/null
QT_QPA_PLATFORM=offscreen "$build/markup_bench"
