#!/usr/bin/env bash
# Kills the close's alarm save at random moments and tells what each kill left in the file.
#
# savekill_close saves eight alarms whose 40 keys all changed, with the program's own
# SaveAlarmsIfModified, on a settings file that holds them as they were before. It runs under
# strace, which delays the return of every fsync by DELAY microseconds (a slow disk), and is
# sent SIGKILL after a random wait, uniform between 0 and the length of a whole save measured
# first. Each file left behind is compared with the file before and after a whole save:
#   old     byte for byte the file before the save
#   new     byte for byte the file after a whole save
#   mixed   some alarm keys old, the others new ("armed for old day": an alarm switched on with
#           the date it was moved away from)
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
export TZ=Europe/Paris LC_ALL=fr_FR.UTF-8 LANG=fr_FR.UTF-8 QT_QPA_PLATFORM=offscreen

# The placement and the preferences around the alarms, as a real file has them.
printf '[fmMain]\r\nFormVersion=0\r\nShowCmd=1\r\nNormPos=455,413,825,610\r\n\r\n[Display]\r\nAppStayOnTop=0\r\nAppShowMenu=1\r\n\r\n[Alarms]\r\nActAlarmsSound=1\r\n\r\n' >"$work/old.ini"
"$harness" old "$work/old.ini"
cp "$work/old.ini" "$work/new.ini"
"$harness" save "$work/new.ini" >/dev/null
mkdir "$work/run"
ini="$work/run/tempovir.ini"
mkfifo "$work/ready"

# Starts one save under strace; sets `tracer` and `saver` (the harness's process id).
start_save() {
    cp "$work/old.ini" "$ini"
    strace -f -qq -o /dev/null -e trace=fsync -e inject=fsync:delay_exit="$delay" \
        "$harness" save "$ini" >"$work/ready" &
    tracer=$!
    local word
    read -r word saver <"$work/ready"
    [ "$word" = saving ] || { echo "the harness did not start" >&2; exit 1; }
}

# The length of a whole save under strace: the slowest of three.
length=0
for _ in 1 2 3; do
    start_save
    t0=$(date +%s.%N)
    wait "$tracer"
    t1=$(date +%s.%N)
    cmp -s "$ini" "$work/new.ini" || { echo "a whole save did not give the new file" >&2; exit 1; }
    length=$(awk -v a="$t0" -v b="$t1" -v l="$length" 'BEGIN { d = b - a; print (d > l ? d : l) }')
done

declare -A count=([old]=0 [new]=0 [mixed]=0 [armed]=0 [other]=0)
killed=0
temporaries=0
for _ in $(seq "$kills"); do
    start_save
    sleep "$(awk -v r="$RANDOM" -v l="$length" 'BEGIN { printf "%.4f", r / 32767 * l }')"
    if kill -KILL "$saver" 2>/dev/null; then killed=$((killed + 1)); fi
    wait "$tracer" || true
    if cmp -s "$ini" "$work/old.ini"; then
        outcome=old
    elif cmp -s "$ini" "$work/new.ini"; then
        outcome=new
    else
        outcome=$("$harness" classify "$ini")
    fi
    count[$outcome]=$((count[$outcome] + 1))
    left=$(find "$work/run" -name '.tempovir.ini.tmp-*' | wc -l)
    [ "$left" -eq 0 ] || temporaries=$((temporaries + 1))
    rm -f "$work/run"/.tempovir.ini.tmp-*
done

printf 'save of eight changed alarms under strace, fsync delayed by %d µs: %.2f s whole\n' "$delay" "$length"
printf '%d SIGKILLs at a random moment of the save (%d reached the process still running)\n' "$kills" "$killed"
printf '%-8s %6s\n' old "${count[old]}" new "${count[new]}"
printf '%-8s %6s   (armed for the old day: %s)\n' mixed "$((count[mixed] + count[armed]))" \
    "${count[armed]}"
printf '%-8s %6s\n' other "${count[other]}"
printf 'runs that left a temporary file beside it (removed by the next save): %d\n' "$temporaries"
