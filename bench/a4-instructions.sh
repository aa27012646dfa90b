#!/usr/bin/env bash
# Instructions of whole worker runs on an A4 page (callgrind: repeatable on a
# loaded machine), beside ZXingReader without downscaling (its default aborts
# on the bench page). Under callgrind a run takes some fifty times longer and
# would reach the engine's time budget, which ends the read early: the
# worker's monotonic clock is slowed 200 times by a preloaded shim, built
# here, so that every run reads the whole page.
# Usage: bench/a4-instructions.sh [PAGE] [PROFILE] [WORKER...]
#   PAGE: bench (default), diagonal, hard, or the path of an image file.
#   PROFILE: the request's profile, 1 (default, the engine's profile 0) to 4.
#   WORKER: builds to count (default build/velmora-barcode).
set -euo pipefail
cd "$(dirname "$0")/.."
page_name=${1:-bench} profile=${2:-1}
shift $(($# < 2 ? $# : 2))
workers=("$@")
((${#workers[@]})) || workers=(build/velmora-barcode)
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
page=$tmp/page.png
case $page_name in
  bench) bash bench/make-page.sh "$page" >/dev/null ;;
  diagonal) bash bench/make-diagonal-page.sh "$page" >/dev/null ;;
  hard) bash bench/make-hard-page.sh "$page" >/dev/null ;;
  *) cp "$page_name" "$page" ;;
esac
read -r width height < <(identify -format '%w %h\n' "$page")
cat >"$tmp/slow.c" <<'C'
#define _GNU_SOURCE
#include <dlfcn.h>
#include <time.h>
int clock_gettime(clockid_t id, struct timespec *ts) {
  static int (*real)(clockid_t, struct timespec *);
  if (!real) real = (int (*)(clockid_t, struct timespec *))dlsym(RTLD_NEXT, "clock_gettime");
  const int r = real(id, ts);
  if (r == 0 && id != CLOCK_REALTIME) {
    const long long ns = ((long long)ts->tv_sec * 1000000000LL + ts->tv_nsec) / 200;
    ts->tv_sec = ns / 1000000000LL;
    ts->tv_nsec = ns % 1000000000LL;
  }
  return r;
}
C
gcc -O2 -shared -fPIC -o "$tmp/slow.so" "$tmp/slow.c" -ldl

count() {  # instructions of one run of "$@"
  { valgrind --tool=callgrind --callgrind-out-file=/dev/null "$@" 2>&1 >/dev/null || true; } |
    awk '/Collected :/ {print $4}'
}
printf '%-40s %15s %6s\n' program instructions found
zx=$(count ZXingReader -1 -noscale "$page")
printf '%-40s %15s %6s\n' "ZXingReader -noscale" "$zx" "$(ZXingReader -1 -noscale "$page" | grep -c . || true)"
for worker in "${workers[@]}"; do
  cat >"$tmp/req.json" <<JSON
{"profile": $profile, "width": $width, "height": $height, "stride": $width, "dpi": 300,
 "scalarW": "1", "scalarH": "1", "bitmapPath": "$page", "resultPath": "$tmp/res.json"}
JSON
  n=$(LD_PRELOAD=$tmp/slow.so count "$(realpath "$worker")" "$tmp/req.json")
  printf '%-40s %15s %6s  %s x ZXingReader\n' "$worker" "$n" "$(grep -c '"type"' "$tmp/res.json" || true)" \
    "$(awk -v a="$n" -v b="$zx" 'BEGIN {printf "%.2f", a / b}')"
done
