#!/usr/bin/env bash
# Regenerates docs/example-annotated.png, the picture the README shows: the
# worker and velmora-annotate on the bundled example page, shrunk to half size
# with a 16-colour palette so the file stays small.
set -euo pipefail
cd "$(dirname "$0")/.."
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
sed -e "s|@EXAMPLES@|$PWD/examples|g" -e "s|@OUT@|$tmp/result.json|g" \
  examples/request.json.in >"$tmp/request.json"
build/velmora-barcode "$tmp/request.json"
build/velmora-annotate "$tmp/request.json" "$tmp/annotated.png"
convert "$tmp/annotated.png" -resize 50% -colors 16 -strip PNG8:docs/example-annotated.png
