#!/usr/bin/env bash
# Draws the benchmark page: A4 at 300 dpi (2480x3508), thirteen barcodes in
# several orientations, lightly blurred with sensor noise like a scan.
# Usage: make-page.sh OUT.png [library]
#   library: only the eight symbols of the library's symbologies (the page
#   without any of our own readers' symbols, for measuring their cost).
set -euo pipefail
out=$1 only_library=${2:-}
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
zint -b QRCODE -d "https://example.com/bench/0001" --scale 8 -o "$tmp/qr.png"
zint -b CODE128 -d "BENCH-128-000042" --scale 2 --height 50 -o "$tmp/c128.png"
zint -b EANX -d "590123412345" --scale 3 -o "$tmp/ean.png"
zint -b DATAMATRIX -d "DM bench 2026/12" --scale 8 -o "$tmp/dm.png"
zint -b PDF417 -d "PDF417 benchmark payload 0123456789" --scale 3 -o "$tmp/pdf.png"
zint -b CODE39 -d "CODE39 BENCH" --scale 2 --height 50 -o "$tmp/c39.png"
zint -b C25INTER -d "12345678901234" --scale 3 --height 50 -o "$tmp/itf.png"
zint -b AZTEC -d "Aztec bench" --scale 8 -o "$tmp/aztec.png"
zint -b MSI_PLESSEY --vers=1 -d "20261208" --scale 2 --height 50 -o "$tmp/msi.png"
zint -b CODE11 -d "555-0142" --scale 2 --height 50 -o "$tmp/c11.png"
zint -b C25IND -d "8675309" --scale 2 --height 50 -o "$tmp/s25.png"
zint -b PHARMA -d "4711" --scale 3 -o "$tmp/pharma.png"
# Patch T along the right edge: from that edge inward narrow, wide, narrow,
# wide (0.08 and 0.20 in, 0.08 in apart, 2.5 in long).
convert -size 240x750 xc:white -fill black -draw 'rectangle 0,0 59,749' \
  -draw 'rectangle 84,0 107,749' -draw 'rectangle 132,0 191,749' \
  -draw 'rectangle 216,0 239,749' "$tmp/patch.png"
ours=(
  "$tmp/msi.png" -geometry +800+300 -composite
  "$tmp/c11.png" -geometry +800+750 -composite
  \( "$tmp/s25.png" -rotate 180 \) -geometry +950+2450 -composite
  "$tmp/pharma.png" -geometry +1500+800 -composite
  "$tmp/patch.png" -geometry +2165+1100 -composite
)
[[ $only_library == library ]] && ours=()
convert -size 2480x3508 xc:white \
  "$tmp/qr.png" -geometry +200+200 -composite \
  \( "$tmp/c128.png" -rotate 90 \) -geometry +2000+250 -composite \
  "$tmp/ean.png" -geometry +200+1200 -composite \
  \( "$tmp/dm.png" -rotate 180 \) -geometry +1400+1300 -composite \
  "$tmp/pdf.png" -geometry +200+2000 -composite \
  \( "$tmp/c39.png" -rotate 270 \) -geometry +1900+1900 -composite \
  "$tmp/itf.png" -geometry +200+2800 -composite \
  "$tmp/aztec.png" -geometry +1500+2900 -composite \
  "${ours[@]}" \
  -blur 0x1 -seed 1 -attenuate 0.4 +noise Gaussian \
  -colorspace Gray -depth 8 -density 300 -units PixelsPerInch "$out"
