#!/bin/sh
# Fuzzes every parser of the program (each fuzz/fuzz_*.cpp) under AddressSanitizer and
# UndefinedBehaviorSanitizer for a bounded time.
#   fuzz/run.sh [SECONDS]          SECONDS in all, shared among the targets (default 60)
#   fuzz/run.sh --long SECONDS     SECONDS for each target
#   fuzz/run.sh [--long] SECONDS NAME...   only the named targets
# Seeds: fuzz/seeds/NAME/ (files kept in the repository) and, when it exists,
# fuzz/seed_NAME.sh BUILD CORPUS ROOT, which makes seeds at run time.
# Exits non-zero when a fuzzer finds a crash, a leak or undefined behaviour.
set -eu
long=0
if [ "${1:-}" = "--long" ]; then long=1; shift; fi
seconds=${1:-60}
[ $# -gt 0 ] && shift
root=$(cd "$(dirname "$0")/.." && pwd)
build=${KORVANDA_FUZZ_BUILD:-$root/build-fuzz}

if [ $# -gt 0 ]; then
  targets="$*"
else
  targets=$(cd "$root/fuzz" && ls fuzz_*.cpp | sed 's/\.cpp$//')
fi
count=$(echo $targets | wc -w)
if [ "$long" = 1 ]; then
  each=$seconds
else
  each=$((seconds / count))
  [ "$each" -lt 5 ] && each=5
fi

cmake -S "$root" -B "$build" -G Ninja \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DKORVANDA_SANITIZE=ON -DKORVANDA_FUZZ=ON -DKORVANDA_TESTS=OFF >/dev/null
# shellcheck disable=SC2086
ninja -C "$build" $targets korvanda-title

export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
export ASAN_OPTIONS=detect_leaks=1:allocator_may_return_null=0
status=0
for t in $targets; do
  corpus=$build/fuzz/corpus/$t
  artifacts=$build/fuzz/artifacts/$t
  mkdir -p "$corpus" "$artifacts"
  [ -d "$root/fuzz/seeds/$t" ] && cp -n "$root/fuzz/seeds/$t"/* "$corpus"/ 2>/dev/null || true
  [ -f "$root/fuzz/seed_$t.sh" ] && sh "$root/fuzz/seed_$t.sh" "$build" "$corpus" "$root"
  echo "== $t: ${each} s"
  if ! "$build/fuzz/$t" -max_total_time="$each" -rss_limit_mb=2048 -timeout=10 \
      -max_len=262144 -artifact_prefix="$artifacts/" "$corpus" 2>"$build/fuzz/$t.log"; then
    tail -40 "$build/fuzz/$t.log"
    echo "$t: the fuzzer found a fault (log: $build/fuzz/$t.log, input in $artifacts)" >&2
    status=1
  else
    tail -1 "$build/fuzz/$t.log"
  fi
done
exit $status
