#!/usr/bin/env bash
# Renders the program's icon into the PNG sizes the desktop's icon theme uses.
# Run after changing packaging/icons/hrz2000e.svg and commit the PNGs
# (needs librsvg2-bin; the build itself does not).
set -euo pipefail
cd "$(dirname "$0")/../packaging/icons"
for size in 16 22 24 32 48 64 128 256; do
    rsvg-convert -w "$size" -h "$size" hrz2000e.svg -o "hrz2000e-$size.png"
done
