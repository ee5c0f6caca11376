#!/usr/bin/env bash
# Sets up the machine, builds the program and runs it: with a display, the
# window opens on a finished measurement of the sample frames; without one,
# orelith-batch measures the samples and the results land in out/.
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/setup.sh
cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release -DORELITH_TESTS=OFF -DORELITH_BENCH=OFF
cmake --build build-release -j "$(nproc)" --target orelith orelith-batch orelith-genfield orelith-gentemplates

# The steps of a measurement, with the same names for the window and the batch tool.
measure=(--background-blue 1130 --background-green 1130 --search --compare
  --calibration samples/calibration.csv --calculate)

if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  echo "Starting the window on a measurement of samples/cluster.b and samples/cluster.g:"
  echo "backgrounds 1130, stars searched and paired, the calibration stars of"
  echo "samples/calibration.csv marked, magnitudes calculated. Any step can be redone."
  # The diagram templates are looked for in the working directory first,
  # then beside the program.
  exec build-release/bin/orelith "${measure[@]}" samples/cluster.b samples/cluster.g
fi

mkdir -p out
build-release/bin/orelith-batch \
  --blue samples/cluster.b --green samples/cluster.g "${measure[@]}" \
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
echo "  build-release/bin/orelith ${measure[*]} samples/cluster.b samples/cluster.g"
