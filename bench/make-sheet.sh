#!/usr/bin/env bash
# Draws a sheet of many symbols in a grid: A4 at 300 dpi (2480x3508), 2-pixel
# modules, each symbol with its own content, centred in its cell.
# Usage: make-sheet.sh KIND COLUMNS ROWS OUT.png [JITTER] [DEGREES]
#   KIND: qr, datamatrix, code128 or mixed (QR Code, Datamatrix, Code 128,
#   EAN-13, PDF417 and Aztec Code in turn).
#   JITTER: each symbol moved by up to this many pixels either way (default 0:
#   exact spacing). DEGREES: the whole sheet turned clockwise (default 0).
# Prints the number of symbols drawn.
set -euo pipefail
kind=$1 columns=$2 rows=$3 out=$4 jitter=${5:-0} degrees=${6:-0}
width=2480 height=3508 margin=60
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
RANDOM=7  # the same jitter on every run
mixed=(qr datamatrix code128 ean13 pdf417 aztec)
declare -A options=(
  [qr]="-b QRCODE" [datamatrix]="-b DATAMATRIX" [code128]="-b CODE128 --height=20"
  [ean13]="-b EANX" [pdf417]="-b PDF417 --cols=2" [aztec]="-b AZTEC")
# The content of symbol I of kind K.
content() {
  case $1 in
    qr) printf 'SHEET QR %04d' "$2" ;;
    datamatrix) printf 'DM%04d' "$2" ;;
    code128) printf "C%04d" "$2" ;;
    ean13) printf '5901234%05d' "$2" ;;
    pdf417) printf 'PDF %04d' "$2" ;;
    aztec) printf 'AZTEC %04d' "$2" ;;
  esac
}
# One zint run per kind draws its symbols (--batch: one per line).
total=$((rows * columns))
declare -a kinds files
declare -A count
for ((i = 0; i < total; i++)); do
  k=$kind
  [[ $kind == mixed ]] && k=${mixed[(i / columns + i % columns) % 6]}
  kinds[i]=$k
  count[$k]=$((${count[$k]:-0} + 1))
  files[i]=$(printf '%s/%s-%05d.png' "$tmp" "$k" "${count[$k]}")
  content "$k" "$i" >>"$tmp/$k.txt"
  echo >>"$tmp/$k.txt"
done
for k in "${!count[@]}"; do
  # shellcheck disable=SC2086
  zint ${options[$k]} --scale=1 --batch -i "$tmp/$k.txt" -o "$tmp/$k-~~~~~.png" >/dev/null
done
declare -A size
while read -r f w h; do size[$f]="$w $h"; done < <(identify -format '%d/%f %w %h\n' "$tmp"/*.png)
cellw=$(((width - 2 * margin) / columns)) cellh=$(((height - 2 * margin) / rows))
args=()
for ((i = 0; i < total; i++)); do
  read -r w h <<<"${size[${files[i]}]}"
  dx=0 dy=0
  if ((jitter > 0)); then
    dx=$((RANDOM % (2 * jitter + 1) - jitter)) dy=$((RANDOM % (2 * jitter + 1) - jitter))
  fi
  x=$((margin + i % columns * cellw + (cellw - w) / 2 + dx))
  y=$((margin + i / columns * cellh + (cellh - h) / 2 + dy))
  args+=("${files[i]}" -geometry "+$x+$y" -composite)
done
convert -size ${width}x$height xc:white "${args[@]}" -background white -rotate "$degrees" \
  -colorspace Gray -depth 8 -density 300 -units PixelsPerInch "$out"
echo "$total"
