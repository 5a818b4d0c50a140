#!/bin/sh
# SPDX-License-Identifier: GPL-2.0-or-later
# make_package.sh BUILD CPACK OUT: makes the .deb of BUILD in OUT, for the tests that install and check it.
set -eu
build=$1
cpack=$2
out=$3
rm -rf "$out"
mkdir -p "$out"
# Debug builds are large; the fastest compression keeps this short.
"$cpack" -G DEB --config "$build/CPackConfig.cmake" -B "$out" \
    -D CPACK_DEBIAN_COMPRESSION_TYPE=gzip >"$out/cpack.log" 2>&1 || { cat "$out/cpack.log" >&2; exit 1; }
ls "$out"/*.deb
