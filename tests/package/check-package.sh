#!/bin/sh
# The Debian package built by CPack, unpacked into a scratch root, run from there: check-package.sh BUILD
set -eu
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
(cd "$1" && cpack -G DEB -B "$scratch/out" >"$scratch/log") || { cat "$scratch/log"; exit 1; }
deb=$(ls "$scratch"/out/veltrano_*.deb)
dpkg-deb -f "$deb" Depends | grep -q libqt6widgets6
dpkg -x "$deb" "$scratch/root"
"$scratch/root/usr/bin/veltrano-batch" --help | grep -q '^Aufruf: veltrano-batch'
test -s "$scratch/root/usr/share/veltrano/help.pdf"
! command -v appstreamcli >/dev/null || appstreamcli validate --no-net "$scratch"/root/usr/share/metainfo/*.xml
