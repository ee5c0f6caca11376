#!/usr/bin/env bash
# The desktop files are what desktop environments and software centres accept:
# the desktop entry and the AppStream metadata pass their validators, the MIME
# type compiles into a database that knows the frames by name and content,
# the man pages format without a warning, and the changelog names this
# version.
# Usage: check-data.sh SOURCE_DIR BUILT_DIR VERSION (BUILT_DIR: build/packaging)
set -euo pipefail
src=$1 built=$2 version=$3
pkg=$src/packaging
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

desktop-file-validate "$pkg/org.orelith.Orelith.desktop"

metainfo=$built/org.orelith.Orelith.metainfo.xml
if command -v appstreamcli >/dev/null; then
  appstreamcli validate --no-net "$metainfo"
fi
grep -q "<release version=\"$version\"" "$metainfo" || { echo "metainfo names no release $version"; exit 1; }
head -n 1 "$pkg/changelog" | grep -q "^orelith ($version) " || { echo "changelog names no $version"; exit 1; }

mkdir -p "$scratch/mime/packages"
cp "$pkg/orelith-mime.xml" "$scratch/mime/packages/orelith.xml"
XDG_DATA_DIRS=$scratch update-mime-database "$scratch/mime" 2>"$scratch/mime.err"
[ ! -s "$scratch/mime.err" ] || { cat "$scratch/mime.err"; exit 1; }
# *.st6 by name, frames named after their filter by content; other files
# named so keep their types.
cp "$src/samples/cluster.b" "$scratch/frame.r"
echo 'x <- c(1, 2)' >"$scratch/analysis.r"
echo notes >"$scratch/notes.b"
echo notes >"$scratch/odd.st6"
for case in frame.r:image/x-st6 odd.st6:image/x-st6 analysis.r:other notes.b:other; do
  type=$(XDG_DATA_HOME=$scratch/none XDG_DATA_DIRS=$scratch \
    gio info -a standard::content-type "$scratch/${case%%:*}" 2>/dev/null | sed -n 's/.*content-type: //p')
  [ "${case#*:}" = other ] && [ "$type" != image/x-st6 ] && continue
  [ "$type" = "${case#*:}" ] || { echo "${case%%:*} is taken as $type"; exit 1; }
done

for page in "$built"/*.1; do
  LC_ALL=C.UTF-8 groff -t -man -ww -z -Tutf8 "$page" 2>"$scratch/groff.err"
  [ ! -s "$scratch/groff.err" ] || { cat "$scratch/groff.err"; exit 1; }
  grep -q "Orelith $version" "$page" || { echo "$page names no version $version"; exit 1; }
done
# Every option of the batch tool is in its page.
for option in $("$built/../bin/orelith-batch" --help | grep -o -- '--[a-z-]*' | sort -u); do
  grep -q -- "${option//-/\\\\-}" "$built/orelith-batch.1" || { echo "orelith-batch.1 lacks $option"; exit 1; }
done
echo "desktop data valid"
