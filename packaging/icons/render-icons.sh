#!/usr/bin/env bash
# Renders the PNG sizes of the program's icon from its SVG (rsvg-convert, from
# Debian's librsvg2-bin). The PNGs are committed; run this after editing the SVG.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
for size in 16 22 24 32 48 64 128 256; do
  rsvg-convert -w "$size" -h "$size" "$here/sanskrit-font-converter.svg" \
    -o "$here/sanskrit-font-converter-$size.png"
done
