#!/usr/bin/env bash
# Renders the program's pictures from their SVG sources in res/icons into the PNG files the
# build embeds (and the desktop packaging installs). Run it after editing an SVG, then commit
# the PNG files: the build itself does not need the renderer.
set -euo pipefail
cd "$(dirname "$0")/../res/icons"

if ! command -v rsvg-convert >/dev/null; then
    SUDO=
    if [ "$(id -u)" -ne 0 ]; then SUDO=sudo; fi
    $SUDO apt-get install -y -qq librsvg2-bin
fi

render() { # source size output
    rsvg-convert --width "$2" --height "$2" --keep-aspect-ratio "$1" --output "$3"
}

# At 16 pixels the detailed drawing turns to mush; its own drawing keeps the hands on pixels.
render tempovir-small.svg 16 tempovir-16.png
for size in 32 48 128; do
    render tempovir.svg "$size" "tempovir-$size.png"
done
render bullet.svg 12 bullet-12.png
render bullet.svg 24 bullet-24.png
