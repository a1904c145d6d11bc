#!/usr/bin/env bash
# Kills the close's alarm save at random moments and tells what each kill left in the file.
#
# savekill_close saves eight alarms whose 40 keys all changed, with the program's own
# SaveAlarmsIfModified, on a settings file that holds them as they were before. It runs under
# strace, which delays the return of every fsync by DELAY microseconds (a slow disk), and gets
# SIGKILL at a moment drawn uniformly between the start of the save and its end, as measured
# first (the slowest of three whole saves). Each file left behind is compared with the file
# before and after a whole save:
#   old     byte for byte the file before the save
#   new     byte for byte the file after a whole save
#   mixed   some alarm keys old, the others new ("armed for the old day": an alarm switched on
#           with the date it was moved away from)
#   other   anything else: missing, cut, other values
#
# Usage: bench/savekill/run.sh [KILLS [DELAY]]     (defaults: 200 kills, 30000 µs)
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
# shellcheck source=../lib.sh
source "$root/bench/lib.sh"
kills=${1:-200}
delay=${2:-30000}
bench_build Release savekill_close
harness="$build/bench/savekill/savekill_close"
bench_work_folder

# The placement and the preferences around the alarms, as a real file has them.
printf '[fmMain]\r\nFormVersion=0\r\nShowCmd=1\r\nNormPos=455,413,825,610\r\n\r\n[Display]\r\nAppStayOnTop=0\r\nAppShowMenu=1\r\n\r\n[Alarms]\r\nActAlarmsSound=1\r\n\r\n' >"$work/old.ini"
"$harness" old "$work/old.ini"
cp "$work/old.ini" "$work/new.ini"
"$harness" time "$work/new.ini" >/dev/null
mkdir "$work/run"
ini="$work/run/tempovir.ini"

under_strace() {
    strace -f -qq -o /dev/null -e trace=fsync -e inject=fsync:delay_exit="$delay" "$harness" "$@" 2>>"$work/strace.log"
}

length=0
for _ in 1 2 3; do
    cp "$work/old.ini" "$ini"
    took=$(under_strace time "$ini")
    cmp -s "$ini" "$work/new.ini" || { echo "a whole save did not give the new file" >&2; exit 1; }
    [ "$took" -gt "$length" ] && length=$took
done

declare -A count=([old]=0 [new]=0 [mixed]=0 [armed]=0 [other]=0)
temporaries=0
for _ in $(seq "$kills"); do
    cp "$work/old.ini" "$ini"
    # strace ends the way its tracee did, here by SIGKILL.
    { under_strace kill "$ini" $(((RANDOM * 32768 + RANDOM) % (length + 1))); } 2>/dev/null || true
    if cmp -s "$ini" "$work/old.ini"; then
        outcome=old
    elif cmp -s "$ini" "$work/new.ini"; then
        outcome=new
    else
        outcome=$("$harness" classify "$ini")
    fi
    count[$outcome]=$((count[$outcome] + 1))
    if [ -n "$(find "$work/run" -name '.tempovir.ini.tmp-*')" ]; then temporaries=$((temporaries + 1)); fi
    rm -f "$work/run"/.tempovir.ini.tmp-*
done

echo "save of eight changed alarms under strace, fsync delayed by $delay µs: $((length / 1000)) ms whole"
echo "$kills SIGKILLs at moments uniform over the save"
printf '%-8s %6s\n' old "${count[old]}" new "${count[new]}"
printf '%-8s %6s   (armed for the old day: %s)\n' mixed "$((count[mixed] + count[armed]))" "${count[armed]}"
printf '%-8s %6s\n' other "${count[other]}"
echo "runs that left a temporary file beside it (removed by the next save): $temporaries"
