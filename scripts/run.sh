#!/usr/bin/env bash
# Installs what is missing, builds the calculator and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/deps.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUORVEX_TESTS=OFF -DQUORVEX_BENCH=OFF >/dev/null
cmake --build build/release --target quorvex
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  echo "No display to open the window on (DISPLAY and WAYLAND_DISPLAY are unset)." >&2
  exit 1
fi
exec build/release/app/quorvex
