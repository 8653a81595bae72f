#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what is missing, builds the Debian package and checks it as a
# distribution would, then builds and runs every test: in a plain build;
# in one with AddressSanitizer and UndefinedBehaviorSanitizer, whose every
# finding is fatal; the factoring and window tests with ThreadSanitizer; and
# each fuzz target for a bounded time. Exits non-zero when any run fails.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/deps.sh

echo "== package"
cmake --preset release >/dev/null
cmake --build --preset release
(cd build/release && cpack -G DEB >/dev/null)
scripts/check-package.sh build/release/quorvex_*_amd64.deb

for preset in dev asan tsan fuzz; do
  echo "== $preset"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
  ctest --preset "$preset" -j "$(nproc)"
done
