#!/usr/bin/env bash
# The compositor checks of test_compositor_e2e under kwin (kwin_wayland --virtual --xwayland),
# as Plasma users run the program; the test program itself runs them under mutter.
#   tests/e2e/kwin-checks.sh BUILD_DIR
# Says why it skips when kwin cannot run here.
set -euo pipefail

build=$(cd "${1:?usage: $0 BUILD_DIR}" && pwd)
if [ ! -x "$build/tests/e2e/test_compositor_e2e" ]; then
    echo "kwin checks: $build/tests/e2e/test_compositor_e2e is not built" >&2
    exit 1
fi
kwin=$(command -v kwin_wayland || true)
if [ -z "$kwin" ]; then
    echo "kwin checks skipped: kwin_wayland is not installed (Debian package kwin-wayland)"
    exit 0
fi

copy=$(mktemp -d)
trap 'rm -rf "$copy"' EXIT
if ! refusal=$("$kwin" --version 2>&1 >/dev/null); then
    # The package gives kwin_wayland a file capability (to raise its own limits); a container
    # whose capability bounding set lacks it refuses to start the file at all. A copy carries
    # no capability.
    cp "$kwin" "$copy/kwin_wayland"
    if ! copyRefusal=$("$copy/kwin_wayland" --version 2>&1 >/dev/null); then
        echo "kwin checks skipped: kwin_wayland cannot run here: ${copyRefusal:-$refusal}"
        exit 0
    fi
    echo "kwin checks: $kwin carries a file capability ($(getcap "$kwin" 2>/dev/null | cut -d' ' -f2-))" \
        "that this machine refuses (${refusal##*: }): running a plain copy of it"
    kwin=$copy/kwin_wayland
fi

cd "$build"
TEMPOVIR_COMPOSITOR=kwin TEMPOVIR_KWIN=$kwin ctest -R '^test_compositor_e2e$' --output-on-failure
