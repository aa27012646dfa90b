#!/usr/bin/env bash
# Draws the hard page: A4 at 300 dpi (2480x3508), ten barcodes with modules
# of 1.5 to 2 pixels (zint at scale 0.75 and 1) on grey paper, blurred by 1.2
# with sensor noise of 0.6, like a poor scan of small print.
# Usage: make-hard-page.sh OUT.png
set -euo pipefail
out=$1
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
zint -b CODE128 -d "HARD-128-0001" --scale 0.75 --height 40 -o "$tmp/1.png"
zint -b EANX -d "501234567890" --scale 1 -o "$tmp/2.png"
zint -b CODE39 -d "HARD39" --scale 0.75 --height 40 -o "$tmp/3.png"
zint -b C25INTER -d "1357924680" --scale 1 --height 40 -o "$tmp/4.png"
zint -b UPCA -d "03600029145" --scale 0.75 -o "$tmp/5.png"
zint -b CODE93 -d "HARD-93" --scale 1 --height 40 -o "$tmp/6.png"
zint -b QRCODE -d "https://example.com/bench/hard" --scale 0.75 -o "$tmp/7.png"
zint -b DATAMATRIX -d "DM hard page" --scale 1 -o "$tmp/8.png"
zint -b PDF417 -d "PDF417 on the hard page" --scale 0.75 -o "$tmp/9.png"
zint -b AZTEC -d "Aztec hard" --scale 1 -o "$tmp/10.png"
# Ink multiplies into the paper: white becomes the paper's grey.
convert -size 2480x3508 xc:white \
  "$tmp/1.png" -geometry +250+250 -composite \
  "$tmp/2.png" -geometry +1450+250 -composite \
  "$tmp/3.png" -geometry +250+900 -composite \
  "$tmp/4.png" -geometry +1450+900 -composite \
  "$tmp/5.png" -geometry +250+1550 -composite \
  "$tmp/6.png" -geometry +1450+1550 -composite \
  "$tmp/7.png" -geometry +300+2200 -composite \
  "$tmp/8.png" -geometry +1500+2200 -composite \
  "$tmp/9.png" -geometry +250+2850 -composite \
  "$tmp/10.png" -geometry +1500+2850 -composite \
  \( -size 2480x3508 xc:gray78 \) -compose Multiply -composite -compose Over \
  -blur 0x1.2 -seed 1 -attenuate 0.6 +noise Gaussian \
  -colorspace Gray -depth 8 -density 300 -units PixelsPerInch "$out"
