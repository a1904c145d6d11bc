#!/usr/bin/env bash
# Processor time of the whole program during one 30-second power-off countdown.
#
# The real program build-bench/tempovir runs on a private X display with a power-off alarm
# 40 seconds ahead (real time: faketime's preload alone costs a quarter of a core here). It is given a private system bus (a dbus-daemon of
# this script's own, in a temporary folder) on which a stand-in logind records the request
# and switches nothing off; the script refuses to start the program without it.
# Measured from the moment the countdown window appears to the moment the request reaches
# the stand-in: utime + stime from /proc/PID/stat and the on-CPU time of all threads from
# /proc/PID/task/*/schedstat, as a percentage of one core. For comparison, the same figures
# for the program idle over the same length of time before the alarm.
#
# Usage: bench/shutdown/run.sh
set -euo pipefail

root=$(cd "$(dirname "$0")/../.." && pwd)
# shellcheck source=bench/lib.sh
source "$root/bench/lib.sh"
bench_build Release tempovir bench_logind_standin
bench_work_folder

# The private system bus and its stand-in logind.
cat >"$work/system.conf" <<CONF
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>system</type>
  <listen>unix:path=$work/system_bus_socket</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow user="*"/>
    <allow own="*"/>
    <allow send_type="method_call"/>
    <allow send_type="method_return"/>
    <allow send_type="error"/>
    <allow send_type="signal"/>
    <allow receive_type="method_call"/>
    <allow receive_type="method_return"/>
    <allow receive_type="error"/>
    <allow receive_type="signal"/>
  </policy>
</busconfig>
CONF
# Waits up to 10 s for a first line in a file and prints it.
first_line() {
    for _ in $(seq 100); do
        if [ -s "$1" ]; then head -n1 "$1"; return; fi
        sleep 0.1
    done
}
dbus-daemon --nofork --nosyslog --config-file="$work/system.conf" --print-address=1 >"$work/address" 2>"$work/dbus.log" &
pids+=($!)
bus=$(first_line "$work/address")
case "$bus" in
"unix:path=$work/system_bus_socket"*) ;;
*)
    echo "no private system bus; not starting the program" >&2
    exit 1
    ;;
esac
"$build/bench/shutdown/bench_logind_standin" "$bus" "$work/calls.log" >"$work/standin.out" 2>"$work/standin.log" &
pids+=($!)
if [ "$(first_line "$work/standin.out")" != ready ]; then
    echo "the stand-in logind did not come up; not starting the program" >&2
    exit 1
fi

# A display number nobody uses.
bench_desktop "" 1280x1024x24

# The alarm 40 s after the program starts: time to settle and to measure it idle first.
mkdir -p "$work/run"
cp "$build/tempovir" "$work/run/tempovir"
at=$(date +%s)
at=$((at + 40))
printf '[Alarm_000]\r\nEnabled=1\r\nDate=%s\r\nTime=%s\r\nDisplayName=Extinction\r\nShutdown=1\r\n' \
    "$(TZ=Europe/Paris date -d "@$at" +%d/%m/%Y)" "$(TZ=Europe/Paris date -d "@$at" +%H:%M:%S)" >"$work/run/tempovir.ini"
(
    cd "$work/run"
    exec env DBUS_SYSTEM_BUS_ADDRESS="$bus" XDG_RUNTIME_DIR="$work/run" TZ=Europe/Paris \
        LC_ALL=fr_FR.UTF-8 LANG=fr_FR.UTF-8 ./tempovir
) >"$work/program.log" 2>&1 &
prog=$!
pids+=($prog)

hz=$(getconf CLK_TCK)
ticks() { awk '{print $14 + $15}' "/proc/$prog/stat"; }
oncpu() { cat /proc/"$prog"/task/*/schedstat 2>/dev/null | awk '{s += $1} END {printf "%.0f\n", s}'; }
now() { date +%s.%N; }
report() { # name ticks nanoseconds seconds
    awk -v name="$1" -v dt="$2" -v dn="$3" -v s="$4" -v hz="$hz" \
        'BEGIN { printf "%-22s %8.2f s %12.3f%% %14.3f%%\n", name, s, 100 * dt / hz / s, 100 * dn / 1e9 / s }'
}

xdotool search --sync --onlyvisible --name '^TPV - Tempovir$' >/dev/null
sleep 5
t0=$(ticks); n0=$(oncpu); s0=$(now)
sleep 25
t1=$(ticks); n1=$(oncpu); s1=$(now)
idle=("idle clock" $((t1 - t0)) $((n1 - n0)) "$(awk -v a="$s0" -v b="$s1" 'BEGIN{print b - a}')")

xdotool search --sync --onlyvisible --name '^Tempovir - Extinction automatique du PC$' >/dev/null
t0=$(ticks); n0=$(oncpu); s0=$(now)
for _ in $(seq 900); do
    [ -s "$work/calls.log" ] && break
    sleep 0.05
done
t1=$(ticks); n1=$(oncpu); s1=$(now)
[ -s "$work/calls.log" ] || { echo "no power-off request reached the stand-in" >&2; exit 1; }
count=("countdown" $((t1 - t0)) $((n1 - n0)) "$(awk -v a="$s0" -v b="$s1" 'BEGIN{print b - a}')")

printf '%-22s %10s %13s %15s\n' "" length "%core(stat)" "%core(sched)"
report "${idle[@]}"
report "${count[@]}"
echo "requests received by the stand-in: $(wc -l <"$work/calls.log") ($(head -n1 "$work/calls.log"))"
if kill -0 "$prog" 2>/dev/null; then echo "program still running after the request"; fi
