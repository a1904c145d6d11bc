#!/usr/bin/env bash
# Processor time of a 30-second Delay: it must wait for events, not spin.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
# shellcheck source=../lib.sh
source "$root/bench/lib.sh"
bench_build Release bench_delay
"$build/bench/delay/bench_delay" "${1:-30000}"
