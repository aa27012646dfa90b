#!/usr/bin/env bash
# Installs what is needed, builds, runs the worker on the bundled example
# request and prints the result document.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/install-deps.sh
bash tools/build.sh
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
sed -e "s|@EXAMPLES@|$PWD/examples|g" -e "s|@OUT@|$work/result.json|g" \
  examples/request.json.in > "$work/request.json"
status=0
./build/velmora-barcode "$work/request.json" || status=$?
if [[ $status -eq 0 ]]; then
  cat "$work/result.json"
  echo
fi
exit $status
