#!/usr/bin/env bash
# Draws the diagonal page: A4 at 300 dpi (2480x3508), seven barcodes turned
# by angles other than right angles (zint at scale 2 to 4, ImageMagick
# -rotate, clockwise): Code 128 -30, EAN-13 45, Code 39 -45, Interleaved 2 of
# 5 135, Code 128 200, QR Code 45, Datamatrix 30; blur 0.7, noise 0.3.
# Usage: make-diagonal-page.sh OUT.png
set -euo pipefail
out=$1
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
zint -b CODE128 -d "DIAG-128-030" --scale 2 --height 50 -o "$tmp/c128a.png"
zint -b EANX -d "871234567890" --scale 3 -o "$tmp/ean.png"
zint -b CODE39 -d "DIAG 39" --scale 2 --height 50 -o "$tmp/c39.png"
zint -b C25INTER -d "24681357" --scale 3 --height 50 -o "$tmp/itf.png"
zint -b CODE128 -d "DIAG-128-200" --scale 2 --height 50 -o "$tmp/c128b.png"
zint -b QRCODE -d "https://example.com/bench/diagonal" --scale 4 -o "$tmp/qr.png"
zint -b DATAMATRIX -d "DM diagonal 30" --scale 4 -o "$tmp/dm.png"
convert -size 2480x3508 xc:white \
  \( "$tmp/c128a.png" -background white -rotate -30 \) -geometry +200+200 -composite \
  \( "$tmp/ean.png" -background white -rotate 45 \) -geometry +1400+200 -composite \
  \( "$tmp/c39.png" -background white -rotate -45 \) -geometry +200+1200 -composite \
  \( "$tmp/itf.png" -background white -rotate 135 \) -geometry +1400+1200 -composite \
  \( "$tmp/c128b.png" -background white -rotate 200 \) -geometry +200+2300 -composite \
  \( "$tmp/qr.png" -background white -rotate 45 \) -geometry +1500+2250 -composite \
  \( "$tmp/dm.png" -background white -rotate 30 \) -geometry +1000+3000 -composite \
  -blur 0x0.7 -seed 1 -attenuate 0.3 +noise Gaussian \
  -colorspace Gray -depth 8 -density 300 -units PixelsPerInch "$out"
