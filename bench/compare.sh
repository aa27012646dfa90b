#!/usr/bin/env bash
# Compares two builds of the worker on one page, alternating them run by run
# so that both see the same load on a shared machine.
# Usage: bench/compare.sh BEFORE_WORKER AFTER_WORKER [RUNS] [PAGE] [PROFILE]
#   PAGE: bench (default), diagonal, hard, or the path of an image file.
#   PROFILE: the request's profile, 1 (default, the engine's profile 0) to 4.
# Prints the median wall seconds and the mean CPU (user + system) seconds of
# each (the clock counts CPU time in hundredths: a mean over many runs
# resolves finer), and their ratios.
set -euo pipefail
cd "$(dirname "$0")/.."
before=$1 after=$2 runs=${3:-10} page_name=${4:-bench} profile=${5:-1}
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
page=$tmp/page.png
case $page_name in
  bench | diagonal | hard)
    script=bench/make-page.sh
    [[ $page_name != bench ]] && script=bench/make-$page_name-page.sh
    bash "$script" "$page" ;;
  *) page=$page_name ;;
esac
read -r width height < <(identify -format '%w %h\n' "$page")
cat >"$tmp/req.json" <<JSON
{"profile": $profile, "width": $width, "height": $height, "stride": $width, "dpi": 300,
 "scalarW": "1", "scalarH": "1", "bitmapPath": "$page", "resultPath": "$tmp/res.json"}
JSON
declare -A wall cpu
for ((i = 0; i < runs; i++)); do
  for name in before after; do
    worker=$before
    [[ $name == after ]] && worker=$after
    /usr/bin/time -f '%e %U %S' -o "$tmp/time" "$worker" "$tmp/req.json" >/dev/null
    read -r w u s < <(tail -1 "$tmp/time")
    wall[$name]+="$w "
    cpu[$name]+="$(echo "$u + $s" | bc) "
    cp "$tmp/res.json" "$tmp/res-$name.json"
  done
done
median() { printf '%s\n' $1 | sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
mean() { printf '%s\n' $1 | awk '{s += $1} END {printf "%.4f", s / NR}'; }
printf 'Page %s (%dx%d), profile %s, %d runs each, alternating\n' "$page_name" "$width" "$height" "$profile" "$runs"
printf '%-8s %10s %10s %7s\n' build "wall (s)" "cpu (s)" found
for name in before after; do
  printf '%-8s %10s %10s %7s\n' "$name" "$(median "${wall[$name]}")" "$(mean "${cpu[$name]}")" \
    "$(grep -c '"type"' "$tmp/res-$name.json" || true)"
done
printf 'after / before: wall %s, cpu %s\n' \
  "$(echo "scale=3; $(median "${wall[after]}") / $(median "${wall[before]}")" | bc)" \
  "$(echo "scale=3; $(mean "${cpu[after]}") / $(mean "${cpu[before]}")" | bc)"
