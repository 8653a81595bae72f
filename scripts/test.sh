#!/usr/bin/env bash
# Installs what is missing, then builds and runs every test: in a plain build;
# in one with AddressSanitizer and UndefinedBehaviorSanitizer, whose every
# finding is fatal; the factoring and window tests with ThreadSanitizer; and
# each fuzz target for a bounded time. Exits non-zero when any run fails.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/deps.sh

for preset in dev asan tsan fuzz; do
  echo "== $preset"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
  ctest --preset "$preset" -j "$(nproc)"
done
