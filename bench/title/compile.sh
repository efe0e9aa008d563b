#!/bin/sh
# The catalogue compile at scale: `korvanda-title build catalogue` on a source folder (for
# instance what `korvanda-title import discogs` wrote from the synthetic dumps of
# bench/import/run.sh), beside GNU sort ordering the same tracks.csv by recording, disc and
# number with the same memory budget: the floor of merely putting the tracks in page order
# from disk. Reports wall time, peak memory (max RSS) and the lowest free space on the disk
# of the scratch files, then checks releases drawn at random through the title.
#
#   bench/title/compile.sh SRC_DIR SCRATCH [MEMORY_MB] [CHECKS]
#
# SCRATCH is a folder outside the repository on a disk with room for about twice the title.
# Needs the benchmark build:
#   BUILD_DIR=build-bench KV_CMAKE_ARGS="-DKORVANDA_BENCH=ON -DCMAKE_BUILD_TYPE=Release" \
#     /work/tools/kvbuild --target korvanda-title
set -eu
src=$1 scratch=$2 memory=${3:-512} checks=${4:-40}
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${BUILD_DIR:-$root/build-bench}
core=${CORE:-1}
mkdir -p "$scratch"
title=$scratch/catalogue.M14

# Prints "seconds maxrss_kb lowest_free_kb" of a command run on one core.
timed() {
  ( low=$(df -k --output=avail "$scratch" | tail -1)
    while :; do a=$(df -k --output=avail "$scratch" | tail -1); [ "$a" -lt "$low" ] && low=$a
      echo "$low" > "$scratch/low.txt"; sleep 2; done ) &
  watcher=$!
  /usr/bin/time -f "%e %M" -o "$scratch/time.txt" taskset -c "$core" "$@" >/dev/null
  kill "$watcher"
  echo "$(cat "$scratch/time.txt") $(cat "$scratch/low.txt")"
}

free=$(df -k --output=avail "$scratch" | tail -1)
echo "source: $src ($(du -sk "$src" | cut -f1) KB), free on the scratch disk: $free KB"
rm -f "$title"
set -- $(timed "$build/bin/korvanda-title" build catalogue "$src" "$title" --memory "$memory")
echo "compile, --memory $memory: $1 s, peak memory $2 KB, scratch and title took at most $((free - $3)) KB, title $(stat -c %s "$title") bytes"
set -- $(LC_ALL=C timed sort -S "${memory}M" --parallel=1 -T "$scratch" -t, -k1,1n -k2,2n -k3,3n \
  -o /dev/null "$src/tracks.csv")
echo "GNU sort of tracks.csv, -S ${memory}M: $1 s, peak memory $2 KB"
python3 "$root/bench/title/verify_catalogue.py" "$build/bin/korvanda-title" "$src" "$title" "$checks"
