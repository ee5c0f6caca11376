#!/usr/bin/env bash
# Builds the Debian package from a finished build and checks it as a user
# and Debian would meet it: lintian finds no error and no warning, it names
# the libraries it needs, it unpacks, the unpacked programs start, and the
# man page's example runs on the examples it ships. The package is unpacked
# into a scratch folder, never installed onto this machine.
# Usage: tools/test-package.sh [BUILD_DIR]   (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(realpath "${1:-build}")
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

(cd "$scratch" && cpack --config "$build/CPackConfig.cmake" -G DEB -B "$scratch/out" >cpack.log 2>&1) ||
  { cat "$scratch/cpack.log"; exit 1; }
deb=$(echo "$scratch"/out/*.deb)
[ -f "$deb" ] || { echo "cpack made no .deb"; exit 1; }
dpkg-deb --info "$deb" >/dev/null

# Lintian's informational notes (hardening of a build without dpkg's flags,
# for one) are shown but pass; any error or warning fails.
lintian --display-level ">=info" "$deb" | tee "$scratch/lintian.txt"
if grep -E '^[EW]: ' "$scratch/lintian.txt" >/dev/null; then
  echo "lintian reports errors or warnings"
  exit 1
fi

depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
[ "$(dpkg-deb -f "$deb" Section)" = science ] || { echo "wrong section"; exit 1; }
# GSL is linked into libbrelox, which ships inside, and cairo into the
# programs: their runtimes must be named.
for lib in libc6 libstdc++6 libgsl libcairo2; do
  grep -q "$lib" <<<"$depends" || { echo "Depends lacks $lib"; exit 1; }
done

root=$scratch/root
dpkg-deb -x "$deb" "$root"
multiarch=$(dpkg-architecture -qDEB_HOST_MULTIARCH)
[ -f "$root/usr/lib/$multiarch/orelith/libbrelox.so.0" ] ||
  { echo "libbrelox is not in usr/lib/$multiarch/orelith"; exit 1; }
version=$("$root/usr/bin/orelith-batch" --version)
echo "unpacked orelith-batch --version: $version"
[ -n "$version" ]
# The plotted diagram, drawn with cairo.
samples=$PWD/samples
(cd "$scratch" && "$root/usr/bin/orelith-batch" --blue "$samples/cluster.b" --green "$samples/cluster.g" \
  --auto-background --search --compare --calibration "$samples/calibration.csv" --calculate \
  --plot-cmd plot.png)
[ "$(head -c 4 "$scratch/plot.png" | tail -c 3)" = PNG ] || { echo "the unpacked program plots no diagram"; exit 1; }
echo "unpacked orelith-batch plotted the diagram"

# The man page's example, on the examples of the unpacked package.
example=$(zcat "$root/usr/share/man/man1/orelith-batch.1.gz" |
  sed -n '/^\.SH EXAMPLES/,/^\.SH/{/^\.nf/,/^\.fi/p}' | sed '/^\.nf\|^\.fi/d; s/\\-/-/g; s/\\e$/\\/')
(cd "$scratch" && PATH=$root/usr/bin:$PATH bash -euc "${example//\/usr\/share/$root/usr/share}")
[ -s "$scratch/report.html" ] && [ -s "$scratch/cmd.bmp" ] || { echo "the man page's example wrote nothing"; exit 1; }
echo "the man page's example ran on the package's examples"

if [ -x "$root/usr/bin/orelith" ]; then
  for lib in libqt6widgets qt6-qpa-plugins; do
    grep -q "$lib" <<<"$depends" || { echo "Depends lacks $lib"; exit 1; }
  done
  # The window opens on a virtual screen, then closes through File > Exit:
  # a click on the menu bar's first title, Up to the menu's last item, Enter.
  timeout 120 tools/with-xvfb.sh 1024x768x24 \
    bash tools/close-window.sh "$root/usr/bin/orelith" "Windows-Kelvara"
  echo "unpacked orelith opened its window and closed through Exit"
else
  echo "no window program in the package; only orelith-batch was started"
fi
echo "package $(basename "$deb") is sound"
