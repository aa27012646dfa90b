#!/usr/bin/env bash
# Installs, on Debian 12, everything the build, the tests, the example, the
# benchmark, the man pages, the Debian package and the batch runs need. Idempotent: when every package is present it does nothing.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config git
  libgtest-dev libgmock-dev rapidjson-dev libstb-dev
  libzxing-dev libleptonica-dev libzbar-dev
  libtiff-dev libwebp-dev libopenjp2-7-dev libgif-dev libjpeg-dev libpng-dev zlib1g-dev
  liblzma-dev libzstd-dev libjbig-dev libdeflate-dev liblerc-dev
  zint imagemagick fonts-dejavu-core fonts-dejavu-extra
  zxing-cpp-tools zbar-tools time bc valgrind hyperfine linux-perf
  clang libclang-rt-14-dev
  python3 python3-jsonschema parallel scdoc man-db groff-base dpkg-dev file
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if ((${#missing[@]} == 0)); then
  exit 0
fi

echo "Installing: ${missing[*]}"
SUDO=""
if [[ $(id -u) -ne 0 ]]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -q
$SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
