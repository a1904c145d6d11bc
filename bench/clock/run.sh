#!/usr/bin/env bash
# The idle clock beside xclock: processor time, context switches and memory, on a private X
# display with a window manager.
#
# Runs side by side under one Xvfb with openbox, for the same SECONDS (default 60) after a
# short settling time:
#   tempovir-digital   the real program as it starts (digital face);
#   tempovir-analog    the real program switched to analog through its context menu;
#   xclock-digital     xclock -digital -update 1 (a text clock that updates every second);
#   xclock-analog      xclock -update 1 (a face with a second hand, updated every second);
#   xclock-plain       plain xclock (a face without second hand, updated once a minute), for
#                      reference only;
#   empty-ticks        a window with only the clock's tick timer issuing empty ticks, with Qt
#                      set up as the program sets it up: what Qt's own event loop costs at the
#                      450 ms period;
#   wake-450ms         a process with no window that only sleeps 450 ms at a time: what any
#                      program pays on this machine to wake up at the clock's period;
#   wake-1s            the same once a second, xclock's rate.
# With EXTRA=1 also the bench window with the clock control alone (digital, analog) and a
# naive Qt clock repainting its whole text every 450 ms.
#
# Per process, summed over all its threads during the measured SECONDS:
#   cpu-ns      on-CPU time in nanoseconds (/proc/PID/task/*/schedstat, first field);
#   %core       the same as a share of one core;
#   ctxsw/s     context switches per second, voluntary and involuntary
#               (/proc/PID/task/*/status);
#   wakeups/s   voluntary switches per second: a thread went to sleep and was woken again;
#   rss-MB      resident memory at the end (VmRSS), and its peak (VmHWM);
#   threads     number of threads at the end.
# Then the ratio of each tempovir figure to the matching xclock's (same run, same machine).
#
# Usage: bench/clock/run.sh [SECONDS]     (BUILD_DIR, DISPLAY_NUM and EXTRA may be set)
set -euo pipefail

secs=${1:-60}
settle=5
root=$(cd "$(dirname "$0")/../.." && pwd)
# shellcheck source=bench/lib.sh
source "$root/bench/lib.sh"
bench_build RelWithDebInfo tempovir bench_clock_window
bench_work_folder

# A display number nobody uses, unless one is given.
bench_desktop "${DISPLAY_NUM:-}" 1920x1080x24

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
# ALT_EXE adds two runs of another build of the program (alt-digital, alt-analog), with the
# environment ALT_ENV (default: none), to try a change in the same run.
runs="digital analog"
for run in $runs; do
    mkdir -p "$work/$run"
    cp "$build/tempovir" "$work/$run/tempovir"
done
if [ -n "${ALT_EXE:-}" ]; then
    for run in alt-digital alt-analog; do
        mkdir -p "$work/$run"
        cp "$ALT_EXE" "$work/$run/tempovir"
    done
fi
window="$build/bench/clock/bench_clock_window"
start "tempovir-digital" "$work/digital/tempovir"
start "tempovir-analog" "$work/analog/tempovir"
if [ -n "${ALT_EXE:-}" ]; then
    # shellcheck disable=SC2086 # ALT_ENV is a list of assignments
    start "alt-digital" env ${ALT_ENV:-} "$work/alt-digital/tempovir"
    # shellcheck disable=SC2086
    start "alt-analog" env ${ALT_ENV:-} "$work/alt-analog/tempovir"
fi
start "xclock-digital" xclock -digital -update 1 -geometry +0+660
start "xclock-analog" xclock -update 1 -geometry 200x200+480+660
start "xclock-plain" xclock -geometry 200x200+960+660
# The bench windows with Qt's X11 and event-loop settings that the program chooses at start-up.
qt_as_program="QT_QPA_PLATFORM=xcb QT_XCB_NO_MITSHM=1 QT_NO_GLIB=1"
# shellcheck disable=SC2086 # a list of assignments
start "empty-ticks" env $qt_as_program "$window" ticks
start "wake-450ms" "$window" wake 450
start "wake-1s" "$window" wake 1000
if [ "${EXTRA:-0}" = 1 ]; then
    # shellcheck disable=SC2086
    start "clockwindow-digital" env $qt_as_program "$window" digital
    # shellcheck disable=SC2086
    start "clockwindow-analog" env $qt_as_program "$window" analog
    # shellcheck disable=SC2086
    start "plain-qt-450ms" env $qt_as_program "$window" plain
fi

# Every Qt window in a place of its own, fully visible, so that each paints as on a desktop;
# moved once the window manager has placed them all.
sleep 3
qt_window() { # pid [name]
    xdotool search --all --sync --onlyvisible --pid "$1" ${2:+--name "$2"} 2>/dev/null | head -n1
}
declare -A win
for i in "${!procs[@]}"; do
    case ${names[$i]} in
    tempovir-* | alt-*) win[$i]=$(qt_window "${procs[$i]}" Tempovir) ;;
    xclock-* | wake-*) continue ;;
    *) win[$i]=$(qt_window "${procs[$i]}") ;;
    esac
done
x=0
y=30
for i in "${!procs[@]}"; do
    [ -n "${win[$i]:-}" ] || continue
    xdotool windowmove "${win[$i]}" "$x" "$y"
    x=$((x + 480))
    if [ "$x" -ge 1920 ]; then x=0; y=$((y + 300)); fi
done
sleep 1

# Switch the analog runs: the context menu's first item is "Analogique".
for i in "${!procs[@]}"; do
    case ${names[$i]} in tempovir-analog* | alt-analog) ;; *) continue ;; esac
    xdotool windowactivate --sync "${win[$i]}" 2>/dev/null || true
    xdotool mousemove --window "${win[$i]}" 120 90 click 3
    sleep 1
    xdotool mousemove_relative 30 12 click 1
    sleep 1
done
xdotool mousemove 1900 1060
# Tell what each shows: the digital text is thousands of aqua pixels, the small face a few dozen.
for i in "${!procs[@]}"; do
    case ${names[$i]} in tempovir-* | alt-*) ;; *) continue ;; esac
    echo "${names[$i]}: $(import -window "${win[$i]}" -depth 8 txt:- 2>/dev/null | grep -ci '#00FFFF' || true) aqua pixels"
done
[ -z "${SHOT:-}" ] || import -window root "$SHOT"

sleep "$settle"
oncpu() { cat /proc/"$1"/task/*/schedstat 2>/dev/null | awk '{s += $1} END {printf "%d", s + 0}'; }
switches() { # voluntary involuntary, over all threads
    cat /proc/"$1"/task/*/status 2>/dev/null |
        awk '/^voluntary_ctxt_switches/ {v += $2} /^nonvoluntary_ctxt_switches/ {n += $2} END {printf "%d %d", v, n}'
}
declare -A c0 v0 n0 c1 v1 n1
for i in "${!procs[@]}"; do
    c0[$i]=$(oncpu "${procs[$i]}")
    read -r v0[$i] n0[$i] <<<"$(switches "${procs[$i]}")"
done
sleep "$secs"
for i in "${!procs[@]}"; do
    c1[$i]=$(oncpu "${procs[$i]}")
    read -r v1[$i] n1[$i] <<<"$(switches "${procs[$i]}")"
done

echo "idle for $secs s, $(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg)"
printf '%-22s %12s %8s %9s %10s %8s %8s %8s\n' process cpu-ns "%core" "ctxsw/s" "wakeups/s" rss-MB peak-MB threads
declare -A cpu rate
for i in "${!procs[@]}"; do
    p=${procs[$i]}
    name=${names[$i]}
    if [ ! -e "/proc/$p/status" ]; then
        printf '%-22s %s\n' "$name" "ended early (see its log)"
        continue
    fi
    rss=$(awk '/^VmRSS/ {print $2}' "/proc/$p/status")
    hwm=$(awk '/^VmHWM/ {print $2}' "/proc/$p/status")
    threads=$(ls "/proc/$p/task" | wc -l)
    dc=$((c1[$i] - c0[$i]))
    dv=$((v1[$i] - v0[$i]))
    dn=$((n1[$i] - n0[$i]))
    cpu[$name]=$dc
    rate[$name]=$(awk -v v="$dv" -v n="$dn" -v s="$secs" 'BEGIN {printf "%.3f", (v + n) / s}')
    awk -v name="$name" -v dc="$dc" -v dv="$dv" -v dn="$dn" -v s="$secs" -v rss="$rss" -v hwm="$hwm" -v t="$threads" \
        'BEGIN { printf "%-22s %12d %7.4f%% %9.2f %10.2f %8.1f %8.1f %8d\n", name, dc, 100 * dc / 1e9 / s, (dv + dn) / s, dv / s, rss / 1024, hwm / 1024, t }'
done
echo
ratio() { # tempovir-name xclock-name
    [ -n "${cpu[$1]:-}" ] && [ -n "${cpu[$2]:-}" ] || return 0
    awk -v a="${cpu[$1]}" -v b="${cpu[$2]}" -v ra="${rate[$1]}" -v rb="${rate[$2]}" -v x="$1" -v y="$2" \
        'BEGIN { printf "%-22s / %-15s cpu %6.2f x   ctxsw/s %6.2f x\n", x, y, (b > 0 ? a / b : 0), (rb > 0 ? ra / rb : 0) }'
}
ratio tempovir-digital xclock-digital
ratio tempovir-analog xclock-analog
ratio alt-digital xclock-digital
ratio alt-analog xclock-analog
