#!/usr/bin/env bash
# Builds the Debian package with CPack, installs it with apt-get, runs the
# installed worker on the example page, compares its result with the build
# tree's worker, checks the installed files, and removes the package cleanly.
# Needs root (CI runs as root); otherwise it says so and is skipped (77).
# Usage: package_test.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
build=$(realpath -- "$1")
source=$(realpath -- "$2")
package=velmora-barcode

if [[ $(id -u) -ne 0 ]]; then
  echo "SKIPPED: installing a package needs root"
  exit 77
fi
if dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
  echo "SKIPPED: $package is already installed on this machine; the test leaves it alone"
  exit 77
fi

work=$(mktemp -d)
installed=0
cleanup() {
  if ((installed)); then
    apt-get purge -y -q "$package" >/dev/null 2>&1 || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT
export DEBIAN_FRONTEND=noninteractive
apt_options=(-y -q --no-install-recommends -o DPkg::Lock::Timeout=120)

(cd "$work" && cpack --config "$build/CPackConfig.cmake" -B "$work/package" >"$work/cpack.log" 2>&1) || {
  cat "$work/cpack.log"
  exit 1
}
deb=$(find "$work/package" -maxdepth 1 -name "${package}_*.deb")
echo "built $(basename "$deb")"
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"

fail=0
check() {
  if ! eval "$1"; then
    echo "FAILED: $2"
    fail=1
  fi
}
# dpkg-shlibdeps found the shared libraries the programs link: always the
# reading library and the C library; Leptonica and zbar only when they are not
# linked from their static archives.
check "[[ '$depends' == *libzxing* && '$depends' == *libc6* ]]" \
  "the shared-library dependencies"
if readelf -d "$build/velmora-barcode" | grep -q 'NEEDED.*liblept'; then
  check "[[ '$depends' == *liblept* ]]" "Leptonica among the dependencies"
fi
if readelf -d "$build/velmora-barcode" | grep -q 'NEEDED.*libzbar'; then
  check "[[ '$depends' == *libzbar0* ]]" "zbar among the dependencies"
else
  check "[[ '$depends' != *libzbar* && '$depends' != *libdbus* ]]" \
    "zbar linked from its archive adds no dependency"
fi

installed=1
apt-get install "${apt_options[@]}" "$deb" >"$work/install.log" 2>&1 || {
  cat "$work/install.log"
  exit 1
}

for path in /usr/bin/velmora-barcode /usr/bin/velmora-annotate \
  /usr/share/man/man1/velmora-barcode.1.gz /usr/share/man/man1/velmora-annotate.1.gz \
  /usr/share/doc/velmora-barcode/schemas/request.schema.json \
  /usr/share/doc/velmora-barcode/schemas/result.schema.json \
  /usr/share/doc/velmora-barcode/batch.md /usr/share/doc/velmora-barcode/examples/page.png; do
  check "[[ -f '$path' ]]" "installed $path"
done
check "man -w velmora-barcode >/dev/null" "man finds velmora-barcode(1)"

# The installed worker and the build tree's read the example page alike.
for tree in installed built; do
  worker=/usr/bin/velmora-barcode
  [[ $tree == built ]] && worker=$build/velmora-barcode
  sed -e "s|@EXAMPLES@|/usr/share/doc/velmora-barcode/examples|g" \
    -e "s|@OUT@|$work/$tree.json|g" "$source/examples/request.json.in" >"$work/$tree.request.json"
  check "'$worker' '$work/$tree.request.json'" "the $tree worker ran"
done
check "cmp -s '$work/installed.json' '$work/built.json'" "the same result document"
check "grep -q VELMORA-2026-0001 '$work/installed.json'" "the example page's Code 128 read"
check "/usr/bin/velmora-annotate '$work/installed.request.json' '$work/page.png'" "velmora-annotate ran"

installed=0
apt-get purge "${apt_options[@]}" "$package" >"$work/remove.log" 2>&1 || check false "purged"
check "! dpkg-query -W -f='\${Status}' $package 2>/dev/null | grep -q installed" "removed"
check "[[ ! -e /usr/bin/velmora-barcode && ! -e /usr/share/doc/velmora-barcode ]]" \
  "no file left behind"

if ((fail)); then
  echo "0 passed, 1 failed"
  exit 1
fi
echo "1 passed, 0 failed"
