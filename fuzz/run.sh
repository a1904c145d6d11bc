#!/usr/bin/env bash
# Builds the markup renderer's libFuzzer harness (clang, ASan + UBSan) and runs it for the
# given number of seconds. Exits non-zero when the fuzzer finds a crash or a sanitizer report.
set -euo pipefail
seconds=${1:?usage: $0 SECONDS}
root=$(cd "$(dirname "$0")/.." && pwd)
out="$root/fuzz-build"
mkdir -p "$out/corpus" "$out/artifacts"

flags=(-std=c++20 -g -O1 -fPIC -fno-omit-frame-pointer
    -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined
    -DQT_NO_KEYWORDS -I"$root")
# One unity translation unit keeps the CI build quick.
cat >"$out/unity.cpp" <<UNITY
#include "$root/fuzz/markup_fuzz.cpp"
#include "$root/ui/MarkupRender.cpp"
#include "$root/ui/MarkupTokenizer.cpp"
#include "$root/ui/MarkupLayout.cpp"
#include "$root/ui/MarkupPaint.cpp"
#include "$root/platform/Fonts.cpp"
UNITY
binary="$out/markup_fuzz"
if [ ! -x "$binary" ] || [ -n "$(find "$root/fuzz/markup_fuzz.cpp" "$root"/ui/Markup{Render,Tokenizer,Layout,Paint}.* \
    "$root/platform/Fonts.cpp" -newer "$binary")" ]; then
    # shellcheck disable=SC2046
    clang++ "${flags[@]}" "$out/unity.cpp" -o "$binary" $(pkg-config --cflags --libs Qt6Gui)
fi

# A few seeds in the markup the program writes.
seed() { printf '%b' "$2" >"$out/corpus/$1"; }
seed alert '\xa0\x60\x05\x04\x04\x04<B>Tem<FONT color="#FF0000">po</FONT>vir</B> - Alarme Num. 001<hr><br>R\xc3\xa9veil'
seed notice '\xff\x41\x05\x04\x04\x04<FONT face="Arial">La fonction <br>Vous pouvez <br><br>Pour annuler.</FONT>'
seed tags '\x80\x50\x14\x06\x02\x02<P align="center" bgcolor="clred" bgcolorto="#00FF"><A href="x">a</A><SUP>b</SUP><SUB>c</SUB><SH>d</SH><E>e</E><Z>f</Z><UL><LI>g</LI></UL><IN x="9"><OF x="3">h</O><HI>i</HI><BODY bgcolor="clblue">&amp;amp;&nbsp;&lt;&gt;&euro;<#j>\tk\r\nl'

export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=detect_leaks=0:allocator_may_return_null=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
cd "$out"
"$binary" -max_total_time="$seconds" -max_len=4096 -timeout=10 -rss_limit_mb=2048 \
    -artifact_prefix="$out/artifacts/" -print_final_stats=1 "$out/corpus"
