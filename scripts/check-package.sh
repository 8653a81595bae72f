#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Checks a built Debian package as a distribution would: lintian with no
# error and no warning, its desktop entry through desktop-file-validate with
# no hint, and its AppStream metainfo through appstreamcli. Exits non-zero
# when any of them objects.
set -euo pipefail
deb=$1
contents=$(mktemp -d)
trap 'rm -rf "$contents"' EXIT
dpkg-deb -x "$deb" "$contents"

failed=0
echo "lintian:"
findings=$(lintian --fail-on error,warning --tag-display-limit 0 "$deb" 2>&1) || failed=1
grep -v 'root privileges' <<<"$findings" || true

echo "desktop-file-validate:"
hints=$(desktop-file-validate "$contents"/usr/share/applications/quorvex.desktop 2>&1) || failed=1
[ -z "$hints" ] || { echo "$hints"; failed=1; }

echo "appstreamcli validate:"
appstreamcli validate --no-net "$contents"/usr/share/metainfo/*.metainfo.xml || failed=1

[ "$failed" -eq 0 ] && echo "the package passes" || echo "the package fails its checks"
exit "$failed"
