#!/usr/bin/env bash
# Regenerates examples/page.png: an A4 page at 150 dpi (1240x1754) with five
# barcodes, one of them turned by 90 degrees and one upside down.
set -euo pipefail
cd "$(dirname "$0")/.."
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
zint -b QRCODE -d "https://example.com/velmora" --scale 5 -o "$tmp/qr.png"
zint -b CODE128 -d "VELMORA-2026-0001" --scale 1.5 --height 40 -o "$tmp/c128.png"
zint -b EANX -d "400638133393" --scale 2 -o "$tmp/ean.png"
zint -b DATAMATRIX -d "Lot 42 / Serial 7781" --scale 5 -o "$tmp/dm.png"
zint -b PDF417 -d "Invoice 2026-12-08 total 118.40 EUR" --scale 2 -o "$tmp/pdf.png"
convert -size 1240x1754 xc:white \
  "$tmp/qr.png" -geometry +120+140 -composite \
  \( "$tmp/c128.png" -rotate 90 \) -geometry +1000+160 -composite \
  "$tmp/ean.png" -geometry +120+700 -composite \
  \( "$tmp/dm.png" -rotate 180 \) -geometry +700+760 -composite \
  "$tmp/pdf.png" -geometry +120+1300 -composite \
  -colorspace Gray -depth 8 -density 150 -units PixelsPerInch \
  -define png:color-type=0 examples/page.png
