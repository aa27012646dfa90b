#!/usr/bin/env bash
# Pages per second over a folder of A4 300-dpi pages (copies of the benchmark
# page, bench/make-page.sh): tools/batch.sh (GNU parallel, one job per core)
# against a plain sequential loop, measured alternately so that other load on
# the machine falls on both alike. Prints one line per round and the medians.
# Usage: bench/batch.sh [PAGES] [ROUNDS]   (default 200 pages, 2 rounds each)
set -euo pipefail
cd "$(dirname "$0")/.."
pages=${1:-200}
rounds=${2:-2}
worker=$(realpath build/velmora-barcode)
[[ -x $worker ]] || { echo "build the worker first (tools/build.sh)"; exit 1; }
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
mkdir -p "$tmp/pages"
bash bench/make-page.sh "$tmp/page.png"
for ((i = 1; i <= pages; i++)); do
  ln "$tmp/page.png" "$tmp/pages/$(printf 'page-%03d.png' "$i")"
done

sequential() {
  local out=$tmp/seq image name
  rm -rf "$out" && mkdir -p "$out"
  for image in "$tmp"/pages/*.png; do
    name=$(basename "$image")
    printf '{"width": 65535, "height": 65535, "stride": 65535, "dpi": 300, "scalarW": "1.0", "scalarH": "1.0", "bitmapPath": "%s", "resultPath": "%s"}' \
      "$image" "$out/$name.json" >"$out/$name.request.json"
    "$worker" "$out/$name.request.json"
  done
}
batch() {
  rm -rf "$tmp/batch"
  VELMORA_WORKER=$worker VELMORA_BAR=0 bash tools/batch.sh "$tmp/pages" "$tmp/batch" 2>/dev/null
}

declare -A rates
for ((r = 1; r <= rounds; r++)); do
  for way in sequential batch; do
    load=$(cut -d' ' -f1 /proc/loadavg)
    start=$(date +%s.%N)
    "$way"
    end=$(date +%s.%N)
    rate=$(echo "scale=3; $pages / ($end - $start)" | bc)
    rates[$way]+="$rate "
    printf '%-10s round %d: %d pages in %6.1f s, %s pages/s (load average %s at start)\n' \
      "$way" "$r" "$pages" "$(echo "$end - $start" | bc)" "$rate" "$load"
  done
done
for way in sequential batch; do
  echo "$way median: $(tr ' ' '\n' <<<"${rates[$way]}" | grep . | sort -n |
    awk '{v[NR] = $1} END {print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2}') pages/s"
done
