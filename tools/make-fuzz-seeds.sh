#!/usr/bin/env bash
# Writes the fuzz seed corpora into tests/fuzz/seeds/: valid and near-valid
# requests, UTF-8/UTF-16 samples, and small images of every format we decode.
set -euo pipefail
cd "$(dirname "$0")/.."
seeds=tests/fuzz/seeds
mkdir -p "$seeds/request" "$seeds/unicode" "$seeds/image" "$seeds/rows" "$seeds/postal"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# Requests: the bitmap path names the image the request target writes itself.
req() { printf '%s' "$2" > "$seeds/request/$1.json"; }
full='"width": 64, "height": 64, "stride": 64, "dpi": 300, "scalarW": "1.0", "scalarH": "1.0", "bitmapPath": "/tmp/velmora-fuzz/page.png", "resultPath": "/tmp/velmora-fuzz/result.json"'
req valid "{$full}"
req all-members "{\"searchTypeGroups\": 4294967295, \"searchDirections\": 7, \"profile\": 2, \"outputFormat\": 1, $full}"
req empty-object '{}'
req nested '{"a": [[[[{"b": [1, 2.5e3, -0, true, false, null, "x\u0000y"]}]]]]}'
req escapes "{\"resultPath\": \"\\u00e9\\ud83d\\ude00\\n\", $full}"
req bad-scalar '{"width": 1, "height": 1, "stride": 1, "dpi": 1, "scalarW": "1,5", "scalarH": " 2e-3"}'
req wrong-types '{"width": 640.0, "height": "640", "stride": null, "dpi": [1]}'

# Unicode: mixed widths, surrogates, malformed sequences.
printf 'plain ASCII text' > "$seeds/unicode/ascii"
printf 'caf\xc3\xa9 \xe2\x82\xac \xf0\x9f\x98\x80' > "$seeds/unicode/utf8-mixed"
printf '\xe2\x82' > "$seeds/unicode/utf8-truncated"
printf '\xed\xa0\x80\xc0\x80\xf4\x90\x80\x80' > "$seeds/unicode/utf8-invalid"
printf 'A\x00\x3d\xd8\x00\xde\x00\xdc\x00\xd8' > "$seeds/unicode/utf16-surrogates"

# Images: a small QR Code in every format, plus a small linear symbol.
zint -b QRCODE -d "fuzz" --scale 1 -o "$tmp/qr.png"
zint -b CODE128 -d "F1" --scale 1 --height 10 --notext -o "$tmp/c128.png"
convert "$tmp/qr.png" -colorspace Gray "$seeds/image/qr-gray.png"
convert "$tmp/c128.png" -colorspace Gray "$seeds/image/c128.png"
convert "$tmp/qr.png" -quality 50 "$seeds/image/qr.jpg"
convert "$tmp/qr.png" -colorspace Gray -compress LZW "$seeds/image/qr-lzw.tif"
convert "$tmp/qr.png" -monochrome -compress Group4 "$seeds/image/qr-g4.tif"
convert "$tmp/qr.png" "$seeds/image/qr.bmp"
convert "$tmp/qr.png" "$seeds/image/qr.gif"
convert "$tmp/qr.png" -colorspace Gray "$seeds/image/qr.pgm"
convert "$tmp/qr.png" "$seeds/image/qr.webp" 2>/dev/null || true
convert "$tmp/qr.png" "$seeds/image/qr.jp2" 2>/dev/null || true
# Rows: the run widths of symbols zint draws (a 0 byte first: widths, a byte a
# quarter pixel; 3 pixels a module, 12 modules of quiet zone on both sides),
# and the same as luminance samples (a 1 byte first: a pixel a byte).
rows() {
  local runs
  # shellcheck disable=SC2086  # the zint arguments split into words
  runs=$(zint --dump -b $2 | head -1 | tr -d ' \n' | fold -w1 |
    while read -r h; do printf '%04d' "$(echo "obase=2; ibase=16; $h" | bc)"; done |
    sed 's/0*$//' | fold -w1 | uniq -c | awk '{printf "%d ", $1}')
  { printf '\x00\x90'; for r in $runs; do printf "\\x$(printf %02x $((r * 12)))"; done; printf '\x90'; } \
    > "$seeds/rows/$1-widths"
  { printf '\x01'; printf '\xff%.0s' $(seq 36); local dark=1
    for r in $runs; do
      for _ in $(seq $((r * 3))); do if ((dark)); then printf '\x10'; else printf '\xf0'; fi; done
      dark=$((1 - dark))
    done
    printf '\xff%.0s' $(seq 36); } > "$seeds/rows/$1-samples"
}
rows msi "MSI_PLESSEY --vers=1 -d 80523"
rows msi-mod11 "MSI_PLESSEY --vers=4 -d 6"
rows code11 "CODE11 -d 123-45"
rows code11-nocheck "CODE11 --vers=2 -d 0123456789-"
rows s25 "C25IND -d 0123456789"

# Postal: each symbology's bars as zint dumps them, one byte per bar (0 full,
# 1 ascender, 2 descender, 3 tracker; two-height codes: 0 tall, 2 short).
postal() {
  zint -b "$2" -d "$3" --dump | awk '
    { rows[NR] = "" ; for (i = 1; i <= NF; i++) for (k = 1; k <= length($i); k++) {
        v = index("0123456789ABCDEF", substr($i, k, 1)) - 1
        for (b = 3; b >= 0; b--) rows[NR] = rows[NR] (int(v / 2^b) % 2) } }
    END { common = 2; out = ""
      for (m = 1; m <= length(rows[common]); m++) {
        if (substr(rows[common], m, 1) != "1") continue
        up = substr(rows[1], m, 1) == "1"; down = (NR == 3) ? substr(rows[3], m, 1) == "1" : 1
        out = out (up ? (down ? "F" : "A") : (down ? "D" : "T")) }
      printf "%s", out }' | tr 'FADT' '\000\001\002\003' > "$seeds/postal/$1"
}
postal postnet POSTNET 606114321
postal planet PLANET 4012345678901
postal auspost AUSPOST 39987520Mail4State
postal ausreply AUSREPLY 12345678
postal rm4scc RM4SCC SN34RD1A
postal mail USPS_IMAIL 01234567094987654321-01234567891
ls -l "$seeds"/*
