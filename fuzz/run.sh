#!/usr/bin/env bash
# Builds the markup renderer's libFuzzer harness (clang, ASan + UBSan) and runs it for the
# given number of seconds. Exits non-zero when the fuzzer finds a crash or a sanitizer report.
set -euo pipefail
seconds=${1:?usage: $0 SECONDS}
root=$(cd "$(dirname "$0")/.." && pwd)
out="$root/fuzz-build"
mkdir -p "$out/corpus" "$out/artifacts"

# The harness links the program's libraries, built by clang with the fuzzer's instrumentation
# in a build folder of their own.
cmake -S "$root" -B "$out" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
    -DBUILD_TESTING=OFF -DTEMPOVIR_FUZZ=ON >/dev/null
cmake --build "$out" --target markup_fuzz -j 2 >/dev/null
binary="$out/fuzz/markup_fuzz"

# A few seeds in the markup the program writes.
seed() { printf '%b' "$2" >"$out/corpus/$1"; }
seed alert '\xa0\x60\x05\x04\x04\x04<B>Tem<FONT color="#FF0000">po</FONT>vir</B> - Alarme Num. 001<hr><br>R\xc3\xa9veil'
seed notice '\xff\x41\x05\x04\x04\x04<FONT face="Arial">La fonction <br>Vous pouvez <br><br>Pour annuler.</FONT>'
seed tags '\x80\x50\x14\x06\x02\x02<P align="center" bgcolor="clred" bgcolorto="#00FF"><A href="x">a</A><SUP>b</SUP><SUB>c</SUB><SH>d</SH><E>e</E><Z>f</Z><UL><LI>g</LI></UL><IN x="9"><OF x="3">h</O><HI>i</HI><BODY bgcolor="clblue">&amp;amp;&nbsp;&lt;&gt;&euro;<#j>\tk\r\nl'

export QT_QPA_PLATFORM=offscreen
# AddressSanitizer keeps freed memory in a quarantine of 256 MB by default, which makes the
# fuzzer's memory look like a leak that grows for minutes; a smaller one finds the same faults.
export ASAN_OPTIONS=detect_leaks=0:allocator_may_return_null=1:quarantine_size_mb=32
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
cd "$out"
"$binary" -max_total_time="$seconds" -max_len=4096 -timeout=10 -rss_limit_mb=2048 \
    -artifact_prefix="$out/artifacts/" -print_final_stats=1 "$out/corpus"
