#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs a command beside a CUPS scheduler of its own: a private configuration
# in a temporary folder, a local socket, and one queue, QuorvexQueue, whose
# backend writes every job's document into a folder. The command sees
# CUPS_SERVER and QUORVEX_PRINT_DIR. Exits 77 (skipped) when the scheduler
# cannot be run here: it needs root and Debian's cups package.
set -euo pipefail

if [ "$(id -u)" -ne 0 ] || ! command -v cupsd >/dev/null || [ ! -d /usr/lib/cups/filter ]; then
  echo "skipped: a private CUPS scheduler needs root and the cups package" >&2
  exit 77
fi

root=$(mktemp -d /tmp/quorvex-cups.XXXXXX)
trap 'kill "$scheduler" 2>/dev/null || true; wait "$scheduler" 2>/dev/null || true; [ -n "${QUORVEX_KEEP_CUPS:-}" ] || rm -rf "$root"' EXIT
mkdir -p "$root"/{etc,spool,cache,state,log,tmp,bin/backend} "$root/out"
chmod 755 "$root"
chmod 777 "$root/out"

for part in /usr/lib/cups/*; do
  [ "$(basename "$part")" = backend ] || ln -s "$part" "$root/bin/$(basename "$part")"
done
cat >"$root/bin/backend/quorvexfile" <<'BACKEND'
#!/bin/sh
# A CUPS backend: writes each job's document into the folder of its URI.
[ $# -eq 0 ] && { echo 'file quorvexfile "Unknown" "Quorvex test output"'; exit 0; }
umask 022
out="${DEVICE_URI#quorvexfile:}/job-$1.pdf"
if [ -n "${6:-}" ]; then cat "$6" >"$out.part"; else cat >"$out.part"; fi
mv "$out.part" "$out"
BACKEND
chmod 755 "$root/bin/backend/quorvexfile"

cat >"$root/cupsd.conf" <<CONF
Listen $root/cups.sock
LogLevel warn
Browsing No
WebInterface No
DefaultAuthType None
<Location />
  Order allow,deny
  Allow all
</Location>
CONF
cat >"$root/cups-files.conf" <<CONF
ServerRoot $root/etc
ServerBin $root/bin
RequestRoot $root/spool
CacheDir $root/cache
StateDir $root/state
TempDir $root/tmp
ErrorLog $root/log/error_log
AccessLog $root/log/access_log
PageLog $root/log/page_log
CONF

export CUPS_SERVER=$root/cups.sock
cupsd -f -c "$root/cupsd.conf" -s "$root/cups-files.conf" &
scheduler=$!
# lpstat -r exits 0 whether or not the scheduler runs, so its words are read;
# the scheduler takes a moment to open its socket on a loaded machine.
for _ in $(seq 300); do
  [ "$(lpstat -r 2>/dev/null)" = "scheduler is running" ] && break
  if ! kill -0 "$scheduler" 2>/dev/null; then
    echo "the private CUPS scheduler stopped:" >&2
    cat "$root/log/error_log" >&2 2>/dev/null || true
    exit 1
  fi
  sleep 0.1
done
if [ "$(lpstat -r 2>/dev/null)" != "scheduler is running" ]; then
  echo "the private CUPS scheduler did not answer within 30 s:" >&2
  cat "$root/log/error_log" >&2 2>/dev/null || true
  exit 1
fi
lpadmin -p QuorvexQueue -v "quorvexfile:$root/out" -E
lpadmin -d QuorvexQueue

export QUORVEX_PRINT_DIR=$root/out
"$@"
