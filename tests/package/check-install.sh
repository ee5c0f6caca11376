#!/usr/bin/env bash
# `cmake --install` lays out a complete application: programs, the fit library
# under its soname in the programs' own library folder, data, desktop
# integration, compressed man pages and the documentation folder with its
# examples. No program or library, built or installed, looks for libraries in
# the current folder.
# Usage: check-install.sh CMAKE BUILD_DIR VERSION WINDOW(0|1) LIBDIR PRIVATE_LIBDIR
set -euo pipefail
cmake=$1 build=$2 version=$3 window=$4 libdir=$5 private=$6
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT

"$cmake" --install "$build" --prefix "$prefix" >/dev/null
files=(
  bin/orelith-batch
  share/orelith/DIB01.DAT share/orelith/DIB02.DAT
  share/applications/org.orelith.Orelith.desktop
  share/metainfo/org.orelith.Orelith.metainfo.xml
  share/mime/packages/orelith.xml
  share/icons/hicolor/scalable/apps/orelith.svg
  share/man/man1/orelith-batch.1.gz
  share/doc/orelith/copyright share/doc/orelith/changelog.gz share/doc/orelith/README.md
  share/doc/orelith/docs/json.md
  share/doc/orelith/examples/cluster.b share/doc/orelith/examples/cluster.g
  share/doc/orelith/examples/calibration.csv
)
for size in 16 32 48 64 128 256; do
  files+=("share/icons/hicolor/${size}x${size}/apps/orelith.png")
done
[ "$window" = 0 ] || files+=(bin/orelith share/man/man1/orelith.1.gz)
for f in "${files[@]}"; do
  [ -f "$prefix/$f" ] || { echo "missing $f"; exit 1; }
done
for size in 16 256; do
  file "$prefix/share/icons/hicolor/${size}x${size}/apps/orelith.png" | grep -q "$size x $size" ||
    { echo "icon of ${size}px has the wrong size"; exit 1; }
done

# The fit library: real file and soname link in the programs' folder, no
# development link (nothing else builds against it).
dir=$prefix/$private
lib=$dir/libbrelox.so.$version
[ -f "$lib" ] || { echo "no $private/libbrelox.so.$version"; exit 1; }
[ "$(readlink "$dir/libbrelox.so.0")" = "libbrelox.so.$version" ] || { echo "bad soname link"; exit 1; }
[ -z "$(find "$prefix" -name libbrelox.so)" ] || { echo "a development link was installed"; exit 1; }
objdump -p "$lib" | grep -Eq "SONAME +libbrelox\.so\.0$" || { echo "bad SONAME"; exit 1; }

[ "$("$prefix/bin/orelith-batch" --version)" = "$version" ] || { echo "wrong --version"; exit 1; }

# The loader reads an empty or relative RPATH/RUNPATH entry from the current
# folder: every entry must be absolute or start at $ORIGIN.
entry='(/|\$ORIGIN)[^:]*'
while IFS= read -r -d '' f; do
  dynamic=$(readelf -d "$f" 2>/dev/null) || continue
  while read -r path; do
    [[ $path =~ ^$entry(:$entry)*$ ]] || { echo "$f searches the current folder: [$path]"; exit 1; }
  done < <(sed -n 's/.*(R\(UN\)\{0,1\}PATH).*\[\(.*\)\]$/\2/p' <<<"$dynamic")
done < <(find "$build/bin" "$build/${libdir}" "$prefix" -type f -print0)
echo "install tree complete"
