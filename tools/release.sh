#!/usr/bin/env bash
# Makes the release users download, on a fresh Debian 12 as root:
#   bash tools/release.sh   ->  build/release/tidewell-VERSION.zip (and its .sha256)
# holding the stripped 32-bit tidewell.exe, help.html, 说明.txt and SHA256SUMS. The
# version is the one of the file VERSION. It builds what is missing, checks the exe as
# the test command does, and never leaves a half-written archive.
set -euo pipefail
source "$(dirname "$0")/wine-env.sh"

version=$(head -n1 "$TW_ROOT/VERSION")
name=tidewell-$version
TW_PACKAGES="$TW_PACKAGES zip" tw_install_packages
echo "== building the 32-bit program (i686)"
tw_build i686
bash "$TW_ROOT/tools/release-check.sh" i686

out=$TW_BUILD/release
mkdir -p "$out"
stage=$(mktemp -d "$out/.making-XXXXXX")
trap 'rm -rf "$stage"' EXIT
mkdir "$stage/$name"
cp "$TW_BUILD/i686/tidewell.exe" "$TW_ROOT/resources/help.html" "$stage/$name/"
cp "$TW_ROOT/resources/readme.txt" "$stage/$name/说明.txt"
(cd "$stage/$name" && sha256sum tidewell.exe help.html 说明.txt >SHA256SUMS)
(cd "$stage" && zip -q -X -r "$name.zip" "$name" && sha256sum "$name.zip" >"$name.zip.sha256")
# Renamed into place: the archive is whole or absent.
mv -f "$stage/$name.zip.sha256" "$out/"
mv -f "$stage/$name.zip" "$out/"
echo "== $out/$name.zip ($(stat -c %s "$out/$name.zip") bytes)"
cat "$out/$name.zip.sha256"
