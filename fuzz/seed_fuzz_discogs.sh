#!/bin/sh
# Seeds for the dump reader: the importer's test fixtures, each behind the byte that picks
# the buffer sizes. Usage: seed_fuzz_discogs.sh BUILD_DIR CORPUS_DIR ROOT
set -eu
corpus=$2 root=$3
for f in "$root"/tests/import/fixtures/*.xml; do
  name=$(basename "$f" .xml)
  [ -f "$corpus/$name" ] && continue
  { printf '\040'; cat "$f"; } > "$corpus/$name"
done
