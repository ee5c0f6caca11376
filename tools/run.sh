#!/usr/bin/env bash
# Sets up the machine, builds the program and runs it. Until the window
# exists, "running" means the whole measurement on the sample frames with
# orelith-batch: the report, the colour-magnitude diagram and the panel
# pictures land in out/.
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/setup.sh
cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release -DORELITH_TESTS=OFF -DORELITH_BENCH=OFF
cmake --build build-release -j "$(nproc)" --target orelith-batch orelith-genfield orelith-gentemplates

mkdir -p out
# The diagram templates are looked for in the working directory first, then
# beside the program; build-release/share/orelith holds them.
build-release/bin/orelith-batch \
  --blue samples/cluster.b --green samples/cluster.g \
  --background-blue 1130 --background-green 1130 --search --compare \
  --calibration samples/calibration.csv --calculate \
  --html out/report.html --complex --cmd-color out/cmd-color.bmp --cmd-mono out/cmd-mono.bmp \
  --render-blue out/blue.png --render-green out/green.png --range-blue 400 --range-green 400 \
  --json out/state.json
echo
echo "Results of the sample measurement:"
for f in report.html cmd-color.bmp cmd-mono.bmp blue.png green.png state.json; do
  echo "  $(pwd)/out/$f"
done
