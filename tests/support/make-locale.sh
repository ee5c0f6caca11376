#!/bin/sh
# make-locale.sh DIR: the German locale (decimal comma) for the tests that
# check that numbers do not follow the user's locale, compiled once into
# DIR/de_DE.UTF-8; the tests point LOCPATH at DIR.
set -e
[ -e "$1/de_DE.UTF-8/LC_NUMERIC" ] && exit 0
mkdir -p "$1"
rm -rf "$1/de_DE.UTF-8.new"
localedef -i de_DE -f UTF-8 "$1/de_DE.UTF-8.new"
rm -rf "$1/de_DE.UTF-8"
mv "$1/de_DE.UTF-8.new" "$1/de_DE.UTF-8"
