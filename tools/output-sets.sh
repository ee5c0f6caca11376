#!/usr/bin/env bash
# output-sets.sh BATCH OUTDIR: runs the orelith-batch program BATCH on the
# sample frames with several option sets and leaves every output file in
# OUTDIR/<set>/, with the program's standard output, standard error and exit
# status. Two builds compared with
#   tools/output-sets.sh old/bin/orelith-batch /tmp/a
#   tools/output-sets.sh new/bin/orelith-batch /tmp/b
#   diff -r /tmp/a /tmp/b
# show whether a change kept every output byte for byte.
set -u
batch=$(realpath "$1") out=$2
samples=$(cd "$(dirname "$0")/../samples" && pwd)
rm -rf "$out" && mkdir -p "$out" && out=$(realpath "$out")
frames=(--blue "$samples/cluster.b" --green "$samples/cluster.g")
fixed=(--background-blue 1130 --background-green 1130)
measure=(--search --compare --calibration "$samples/calibration.csv" --calculate)

run() { # NAME ARG...
  local d="$out/$1"
  shift
  mkdir -p "$d"
  (cd "$d" && "$batch" "$@" --html report.html --complex --cmd-color c.bmp --cmd-mono m.bmp \
    --render-blue b.png --render-green g.png --range-blue 400 --range-green 400 \
    --json state.json >stdout 2>stderr; echo "exit $?" >>stderr)
}

run fixed "${frames[@]}" "${fixed[@]}" "${measure[@]}"
run auto "${frames[@]}" --auto-background "${measure[@]}"
run pixels "${frames[@]}" "${fixed[@]}" "${measure[@]}" --with-pixels
run aperture "${frames[@]}" "${fixed[@]}" "${measure[@]}" --photometry aperture \
  --model transform --csv table.csv
run transform "${frames[@]}" --auto-background "${measure[@]}" --model transform \
  --csv table.csv --plot-cmd cmd.svg
run chosen "${frames[@]}" --auto-background "${measure[@]}" --photometry aperture --aperture 3 \
  --annulus 6,9 --gain 2 --read-noise 5 --saturation 20000 --model transform --csv table.csv \
  --plot-cmd cmd.png
head -2 "$samples/calibration.csv" >"$out/one-star.csv"
run one-star "${frames[@]}" "${fixed[@]}" --search --compare --calibration "$out/one-star.csv" \
  --calculate --photometry aperture --model transform --csv table.csv --plot-cmd cmd.svg
run load-only "${frames[@]}"
run search-only "${frames[@]}" "${fixed[@]}" --search
