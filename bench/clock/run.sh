#!/usr/bin/env bash
# Processor time and memory of the clock left idle, beside xclock, on a private X display.
#
# Runs side by side, for the same SECONDS (default 60) after a short settling time:
#   - the real program build-bench/tempovir, once in digital mode (as it starts) and once
#     switched to analog through its context menu (a right click and the first item);
#   - bench_clock_window, a window with only the clock control, digital and analog, and two
#     references: "plain", a widget repainting its whole text every 450 ms, and "ticks", the
#     tick thread handing over empty ticks (the cost of the period and the hand-over alone);
#   - xclock -digital -update 1 and xclock -update 1.
# and prints, per process, the processor time used (utime + stime from /proc/PID/stat, and
# the finer on-CPU time of all its threads from /proc/PID/task/*/schedstat) as a percentage
# of one core, with the peak resident memory (VmHWM).
#
# Usage: bench/clock/run.sh [SECONDS]
set -euo pipefail

secs=${1:-60}
settle=5
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${BUILD_DIR:-$root/build-bench}

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -DTEMPOVIR_BENCH=ON >/dev/null
cmake --build "$build" --target tempovir bench_clock_window -j 2 >/dev/null

work=$(mktemp -d)
pids=()
cleanup() {
    for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
    for p in "${pids[@]}"; do wait "$p" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT

# A display number nobody uses.
disp=
for n in $(seq 91 199); do
    if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then disp=$n; break; fi
done
[ -n "$disp" ] || { echo "no free display number" >&2; exit 1; }
Xvfb ":$disp" -screen 0 1920x1080x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
pids+=($!)
for _ in $(seq 100); do [ -e "/tmp/.X11-unix/X$disp" ] && break; sleep 0.1; done
export DISPLAY=":$disp"
unset WAYLAND_DISPLAY QT_QPA_PLATFORM
openbox >"$work/openbox.log" 2>&1 &
pids+=($!)
sleep 1

names=()
procs=()
start() { # name command...
    local name=$1
    shift
    "$@" >"$work/$name.log" 2>&1 &
    pids+=($!)
    names+=("$name")
    procs+=($!)
}

# The program writes its settings beside its executable: give each run a folder of its own.
for mode in digital analog; do
    mkdir -p "$work/$mode"
    cp "$build/tempovir" "$work/$mode/tempovir"
done
start "tempovir-digital" "$work/digital/tempovir"
start "tempovir-analog" "$work/analog/tempovir"
start "clockwindow-digital" env QT_QPA_PLATFORM=xcb "$build/bench/clock/bench_clock_window" digital
start "clockwindow-analog" env QT_QPA_PLATFORM=xcb "$build/bench/clock/bench_clock_window" analog
start "plain-qt-450ms" env QT_QPA_PLATFORM=xcb "$build/bench/clock/bench_clock_window" plain
start "empty-ticks" env QT_QPA_PLATFORM=xcb "$build/bench/clock/bench_clock_window" ticks
start "timer-ticks" env QT_QPA_PLATFORM=xcb "$build/bench/clock/bench_clock_window" timer-ticks
start "xclock-digital" xclock -digital -update 1
start "xclock-analog" xclock -update 1

# Switch the second program to analog: its context menu's first item is "Analogique".
analog_pid=${procs[1]}
win=$(xdotool search --sync --onlyvisible --pid "$analog_pid" --name 'Tempovir' | head -n1)
xdotool windowactivate --sync "$win" 2>/dev/null || true
xdotool mousemove --window "$win" 120 90 click 3
sleep 1
xdotool mousemove_relative 30 12 click 1
sleep 1
xdotool mousemove 1900 1060
# Tell what it shows: the digital text is thousands of aqua pixels, the small face a few dozen.
aqua() {
    xdotool windowactivate --sync "$1" >/dev/null 2>&1 || true
    import -window "$1" -depth 8 txt:- 2>/dev/null | grep -ci '#00FFFF' || true
}
digital_win=$(xdotool search --onlyvisible --pid "${procs[0]}" --name 'Tempovir' | head -n1)
echo "aqua pixels: digital program $(aqua "$digital_win"), analog program $(aqua "$win")"

sleep "$settle"
hz=$(getconf CLK_TCK)
ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
oncpu() { cat /proc/"$1"/task/*/schedstat 2>/dev/null | awk '{s += $1} END {print s + 0}'; }
declare -A t0 n0
for i in "${!procs[@]}"; do
    t0[$i]=$(ticks "${procs[$i]}")
    n0[$i]=$(oncpu "${procs[$i]}")
done
sleep "$secs"
printf '%-22s %10s %12s %14s %10s\n' process "cpu-ticks" "%core(stat)" "%core(sched)" "peak-MB"
for i in "${!procs[@]}"; do
    p=${procs[$i]}
    if [ ! -e "/proc/$p/stat" ]; then
        printf '%-22s %s\n' "${names[$i]}" "ended early (see its log)"
        continue
    fi
    t1=$(ticks "$p")
    n1=$(oncpu "$p")
    hwm=$(awk '/VmHWM/ {print $2}' "/proc/$p/status")
    awk -v name="${names[$i]}" -v dt=$((t1 - t0[$i])) -v dn=$((n1 - n0[$i])) -v hz="$hz" -v s="$secs" -v kb="$hwm" \
        'BEGIN { printf "%-22s %10d %11.3f%% %13.3f%% %10.1f\n", name, dt, 100 * dt / hz / s, 100 * dn / 1e9 / s, kb / 1024 }'
done
