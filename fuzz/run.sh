#!/bin/sh
# Fuzzes the title reader for a bounded time under AddressSanitizer and
# UndefinedBehaviorSanitizer. Usage: fuzz/run.sh [SECONDS] (default 60).
# Exits non-zero when the fuzzer finds a crash, a leak or undefined behaviour.
set -eu
seconds=${1:-60}
root=$(cd "$(dirname "$0")/.." && pwd)
build=${KORVANDA_FUZZ_BUILD:-$root/build-fuzz}

cmake -S "$root" -B "$build" -G Ninja \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DKORVANDA_SANITIZE=ON -DKORVANDA_FUZZ=ON -DKORVANDA_TESTS=OFF >/dev/null
ninja -C "$build" fuzz_title korvanda-title

# Seed corpus: small real titles, so the fuzzer starts from valid structure.
corpus=$build/fuzz/corpus
mkdir -p "$corpus"
if [ ! -f "$corpus/shops.M14" ]; then
  seed_src=$(mktemp -d)
  "$build/bin/korvanda-title" demo "$seed_src" --artists 4 --seed 3 >/dev/null
  "$build/bin/korvanda-title" build catalogue "$seed_src" "$corpus/music.M14" >/dev/null
  "$build/bin/korvanda-title" build shops "$root/data/catalogue/shops.csv" "$corpus/shops.M14" >/dev/null
  rm -rf "$seed_src"
fi

export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
export ASAN_OPTIONS=detect_leaks=1:allocator_may_return_null=0
mkdir -p "$build/fuzz/artifacts"
exec "$build/fuzz/fuzz_title" -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=10 \
  -max_len=262144 -artifact_prefix="$build/fuzz/artifacts/" "$corpus"
