#!/bin/sh
# SPDX-License-Identifier: GPL-2.0-or-later
# lintian_test.sh DEB: Debian's package checker finds no error and no warning in the package.
set -eu
deb=$(ls "$1"/*.deb) || { echo "lintian test: no .deb in $1" >&2; exit 1; }
if ! command -v lintian >/dev/null; then
    echo "lintian test: skipped, lintian is not installed (Debian package lintian)"
    exit 77
fi
echo "lintian --fail-on error,warning $(basename "$deb")"
lintian --fail-on error,warning "$deb"
echo "lintian: no errors or warnings"
