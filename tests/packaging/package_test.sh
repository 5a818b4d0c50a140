#!/bin/sh
# SPDX-License-Identifier: GPL-2.0-or-later
# package_test.sh DIR: unpacks the .deb made in DIR into a temporary root with dpkg -x, checks the layout and
# runs the installed commands from there. The virtual mixer keeps its state in the root's temporary folder, so
# the user's own mixer state is never touched.
set -eu
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "package test: $*" >&2; exit 1; }

deb=$(ls "$1"/*.deb) || fail "no .deb made"
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
for library in libqt6widgets6 libgstreamer1.0-0 libasound2 libsqlite3-0 gstreamer1.0-plugins-good; do
    echo "$depends" | grep -q "$library" || fail "Depends lacks $library"
done

root=$work/root
dpkg -x "$deb" "$root"
usr=$root/usr
for file in libexec/corvane/corvane libexec/corvane/faderix-cli libexec/corvane/Mixer/Faderix.so \
    include/faderix.h share/applications/org.corvane.Corvane.desktop \
    share/metainfo/org.corvane.Corvane.metainfo.xml share/icons/hicolor/scalable/apps/org.corvane.Corvane.svg \
    share/man/man1/corvane.1.gz share/man/man1/faderix-cli.1.gz share/doc/corvane/copyright \
    share/doc/corvane/changelog.gz; do
    [ -e "$usr/$file" ] || fail "$file is not installed"
done
for command in corvane faderix-cli; do
    [ "$(readlink "$usr/bin/$command")" = "../libexec/corvane/$command" ] || fail "bin/$command is not a link"
done

export HOME="$work/home" XDG_CONFIG_HOME="$work/config" XDG_STATE_HOME="$work/state"
export FADERIX_BACKEND=virtual FADERIX_MIXER_STATE="$work/state/mixer.json" CORVANE_DEVICES=virtual
unset FADERIX_VIRTUAL_MIXER

[ "$("$usr/bin/corvane" --version)" = "Corvane 1.0.0.6" ] || fail "corvane --version"

out=$("$usr/bin/faderix-cli" manual GET Master Volume)
echo "$out"
printf '%s\n' "$out" | grep -q "^control-info 0 Master	Volume$" || fail "faderix-cli found no master volume"
printf '%s\n' "$out" | grep -Eq "^result 0 [0-9]+$" || fail "faderix-cli gave no result"
# A value set by one run is read by the next, through the state file in the temporary folder.
"$usr/bin/faderix-cli" manual SET Master Volume 40 >/dev/null
volume=$("$usr/bin/faderix-cli" manual GET Master Volume | sed -n 's/^result 0 //p')
[ "$volume" -ge 39 ] && [ "$volume" -le 40 ] || fail "the volume set did not persist: $volume"
[ -f "$work/state/mixer.json" ] || fail "the mixer state is not in the temporary folder"

if [ -e "$usr/bin/corvane-ctl" ]; then
    "$usr/bin/corvane-ctl" devices || fail "corvane-ctl devices"
fi
echo "package test: $(basename "$deb") $(du -k "$deb" | cut -f1) KiB"
