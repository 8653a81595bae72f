#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs, from Debian's packages, whatever this machine lacks: with "run",
# what building and running the calculator needs; without it, also what the
# tests, the fuzz targets, the benchmarks and the package checks need.
# Returns quickly and quietly when everything is there.
set -euo pipefail

packages=(
  g++ cmake ninja-build gzip
  qt6-base-dev libgl-dev fonts-dejavu-core
  libgmp-dev libecm-dev libpari-dev
)
if [ "${1:-all}" != run ]; then
  packages+=(
    pari-gp clang-format clang libclang-rt-14-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    cups poppler-utils dpkg-dev file
    lintian appstream desktop-file-utils
  )
fi

missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' ||
    missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

as_root=()
[ "$(id -u)" -eq 0 ] || as_root=(sudo)
echo "Installing ${missing[*]}"
"${as_root[@]}" apt-get update -qq
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive \
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
