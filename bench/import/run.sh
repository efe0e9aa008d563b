#!/bin/sh
# The Discogs import benchmark. Generates synthetic dumps (kv-discogs-gen) and measures, each
# command pinned to one core and the pairs interleaved:
#   - the import of the releases dump beside `xmllint --stream --noout` on the same file
#     (libxml2's streaming parser: the floor of merely parsing the XML), as wall time, MB/s
#     of XML and releases/s, median of RUNS;
#   - the import of all three dumps: wall time, peak memory (max RSS), the most disk the
#     output folder and its temporary folder took, and the size of the result.
#
#   bench/import/run.sh SCRATCH RELEASES [RUNS] [GZIP_LEVEL]
#
# SCRATCH is a folder outside the repository (the dumps are about 4.3 KB a release, a sixth
# of that gzip'd); GZIP_LEVEL 0 (default) writes plain XML. Needs the benchmark build:
#   BUILD_DIR=build-bench KV_CMAKE_ARGS="-DKORVANDA_BENCH=ON -DCMAKE_BUILD_TYPE=Release" \
#     /work/tools/kvbuild --target kv-discogs-gen korvanda-title bench_xml_parsers
set -eu
scratch=$1 releases=$2 runs=${3:-5} level=${4:-0}
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${BUILD_DIR:-$root/build-bench}
core=${CORE:-1}
ext=xml
[ "$level" -gt 0 ] && ext=xml.gz
dumps=$scratch/dumps-$releases-$level
work=$scratch/work-$releases-$level
mkdir -p "$dumps" "$work"
if [ ! -f "$dumps/done" ]; then
  "$build/bench/kv-discogs-gen" "$dumps" --releases "$releases" --gzip "$level"
  touch "$dumps/done"
fi
rel=$dumps/releases.$ext
bytes=$(if [ "$level" -gt 0 ]; then gzip -dc "$rel" | wc -c; else stat -c %s "$rel"; fi)
echo "releases dump: $rel, $bytes bytes of XML, $(stat -c %s "$rel") bytes on disk"

# Prints "seconds maxrss_kb" of a command run on one core.
timed() {
  /usr/bin/time -f "%e %M" -o "$work/time.txt" taskset -c "$core" "$@" >/dev/null
  cat "$work/time.txt"
}
median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }

: > "$work/floor.txt"
: > "$work/import.txt"
out=$work/out
for i in $(seq "$runs"); do
  if [ $((i % 2)) = 1 ]; then
    timed xmllint --stream --noout "$rel" >> "$work/floor.txt"
    rm -rf "$out"; timed "$build/bin/korvanda-title" import discogs "$out" --releases "$rel" >> "$work/import.txt"
  else
    rm -rf "$out"; timed "$build/bin/korvanda-title" import discogs "$out" --releases "$rel" >> "$work/import.txt"
    timed xmllint --stream --noout "$rel" >> "$work/floor.txt"
  fi
done
f=$(cut -d' ' -f1 "$work/floor.txt" | median)
t=$(cut -d' ' -f1 "$work/import.txt" | median)
echo "xmllint --stream --noout: median $f s of $runs ($(cut -d' ' -f1 "$work/floor.txt" | tr '\n' ' '))"
echo "import --releases:        median $t s of $runs ($(cut -d' ' -f1 "$work/import.txt" | tr '\n' ' ')), peak memory $(cut -d' ' -f2 "$work/import.txt" | median) KB"
awk -v b="$bytes" -v f="$f" -v t="$t" -v n="$releases" 'BEGIN {
  printf "MB/s of XML: import %.0f, xmllint %.0f (import/xmllint time %.2f); releases/s: %.0f\n", b/1e6/t, b/1e6/f, t/f, n/t }'

# All three dumps, once, with the disk the output and its temporary folder take, sampled.
rm -rf "$out"
( peak=0; while :; do s=$(du -sk "$work" 2>/dev/null | cut -f1); [ "$s" -gt "$peak" ] && peak=$s && echo "$peak" > "$work/disk.txt"; sleep 2; done ) &
watcher=$!
timed "$build/bin/korvanda-title" import discogs "$out" --releases "$rel" --masters "$dumps/masters.$ext" \
  --artists "$dumps/artists.$ext" > "$work/all.txt"
kill "$watcher"
echo "import of all three: $(cut -d' ' -f1 "$work/all.txt") s, peak memory $(cut -d' ' -f2 "$work/all.txt") KB," \
  "peak disk of output and temporary files $(cat "$work/disk.txt") KB, output $(du -sk "$out" | cut -f1) KB"
rm -rf "$out"
