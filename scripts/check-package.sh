#!/usr/bin/env bash
# Checks the program as a desktop user gets it: the installed desktop entry and metainfo
# validate, the Debian package builds with no lintian error and holds the expected paths, and
# the program installed into a root-owned prefix runs as an unprivileged user, fires an alarm
# kept in that user's configuration folder and writes nothing into the prefix.
# Usage: scripts/check-package.sh BUILD_DIR (a build configured with CMAKE_INSTALL_PREFIX=/usr)
set -euo pipefail
build=$(cd "${1:?usage: $0 BUILD_DIR}" && pwd)
root=$(cd "$(dirname "$0")/.." && pwd)
app_id=org.tempovir.Tempovir
work=$(mktemp -d /tmp/tempovir-package.XXXXXX)
pids=()
cleanup() {
    local p
    for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT
fail() {
    echo "check-package: $*" >&2
    exit 1
}

echo "== staged install and validation"
DESTDIR="$work/stage" cmake --install "$build" >/dev/null
desktop-file-validate "$work/stage/usr/share/applications/$app_id.desktop"
appstreamcli validate --no-net "$work/stage/usr/share/metainfo/$app_id.metainfo.xml"

echo "== Debian package"
(cd "$build" && cpack -G DEB -B "$work/deb" >/dev/null)
deb=$(ls "$work"/deb/tempovir_*.deb)
lintian_out=$(lintian --allow-root --tag-display-limit 0 "$deb" || true)
echo "$lintian_out"
if grep -q '^E: ' <<<"$lintian_out"; then fail "lintian reports errors"; fi
contents=$(dpkg-deb -c "$deb" | awk '{print $6}')
for path in ./usr/bin/tempovir \
    "./usr/share/applications/$app_id.desktop" \
    "./usr/share/metainfo/$app_id.metainfo.xml" \
    "./usr/share/icons/hicolor/scalable/apps/$app_id.svg" \
    "./usr/share/icons/hicolor/48x48/apps/$app_id.png" \
    ./usr/share/man/man1/tempovir.1.gz ./usr/share/man/fr/man1/tempovir.1.gz \
    ./usr/share/doc/tempovir/copyright; do
    grep -qxF "$path" <<<"$contents" || fail "the package lacks $path"
done
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
for dep in libqt6widgets6 libpulse0 fonts-wine fonts-liberation; do
    grep -q "$dep" <<<"$depends" || fail "the package does not depend on $dep"
done

echo "== installed into a root-owned prefix, run by an unprivileged user"
prefix="$work/prefix"
cmake --install "$build" --prefix "$prefix" >/dev/null
chmod -R go-w "$prefix"
chmod 755 "$work"
user=nobody
home="$work/home"
mkdir -p "$home"
chown "$user" "$home"
config="$home/.config/tempovir/tempovir.ini"

# An alarm five seconds after the faked start, kept where the installed program looks.
start_epoch=$(date -d '2026-12-10 07:29:55' +%s)
runuser -u "$user" -- mkdir -p "$home/.config/tempovir"
printf '[Alarm_000]\r\nEnabled=1\r\nDate=10/12/2026\r\nTime=07:30:00\r\nDisplayName=Paquet\r\nShutdown=0\r\n' |
    runuser -u "$user" -- tee "$config" >/dev/null

exec 3< <(Xvfb -displayfd 1 -screen 0 1280x1024x24 -nolisten tcp -ac 2>/dev/null)
pids+=($!)
read -r -t 15 display_number <&3 || fail "Xvfb did not start"
display=":$display_number"
DISPLAY=$display openbox >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 100); do DISPLAY=$display wmctrl -m >/dev/null 2>&1 && break; sleep 0.1; done

faketime_lib=$(find /usr/lib -name 'libfaketimeMT.so.1' | head -n 1)
[ -n "$faketime_lib" ] || fail "libfaketimeMT.so.1 not found"
runuser -u "$user" -- env -i PATH=/usr/bin:/bin HOME="$home" DISPLAY="$display" \
    LANG=fr_FR.UTF-8 LC_ALL=fr_FR.UTF-8 TZ=Europe/Paris \
    LD_PRELOAD="$faketime_lib" FAKETIME="@2026-12-10 07:29:55" \
    "$prefix/bin/tempovir" >"$work/program.log" 2>&1 &
program=$!
pids+=($program)

wait_for_window() {
    local name=$1 i
    for i in $(seq 200); do
        DISPLAY=$display xdotool search --name "$name" >/dev/null 2>&1 && return 0
        kill -0 "$program" 2>/dev/null || return 1
        sleep 0.1
    done
    return 1
}
wait_for_window '^TPV - Tempovir$' || fail "the main window did not appear: $(cat "$work/program.log")"
wait_for_window 'Tempovir - Alarme|^Alerte' || fail "the alarm did not fire"
echo "the alarm fired"
DISPLAY=$display wmctrl -c 'TPV - Tempovir'
for _ in $(seq 100); do kill -0 "$program" 2>/dev/null || break; sleep 0.1; done
kill -0 "$program" 2>/dev/null && fail "the program did not end after its window was closed"
grep -q '^\[Display\]' "$config" || fail "the preferences did not reach $config"
grep -q 'DisplayName=Paquet' "$config" || fail "the alarm left $config"
stray=$(find "$prefix" -newer "$prefix/bin/tempovir" -type f)
[ -z "$stray" ] || fail "the program wrote into its prefix: $stray"
[ ! -e "$prefix/bin/tempovir.ini" ] || fail "a settings file appeared beside the installed program"
echo "package checks passed"
