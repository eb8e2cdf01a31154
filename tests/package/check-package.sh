#!/bin/sh
# The Debian package as a user gets it: built with CPack from the build folder, unpacked into a
# scratch root; the batch tool runs from there, and the files the window and the desktop need are
# where the package promises them. check-package.sh BUILD_FOLDER
set -eu
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
(cd "$1" && cpack -G DEB -B "$scratch/out" >"$scratch/cpack.log") || { cat "$scratch/cpack.log"; exit 1; }
deb=$(ls "$scratch"/out/veltrano_*_*.deb)
dpkg-deb -f "$deb" Depends | grep -q 'libqt6widgets6' || { echo "no Qt dependencies"; exit 1; }
dpkg -x "$deb" "$scratch/root"
"$scratch/root/usr/bin/veltrano-batch" --help | grep -q 'veltrano-batch PROJEKT.vtp'
for file in bin/veltrano share/veltrano/help.pdf share/applications/veltrano.desktop \
    share/icons/hicolor/scalable/apps/veltrano.svg; do
    test -s "$scratch/root/usr/$file" || { echo "the package lacks /usr/$file"; exit 1; }
done
if command -v appstreamcli >/dev/null; then
    appstreamcli validate --no-net "$scratch"/root/usr/share/metainfo/*.metainfo.xml
fi
echo "package: $(basename "$deb"), $(wc -c <"$deb") bytes"
