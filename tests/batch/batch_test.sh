#!/usr/bin/env bash
# tools/batch.sh over 20 generated pages: killed part way (the whole process
# group, as a machine going away would), then run again. Every page must end
# with exactly one result holding its own barcode, no page whose result was
# complete may run again, and nothing may be left half written.
# Usage: batch_test.sh WORKER
set -euo pipefail
worker=$(realpath -- "$1")
root=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
group=""
cleanup() {
  local status=$?
  if [[ -n $group ]]; then kill -KILL -- "-$group" 2>/dev/null || true; fi
  rm -rf "$work"
  exit "$status"
}
trap cleanup EXIT
pages=20

mkdir -p "$work/pages"
for ((i = 1; i <= pages; i++)); do
  text=$(printf 'PAGE-%02d' "$i")
  zint -b CODE128 -d "$text" --scale 2 --height 30 --whitesp=20 --vwhitesp=20 \
    -o "$work/pages/$text.png"
done

# The worker behind a wrapper that logs each start, and each start of a page
# whose result is already complete (a page run twice); it takes a little
# longer, so the kill lands while pages are running.
cat >"$work/worker.sh" <<END
#!/usr/bin/env bash
name=\$(basename "\$1" .request.json)
echo "\$name" >>"$work/started.log"
[[ -e "$work/out/\$name.json" ]] && echo "\$name" >>"$work/twice.log"
[[ -e "$work/slow" ]] && sleep 0.3
exec "$worker" "\$1"
END
chmod +x "$work/worker.sh"
export VELMORA_WORKER=$work/worker.sh VELMORA_DPI=72 VELMORA_JOBS=2

touch "$work/slow"
results() { find "$work/out" -maxdepth 1 -name '*.png.json' 2>/dev/null | wc -l || true; }

setsid bash "$root/tools/batch.sh" "$work/pages" "$work/out" 2>"$work/first.err" &
group=$!
for ((t = 0; t < 600; t++)); do
  (($(results) >= 5)) && break
  sleep 0.05
done
kill -KILL -- "-$group"
wait "$group" 2>/dev/null || true
group=""
first=$(results)
echo "interrupted after $first of $pages pages, $(wc -l <"$work/started.log") started"
fail=0
check() {
  if ! eval "$1"; then
    echo "FAILED: $2"
    fail=1
  fi
}
check "((first >= 5 && first < pages))" "the kill landed part way ($first results)"

bash "$root/tools/batch.sh" "$work/pages" "$work/out" 2>"$work/second.err" ||
  check false "the resumed run succeeded: $(cat "$work/second.err")"

check "(($(results) == pages))" "$pages results"
check "[[ -z \$(find '$work/out' -name '*.part') ]]" "no half-written result left"
check "[[ ! -s '$work/out/failures.tsv' ]]" "no failures"
check "[[ ! -e '$work/twice.log' ]]" "no page with a complete result ran again"
for ((i = 1; i <= pages; i++)); do
  name=$(printf 'PAGE-%02d.png' "$i")
  check "grep -q '\"text\": \"${name%.png}\"' '$work/out/$name.json'" "$name holds its own barcode"
done
# Three tasks of a job array share the folders: each runs its own slice, and
# together they run every page once.
rm -f "$work/started.log" "$work/slow"
for slice in 0/3 1/3 2/3; do
  VELMORA_SLICE=$slice bash "$root/tools/batch.sh" "$work/pages" "$work/sliced" 2>/dev/null ||
    check false "slice $slice succeeded"
done
check "(($(sort -u "$work/started.log" | wc -l) == pages && $(wc -l <"$work/started.log") == pages))" \
  "the slices ran every page once"
check "(($(find "$work/sliced" -maxdepth 1 -name '*.png.json' | wc -l) == pages))" \
  "$pages results from the slices"

if ((fail)); then
  echo "0 passed, 1 failed"
  exit 1
fi
echo "1 passed, 0 failed"
