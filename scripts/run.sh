#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what is missing, builds the calculator and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/deps.sh run
cmake --preset release >/dev/null
cmake --build --preset release
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  echo "No display to open the window on (DISPLAY and WAYLAND_DISPLAY are unset)." >&2
  exit 1
fi
exec build/release/app/quorvex
