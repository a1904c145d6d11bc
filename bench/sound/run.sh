#!/usr/bin/env bash
# Return time of a 100 ms Beep on a private PulseAudio server with a null sink.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
# shellcheck source=../lib.sh
source "$root/bench/lib.sh"
bench_build Release bench_beep
dir=$(mktemp -d)
cat > "$dir/server.pa" <<PA
load-module module-null-sink sink_name=bench_null rate=44100
set-default-sink bench_null
load-module module-native-protocol-unix auth-anonymous=1 socket=$dir/native
PA
XDG_RUNTIME_DIR=$dir HOME=$dir pulseaudio -n -F "$dir/server.pa" --daemonize=no --exit-idle-time=-1 \
    --use-pid-file=no --log-level=error &
server=$!
trap 'kill $server 2>/dev/null; wait $server 2>/dev/null; rm -rf "$dir"' EXIT
for _ in $(seq 100); do [ -S "$dir/native" ] && break; sleep 0.05; done
PULSE_SERVER=unix:$dir/native "$build/bench/sound/bench_beep"
