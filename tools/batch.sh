#!/usr/bin/env bash
# Runs the worker once per page over a folder with GNU parallel.
# Usage: tools/batch.sh DIR OUT
#   DIR  folder of page images (png, jpg, jpeg, tif, tiff, bmp, gif, pnm, pgm,
#        ppm, pbm, webp, jp2; not its subfolders)
#   OUT  folder for the results: NAME.json per page (NAME is the image's file
#        name), requests/NAME.request.json, jobs.log (parallel's job log) and
#        failures.tsv (page, report line) for the pages that failed
# Run it again with the same OUT after an interruption: pages that have a
# result are skipped, the others (unfinished and failed ones) run. A result
# appears only when complete; jobs.log grows by one line per run of a page.
# Environment: VELMORA_WORKER (default: velmora-barcode on PATH, else
# build/velmora-barcode), VELMORA_DPI (default 300), VELMORA_PROFILE (default
# 1), VELMORA_JOBS (default: one per core), VELMORA_BAR=0 hides the progress
# bar (shown only on a terminal), VELMORA_SLICE=I/N runs only the pages whose
# place in the sorted list, counted from 0, is I modulo N (one task of N on
# many machines sharing DIR and OUT; its log and failure list then carry
# -I-of-N in their names).
# Exit status: 0 when every page has a result, 1 otherwise.
set -euo pipefail

if (($# != 2)); then
  echo "Usage: tools/batch.sh DIR OUT" >&2
  exit 2
fi
dir=$(realpath -- "$1")
out=$(realpath -m -- "$2")
here=$(dirname "$(realpath -- "$0")")
worker=${VELMORA_WORKER:-$(command -v velmora-barcode || echo "$here/../build/velmora-barcode")}
export VELMORA_WORKER_PATH=$(realpath -- "$worker") VELMORA_OUT=$out
export VELMORA_DPI=${VELMORA_DPI:-300} VELMORA_PROFILE=${VELMORA_PROFILE:-1}
mkdir -p "$out/requests" "$out/reports"
slice=${VELMORA_SLICE:-0/1}
if [[ ! $slice =~ ^([0-9]+)/([1-9][0-9]*)$ ]] || ((BASH_REMATCH[1] >= BASH_REMATCH[2])); then
  echo "VELMORA_SLICE must be I/N with 0 <= I < N: $slice" >&2
  exit 2
fi
index=${BASH_REMATCH[1]} count=${BASH_REMATCH[2]}
suffix=""
((count > 1)) && suffix="-$index-of-$count"

# A text as the inside of a JSON string.
json_text() {
  local text=${1//\\/\\\\} escaped="" i ch
  text=${text//\"/\\\"}
  if [[ $text != *[[:cntrl:]]* ]]; then
    printf '%s' "$text"
    return
  fi
  for ((i = 0; i < ${#text}; i++)); do
    ch=${text:i:1}
    if [[ $ch == [[:cntrl:]] ]]; then
      printf -v ch '\\u%04x' "'$ch"
    fi
    escaped+=$ch
  done
  printf '%s' "$escaped"
}

# One page: skipped when its result exists; the request asks for the whole
# page (the area is clipped to the image, whose sides are at most 65535).
page() {
  local image=$1 name
  name=$(basename -- "$image")
  local result="$VELMORA_OUT/$name.json" request="$VELMORA_OUT/requests/$name.request.json"
  [[ -e $result ]] && return 0
  printf '{"profile": %d, "width": 65535, "height": 65535, "stride": 65535, "dpi": %d, "scalarW": "1.0", "scalarH": "1.0", "bitmapPath": "%s", "resultPath": "%s"}\n' \
    "$VELMORA_PROFILE" "$VELMORA_DPI" "$(json_text "$image")" "$(json_text "$result.part")" \
    >"$request"
  local report status=0
  report=$("$VELMORA_WORKER_PATH" "$request") || status=$?
  if ((status == 0)); then
    mv -- "$result.part" "$result"
    rm -f -- "$VELMORA_OUT/reports/$name.txt"
  else
    printf '%s\t%s\n' "$image" "$report" >"$VELMORA_OUT/reports/$name.txt"
  fi
  return "$status"
}
export -f page json_text

bar=()
[[ -t 2 && ${VELMORA_BAR:-1} != 0 ]] && bar=(--bar)
# The pages still without a result; resuming goes by the results, so pages
# added to DIR in between are picked up too.
todo=()
place=0
while IFS= read -r -d '' image; do
  ((place++ % count == index)) || continue
  [[ -e $out/$(basename -- "$image").json ]] || todo+=("$image")
done < <(find "$dir" -maxdepth 1 -type f -regextype posix-extended \
  -iregex '.*\.(png|jpe?g|tiff?|bmp|gif|p[bgpn]m|webp|jp2)' -print0 | sort -z)

status=0
if ((${#todo[@]})); then
  printf '%s\0' "${todo[@]}" |
    parallel -0 --will-cite --jobs "${VELMORA_JOBS:-100%}" "${bar[@]}" \
      --joblog +"$out/jobs$suffix.log" page {} || status=$?
fi

# The failure list of this run's pages, from the reports of those still failing.
failures=$out/failures$suffix.tsv
: >"$failures"
for image in "${todo[@]}"; do
  report=$out/reports/$(basename -- "$image").txt
  [[ -e $report ]] && cat -- "$report" >>"$failures"
done
failed=$(wc -l <"$failures")
echo "${#todo[@]} pages run, $failed failed (see $failures)" >&2
((status == 0 && failed == 0))
