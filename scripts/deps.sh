#!/usr/bin/env bash
# Installs, from Debian's packages, whatever the build, the tests and the
# calculator need and this machine lacks. Returns quickly and quietly when
# everything is there.
set -euo pipefail

packages=(
  g++ cmake ninja-build clang-format
  qt6-base-dev libgl-dev fonts-dejavu-core
  libgtest-dev libgmock-dev libgmp-dev libecm-dev libbenchmark-dev
  cups poppler-utils dpkg-dev file clang libclang-rt-14-dev
)

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
