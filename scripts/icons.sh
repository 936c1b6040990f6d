#!/usr/bin/env bash
# Renders the program's icon (packaging/icons/vantrel.svg) to the PNG sizes the
# desktop's icon theme wants. The PNGs are committed, so the build needs no
# renderer; run this after changing the SVG (needs rsvg-convert, Debian package
# librsvg2-bin).
set -euo pipefail
cd "$(dirname "$0")/.."
command -v rsvg-convert >/dev/null || { echo "icons.sh: needs rsvg-convert (apt-get install librsvg2-bin)" >&2; exit 1; }
for size in 16 24 32 48 64 128 256; do
  rsvg-convert -w "$size" -h "$size" packaging/icons/vantrel.svg -o "packaging/icons/vantrel-$size.png"
done
echo "icons.sh: rendered packaging/icons/vantrel-{16,24,32,48,64,128,256}.png"
