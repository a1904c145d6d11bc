#!/usr/bin/env bash
# Processor time of a 30-second Delay: it must wait for events, not spin.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
cmake -S "$root" -B "$root/build-bench" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -DTEMPOVIR_BENCH=ON >/dev/null
cmake --build "$root/build-bench" --target bench_delay >/dev/null
"$root/build-bench/bench/delay/bench_delay" "${1:-30000}"
