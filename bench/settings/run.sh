#!/usr/bin/env bash
# Builds the settings benchmark (Release, in build-bench) and prints the time taken to read
# the 40 alarm keys from a 200-line settings file, each read going to the file, and the time
# taken by the close to save eight changed alarms.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
# shellcheck source=../lib.sh
source "$root/bench/lib.sh"
bench_build Release settings_bench
"$build/bench/settings/settings_bench" "$@"
