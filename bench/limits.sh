#!/usr/bin/env bash
# Resource limits of the worker on pathological pages: builds each page at
# run time, runs the worker on it under /usr/bin/time -v and prints wall time,
# peak resident memory, exit code and the outcome (barcodes found or the
# report). The numbers behind docs/limits.md.
# Usage: bench/limits.sh [PROFILES]   (request profiles, default "1 4")
# WORKER=path picks the binary (default build/velmora-barcode).
set -euo pipefail
cd "$(dirname "$0")/.."
profiles=${1:-1 4}
worker=${WORKER:-build/velmora-barcode}
[[ -x $worker ]] || { echo "build the worker first (tools/build.sh)"; exit 1; }
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
make_page() { python3 bench/make-hostile-page.py "$@"; }

printf '%-34s %7s %9s %10s %4s  %s\n' page profile "wall (s)" "peak (MiB)" exit outcome

# measure NAME PROFILE REQUEST: one worker run under /usr/bin/time -v, one
# table line.
measure() {
  local name=$1 profile=$2 request=$3 status=0 wall rss outcome
  rm -f "$tmp/result.json"
  /usr/bin/time -v -o "$tmp/time" "$worker" "$request" >"$tmp/out" 2>"$tmp/err" || status=$?
  wall=$(awk -F': ' '/Elapsed \(wall clock\)/ {
           n = split($2, p, ":"); s = 0; for (i = 1; i <= n; i++) s = s * 60 + p[i]; print s }' \
         "$tmp/time")
  rss=$(awk -F': ' '/Maximum resident set size/ { printf "%.0f", $2 / 1024 }' "$tmp/time")
  if [[ -s $tmp/out ]]; then
    outcome=$(sed -e 's/^.*, ERROR: //' -e "s|$tmp/||g" "$tmp/out" | head -c 70)
  else
    outcome="$(grep -c '"type"' "$tmp/result.json" || true) found"
  fi
  [[ -s $tmp/err ]] && outcome="$outcome; STDERR NOT EMPTY"
  printf '%-34s %7s %9s %10s %4s  %s\n' "$name" "$profile" "$wall" "$rss" "$status" "$outcome"
}

# run NAME PROFILE BITMAP: a request for BITMAP with PROFILE, measured.
run() {
  cat >"$tmp/request.json" <<JSON
{"profile": $2, "width": 100000, "height": 100000, "stride": 1, "dpi": 300,
 "scalarW": "1", "scalarH": "1", "bitmapPath": "$3", "resultPath": "$tmp/result.json"}
JSON
  measure "$1" "$2" "$tmp/request.json"
}

# page NAME KIND WIDTH HEIGHT [EXTENSION]: makes the page (PNG unless another
# extension is given), runs every profile, deletes it.
page() {
  local name=$1 file="$tmp/page.${5:-png}"
  make_page "$2" "$3" "$4" "$file"
  for profile in $profiles; do run "$name" "$profile" "$file"; done
  rm -f "$file"
}

# The largest page the decoder accepts (250 million pixels), as noise.
page "noise 15811x15811" noise 15811 15811
# The same as an uncompressed colour file of 750 MB: file, colour and gray
# copies are in memory at once.
page "colour noise 15811x15811 BMP" noise 15811 15811 bmp
# One pixel more on each side: refused from the header.
page "blank 15812x15812" blank 15812 15812
page "bars+dots 15811x15811" bars 15811 15811
page "edges 15811x15811" edges 15811 15811
page "noise 4000x4000" noise 4000 4000
page "bars+dots 4000x4000" bars 4000 4000
page "edges 4000x4000" edges 4000 4000
# QR finder patterns side by side: one library read runs far past any
# budget, so the run's hard stop ends it.
page "finders 1000x1000" finders 1000 1000
page "finders 4000x4000" finders 4000 4000

# Files at the readers' size limits: a sparse bitmap of 2 GiB and a request
# of 100 MB are refused before anything is read; a request just under its
# 64 MiB limit holding one array of 33 million zeros is the most memory a
# request can take.
truncate -s 2G "$tmp/huge.png"
run "sparse bitmap of 2 GiB" 1 "$tmp/huge.png"
rm -f "$tmp/huge.png"
python3 -c 'import sys; sys.stdout.write(" " * 100_000_000)' >"$tmp/blank.json"
measure "request of 100 MB white space" - "$tmp/blank.json"
python3 -c 'import sys; n = (64 * 1024 * 1024 - 3) // 2; sys.stdout.write("[" + "0," * n + "0]")' \
  >"$tmp/zeros.json"
measure "request of 64 MiB: [0,0,...]" - "$tmp/zeros.json"
