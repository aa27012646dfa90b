#!/usr/bin/env bash
# Whole-process cost of the worker on small images beside ZXingReader's:
# instructions (callgrind, repeatable on a loaded machine) and time per run
# (hyperfine wall-time median, perf task-clock mean), alternating the two
# readers round by round. The first row runs each program without arguments:
# loading and start-up alone.
# Usage: bench/startup.sh [RUNS] [ROUNDS]     (defaults 100 and 3)
#   WORKER=path compares another build of the worker; NOTIME=1 counts
#   instructions only.
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-100}
rounds=${2:-3}
worker=$(realpath "${WORKER:-build/velmora-barcode}")
[[ -x $worker ]] || { echo "build the worker first (tools/build.sh)"; exit 1; }
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# name, zint arguments, file type; every symbol gets a white margin.
images=(
  "qr.png|-b QRCODE --scale=3 -d https://example.com/velmora"
  "code128.jpg|-b CODE128 --notext --scale=2 --height=30 -d VELMORA-2026-0001"
  "datamatrix.tif|-b DATAMATRIX --scale=4 -d DM-2026-0001"
  "aztec.gif|-b AZTEC --scale=4 -d Aztec-0001"
  "ean13.png|-b EANX --scale=2 -d 590123412345"
  "pdf417.tif|-b PDF417 --scale=2 -d PDF417-2026-0001"
)
declare -A zxfile
for row in "${images[@]}"; do
  name=${row%%|*}
  # shellcheck disable=SC2086
  zint ${row#*|} --filetype=png -o "$tmp/sym.png"
  convert "$tmp/sym.png" -bordercolor white -border 24 -colorspace Gray "$tmp/$name"
  # ZXingReader's image loader reads no TIFF: it gets the same pixels as PNG.
  zxfile[$name]=$tmp/$name
  [[ $name == *.tif ]] && convert "$tmp/$name" "$tmp/$name.png" && zxfile[$name]=$tmp/$name.png
  read -r w h < <(identify -format '%w %h\n' "$tmp/$name")
  cat >"$tmp/$name.json" <<JSON
{"width": $w, "height": $h, "stride": $w, "dpi": 300, "scalarW": "1", "scalarH": "1",
 "bitmapPath": "$tmp/$name", "resultPath": "$tmp/$name.result.json"}
JSON
done

instructions() {  # without arguments both programs exit 1, hence || true
  { valgrind --tool=callgrind --callgrind-out-file=/dev/null "$@" 2>&1 >/dev/null || true; } |
    awk '/Collected :/ {print $4}'
}
wall_ms() {  # median wall milliseconds of $runs runs
  hyperfine -N -i -w 3 -r "$runs" --export-json "$tmp/h.json" "$*" >/dev/null 2>&1
  python3 -c 'import json,sys; print("%.2f" % (json.load(open(sys.argv[1]))["results"][0]["median"]*1000))' "$tmp/h.json"
}
task_ms() {  # mean task-clock milliseconds of $runs runs
  { perf stat -x, -e task-clock -r "$runs" "$@" 2>&1 >/dev/null || true; } | awk -F, '/task-clock/ {printf "%.2f\n", $1}'
}
median() { sort -g | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN {printf "%.2f", a / b}'; }

printf '%-16s %8s %11s %11s %6s' image size "worker Ir" "zxing Ir" ratio
if [[ -z ${NOTIME:-} ]]; then
  printf ' %9s %9s %6s %9s %9s %6s' "wall ms" "zx ms" ratio "task ms" "zx task" ratio
fi
printf '\n'
ratios_ir=() ratios_wall=() ratios_task=()
for name in start "${images[@]%%|*}"; do
  if [[ $name == start ]]; then
    wcmd=("$worker") zcmd=(ZXingReader) size=-
  else
    wcmd=("$worker" "$tmp/$name.json") zcmd=(ZXingReader "${zxfile[$name]}")
    size=$(identify -format '%wx%h' "$tmp/$name")
    "${wcmd[@]}"
    grep -q '"type"' "$tmp/$name.result.json" || echo "worker found nothing in $name"
    "${zcmd[@]}" | grep -q '^Text:' || echo "ZXingReader found nothing in $name"
  fi
  wi=$(instructions "${wcmd[@]}") zi=$(instructions "${zcmd[@]}")
  printf '%-16s %8s %11s %11s %6s' "$name" "$size" "$wi" "$zi" "$(ratio "$wi" "$zi")"
  [[ $name != start ]] && ratios_ir+=("$(ratio "$wi" "$zi")")
  if [[ -z ${NOTIME:-} ]]; then
    ww=() zw=() wt=() zt=()
    for ((r = 0; r < rounds; r++)); do
      ww+=("$(wall_ms "${wcmd[@]}")") zw+=("$(wall_ms "${zcmd[@]}")")
      wt+=("$(task_ms "${wcmd[@]}")") zt+=("$(task_ms "${zcmd[@]}")")
    done
    a=$(printf '%s\n' "${ww[@]}" | median) b=$(printf '%s\n' "${zw[@]}" | median)
    c=$(printf '%s\n' "${wt[@]}" | median) d=$(printf '%s\n' "${zt[@]}" | median)
    printf ' %9s %9s %6s %9s %9s %6s' "$a" "$b" "$(ratio "$a" "$b")" "$c" "$d" "$(ratio "$c" "$d")"
    if [[ $name != start ]]; then
      ratios_wall+=("$(ratio "$a" "$b")") ratios_task+=("$(ratio "$c" "$d")")
    fi
  fi
  printf '\n'
done
printf '\nmedian ratio over the images: instructions %s' "$(printf '%s\n' "${ratios_ir[@]}" | median)"
if [[ -z ${NOTIME:-} ]]; then
  printf ', wall %s, task-clock %s' "$(printf '%s\n' "${ratios_wall[@]}" | median)" \
    "$(printf '%s\n' "${ratios_task[@]}" | median)"
fi
printf ' (target <= 1.2)\n'
