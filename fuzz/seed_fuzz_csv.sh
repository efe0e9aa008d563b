#!/bin/sh
# Seeds for the CSV reader: the shipped shop list and a small generated catalogue source.
# Usage: seed_fuzz_csv.sh BUILD_DIR CORPUS_DIR ROOT
set -eu
build=$1 corpus=$2 root=$3
[ -f "$corpus/tracks.csv" ] && exit 0
cp "$root/data/catalogue/shops.csv" "$corpus/shops.csv"
seed_src=$(mktemp -d)
trap 'rm -rf "$seed_src"' EXIT INT TERM
"$build/bin/korvanda-title" demo "$seed_src" --artists 3 --seed 5 >/dev/null
for f in artists recordings releases; do cp "$seed_src/$f.csv" "$corpus/$f.csv"; done
# The first 200 lines of the tracks keep the seed small.
head -200 "$seed_src/tracks.csv" >"$corpus/tracks.csv"
