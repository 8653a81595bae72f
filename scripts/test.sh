#!/usr/bin/env bash
# Installs what is missing, then builds and runs every test twice: in a plain
# build, and in one with AddressSanitizer and UndefinedBehaviorSanitizer whose
# every finding is fatal. Exits non-zero when either run fails.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/deps.sh

run_suite() {
  local dir=$1
  shift
  cmake -S . -B "$dir" -G Ninja "$@" >/dev/null
  cmake --build "$dir"
  ctest --test-dir "$dir" --output-on-failure -j "$(nproc)"
}

run_suite build/test -DCMAKE_BUILD_TYPE=RelWithDebInfo
run_suite build/sanitize -DCMAKE_BUILD_TYPE=Debug -DQUORVEX_SANITIZE=ON
