#!/bin/sh
# outputs-any-locale.sh BATCH OUTPUT_SETS LOCPATH: every output of the batch
# tool over the option sets of tools/output-sets.sh is the same byte for byte
# under a German locale, with its decimal comma, as under the C locale.
set -eu
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
[ "$(LC_ALL=de_DE.UTF-8 LOCPATH=$3 locale decimal_point)" = "," ] ||
  { echo "FAIL: no German locale in $3"; exit 1; }
LC_ALL=C "$2" "$1" "$scratch/c"
LC_ALL=de_DE.UTF-8 LOCPATH=$3 "$2" "$1" "$scratch/de"
diff -r "$scratch/c" "$scratch/de"
echo "every output is the same under de_DE.UTF-8 as under C"
