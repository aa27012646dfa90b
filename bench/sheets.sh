#!/usr/bin/env bash
# Sheets of many symbols (bench/make-sheet.sh): per sheet and request profile,
# how many symbols the worker finds and its time per sheet and per symbol,
# beside ZXingReader on the same sheet.
# Usage: bench/sheets.sh [KINDS] [COUNTS] [PROFILES] [JITTER] [DEGREES]
#   KINDS: default "qr datamatrix code128 mixed"; COUNTS: default
#   "50 100 200 400" (mixed sheets stop at 200: larger symbols fill a cell);
#   PROFILES: request profiles, default "1 2 3 4".
# WORKER=path picks the binary (default build/velmora-barcode). Times are
# wall seconds and CPU (user + system) seconds of one run each.
set -euo pipefail
cd "$(dirname "$0")/.."
kinds=${1:-qr datamatrix code128 mixed}
counts=${2:-50 100 200 400}
profiles=${3:-1 2 3 4}
jitter=${4:-0} degrees=${5:-0}
worker=${WORKER:-build/velmora-barcode}
[[ -x $worker ]] || { echo "build the worker first (tools/build.sh)"; exit 1; }
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# The grid of COUNT symbols of KIND: columns and rows.
grid() {
  case $1:$2 in
    code128:50 | mixed:50) echo "5 10" ;;
    code128:100 | mixed:100) echo "5 20" ;;
    code128:200 | mixed:200) echo "10 20" ;;
    code128:400) echo "10 40" ;;
    *:50) echo "5 10" ;;
    *:100) echo "10 10" ;;
    *:200) echo "10 20" ;;
    *:400) echo "20 20" ;;
    *) return 1 ;;
  esac
}

# run NAME COUNT_SCRIPT -- CMD...: one timed run; prints found, wall, CPU.
run() {
  local count_cmd=$1 status=0 wall user sys
  shift 2
  /usr/bin/time -f '%e %U %S' -o "$tmp/time" "$@" >"$tmp/out" 2>/dev/null || status=$?
  read -r wall user sys < <(tail -1 "$tmp/time")
  local found
  found=$(eval "$count_cmd")
  ((status != 0)) && found="$found,exit=$status"
  echo "$found $wall $(echo "$user + $sys" | bc)"
}

# Distinct contents / records of a result document (0 without one).
cat >"$tmp/count.py" <<'PY'
import json, sys
try:
    found = json.load(open(sys.argv[1]))["page"]["barcodes"]
except (OSError, ValueError, KeyError):
    found = []
print(f"{len({b.get('text', b.get('data')) for b in found})}/{len(found)}", end="")
PY

printf '%-10s %5s %-8s %10s %8s %8s %12s\n' sheet drawn reader found "wall s" "cpu s" "cpu ms/sym"
for kind in $kinds; do
  for count in $counts; do
    read -r columns rows < <(grid "$kind" "$count") || continue
    [[ $kind == mixed && $count -gt 200 ]] && continue
    page=$tmp/$kind-$count.png
    bash bench/make-sheet.sh "$kind" "$columns" "$rows" "$page" "$jitter" "$degrees" >/dev/null
    read -r width height < <(identify -format '%w %h\n' "$page")
    for profile in $profiles; do
      cat >"$tmp/req.json" <<JSON
{"profile": $profile, "width": $width, "height": $height, "stride": $width, "dpi": 300,
 "scalarW": "1", "scalarH": "1", "bitmapPath": "$page", "resultPath": "$tmp/res.json"}
JSON
      rm -f "$tmp/res.json"
      read -r found wall cpu < <(run "python3 $tmp/count.py $tmp/res.json" -- "$worker" "$tmp/req.json")
      printf '%-10s %5s %-8s %10s %8s %8s %12.2f\n' "$kind" "$count" "profile$profile" "$found" "$wall" "$cpu" "$(echo "1000 * $cpu / $count" | bc -l)"
    done
    read -r found wall cpu < <(run "sort -u $tmp/out | grep -c . || true" -- ZXingReader -1 "$page")
    printf '%-10s %5s %-8s %10s %8s %8s %12.2f\n' "$kind" "$count" ZXing "$found" "$wall" "$cpu" "$(echo "1000 * $cpu / $count" | bc -l)"
  done
done
