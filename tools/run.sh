#!/usr/bin/env bash
# Sets up the machine, builds the program and runs it: with a display, the
# window opens with the sample frames loaded; without one, orelith-batch
# measures the samples and the results land in out/.
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/setup.sh
cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release -DORELITH_TESTS=OFF -DORELITH_BENCH=OFF
cmake --build build-release -j "$(nproc)" --target orelith orelith-batch orelith-genfield orelith-gentemplates

if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  echo "Starting the window with samples/cluster.b and samples/cluster.g loaded."
  # The diagram templates are looked for in the working directory first,
  # then beside the program.
  exec build-release/bin/orelith samples/cluster.b samples/cluster.g
fi

mkdir -p out
build-release/bin/orelith-batch \
  --blue samples/cluster.b --green samples/cluster.g \
  --background-blue 1130 --background-green 1130 --search --compare \
  --calibration samples/calibration.csv --calculate \
  --html out/report.html --complex --cmd-color out/cmd-color.bmp --cmd-mono out/cmd-mono.bmp \
  --render-blue out/blue.png --render-green out/green.png --range-blue 400 --range-green 400 \
  --json out/state.json
echo
echo "No display found (neither DISPLAY nor WAYLAND_DISPLAY is set), so the batch tool"
echo "measured the sample frames. Results:"
for f in report.html cmd-color.bmp cmd-mono.bmp blue.png green.png state.json; do
  echo "  $(pwd)/out/$f"
done
echo
echo "To use the window, run this script again on a desktop, or start it directly:"
echo "  build-release/bin/orelith samples/cluster.b samples/cluster.g"
