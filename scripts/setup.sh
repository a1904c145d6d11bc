#!/usr/bin/env bash
# Sets a Debian 12 machine up for Tempovir, builds it, then starts it ("run"), runs the whole
# test suite headless ("test") or builds the Debian package ("package"). Installs only the
# packages that are missing.
set -euo pipefail
cd "$(dirname "$0")/.."

mode=${1:-}
case "$mode" in
run | test | package) ;;
*)
    echo "usage: $0 run|test|package" >&2
    exit 2
    ;;
esac

SUDO=
if [ "$(id -u)" -ne 0 ]; then SUDO=sudo; fi

BUILD_PACKAGES=(cmake ninja-build g++ pkg-config qt6-base-dev qt6-qpa-plugins libpulse-dev libxcb1-dev
    fonts-wine fonts-liberation fonts-dejavu-core locales)
TEST_PACKAGES=(googletest libgtest-dev libgmock-dev xvfb openbox xdotool wmctrl x11-utils x11-apps x11-xkb-utils
    imagemagick faketime pulseaudio pulseaudio-utils dbus clang clang-format libclang-rt-14-dev
    desktop-file-utils appstream lintian dpkg-dev file librsvg2-bin)
# The compositors of GNOME and Plasma that the end-to-end tests also run under, headless with
# XWayland; without the desktops they recommend, which the tests do not use.
COMPOSITOR_PACKAGES=(mutter xwayland kwin-wayland)

# install_missing [--no-install-recommends] PACKAGE...
install_missing() {
    local options=() missing=() p
    if [ "${1:-}" = --no-install-recommends ]; then
        options=("$1")
        shift
    fi
    for p in "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
    done
    if [ ${#missing[@]} -gt 0 ]; then
        echo "Installing: ${missing[*]}"
        $SUDO apt-get update -qq
        DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${options[@]}" "${missing[@]}"
    fi
}

# The tests pin French and American regional settings.
ensure_locales() {
    local l
    for l in fr_FR en_US; do
        locale -a 2>/dev/null | grep -qix "$l.utf-\?8" || $SUDO localedef -i "$l" -c -f UTF-8 "$l.UTF-8"
    done
}

jobs=$(nproc)

if [ "$mode" = run ]; then
    install_missing "${BUILD_PACKAGES[@]}"
    cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=OFF
    cmake --build build -j "$jobs"
    exec build/tempovir
fi

if [ "$mode" = package ]; then
    install_missing "${BUILD_PACKAGES[@]}" dpkg-dev file
    cmake -S . -B build-pkg -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -DCMAKE_INSTALL_PREFIX=/usr
    cmake --build build-pkg -j "$jobs"
    (cd build-pkg && cpack -G DEB)
    ls build-pkg/tempovir_*.deb
    exit 0
fi

install_missing "${BUILD_PACKAGES[@]}" "${TEST_PACKAGES[@]}"
install_missing --no-install-recommends "${COMPOSITOR_PACKAGES[@]}"
ensure_locales

# The code as .clang-format lays it out.
git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format --dry-run --Werror

# Normal build: every test, end-to-end ones included, and the benchmark programs (built so
# that they never rot, not run); warnings are errors.
cmake -S . -B build-test -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTEMPOVIR_WERROR=ON -DTEMPOVIR_BENCH=ON \
    -DCMAKE_INSTALL_PREFIX=/usr
cmake --build build-test -j "$jobs"
(cd build-test && ctest --output-on-failure -j "$jobs")
# The compositor checks once more under kwin, which ctest runs under mutter.
bash tests/e2e/kwin-checks.sh build-test

# Installed like a desktop program: install rules, Debian package, an unprivileged run.
bash scripts/check-package.sh build-test

# The same tests once more under AddressSanitizer and UndefinedBehaviorSanitizer.
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTEMPOVIR_WERROR=ON -DTEMPOVIR_SANITIZE=ON
cmake --build build-asan -j "$jobs"
(cd build-asan && ctest --output-on-failure -j "$jobs" -L unit)

if [ -x fuzz/run.sh ]; then
    fuzz/run.sh 30
fi
echo "All tests passed."
