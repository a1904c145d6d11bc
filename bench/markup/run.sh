#!/usr/bin/env bash
# Builds the markup benchmark (Release, in build-bench) and prints the layout times.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
# shellcheck source=../lib.sh
source "$root/bench/lib.sh"
bench_build Release markup_bench
QT_QPA_PLATFORM=offscreen "$build/bench/markup/markup_bench"
