#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a fixed time.
# Usage: tools/fuzz.sh [SECONDS_PER_TARGET] [TARGET...]   (default 60 s, all)
# Corpora grow in fuzz-out/<target>/; crashing inputs land in
# fuzz-out/artifacts/ (copy them to tests/fuzz/regressions/<target>/ once fixed);
# each run's whole output is kept in fuzz-out/logs/<target>.log. More libFuzzer
# options go in FUZZ_OPTIONS, e.g. FUZZ_OPTIONS="-malloc_limit_mb=300".
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
shift || true
targets=("$@")
read -r -a extra <<<"${FUZZ_OPTIONS:-}"
((${#targets[@]})) || targets=(request unicode image rows databar micropdf_codewords micropdf_rows postal)

bash tools/install-deps.sh
CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DFUZZ=ON >/dev/null
cmake --build build-fuzz -j"$(nproc)" --target "${targets[@]/#/fuzz_}"

mkdir -p fuzz-out/artifacts fuzz-out/logs
status=0
for t in "${targets[@]}"; do
  mkdir -p "fuzz-out/$t"
  log="fuzz-out/logs/$t.log"
  echo "== fuzz_$t for ${seconds}s (log: $log)"
  # A finding ends the run with a non-zero status; the other targets still run.
  ASAN_OPTIONS=detect_leaks=1 \
    "build-fuzz/tests/fuzz/fuzz_$t" "fuzz-out/$t" "tests/fuzz/seeds/$t" \
    -max_total_time="$seconds" -timeout=20 -rss_limit_mb=4096 -max_len=65536 \
    -artifact_prefix="fuzz-out/artifacts/$t-" -print_final_stats=1 "${extra[@]}" \
    >"$log" 2>&1 || status=1
  # The last coverage line and the final statistics.
  grep -E '^#[0-9]+' "$log" | tail -1 || true
  grep -E '^(stat::|SUMMARY|==[0-9]+==ERROR|artifact_prefix|Test unit written)' "$log" || true
done
exit "$status"
