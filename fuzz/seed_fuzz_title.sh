#!/bin/sh
# Seeds for the title reader: small real titles, so the fuzzer starts from valid structure.
# Usage: seed_fuzz_title.sh BUILD_DIR CORPUS_DIR ROOT
set -eu
build=$1 corpus=$2 root=$3
[ -f "$corpus/shops.M14" ] && exit 0
seed_src=$(mktemp -d)
trap 'rm -rf "$seed_src"' EXIT INT TERM
"$build/bin/korvanda-title" demo "$seed_src" --artists 4 --seed 3 >/dev/null
"$build/bin/korvanda-title" build catalogue "$seed_src" "$corpus/music.M14" >/dev/null
"$build/bin/korvanda-title" build shops "$root/data/catalogue/shops.csv" "$corpus/shops.M14" >/dev/null
