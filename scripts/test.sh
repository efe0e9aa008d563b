#!/usr/bin/env bash
# Sets up a fresh machine, builds Korvanda with its tests, runs every test, then fuzzes
# every parser for a bounded time under the sanitizers. BUILD_DIR names the build folder
# (default build); FUZZ_SECONDS the fuzzing time in all (default 60).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
BUILD_DIR=${BUILD_DIR:-build}
case "$BUILD_DIR" in /*) build=$BUILD_DIR ;; *) build=$root/$BUILD_DIR ;; esac
export BUILD_DIR=$build
bash scripts/deps.sh
bash scripts/build.sh -DKORVANDA_TESTS=ON

# Tests run on the offscreen platform with a private runtime folder, removed on every exit.
runtime=$(mktemp -d)
trap 'rm -rf "$runtime"' EXIT INT TERM
export XDG_RUNTIME_DIR=$runtime
tests_ok=1
(cd "$build" && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j 2 --timeout 600) || tests_ok=0

# The fuzzing runs whatever the tests said, so a failure in one never hides the other.
echo "Fuzzing every parser for ${FUZZ_SECONDS:-60} seconds in all..."
fuzz_ok=1
if ! KORVANDA_FUZZ_BUILD="$build-fuzz" bash fuzz/run.sh "${FUZZ_SECONDS:-60}" > "$build/fuzz.log" 2>&1; then
  tail -40 "$build/fuzz.log"
  echo "A fuzz target failed (full log: $build/fuzz.log)" >&2
  fuzz_ok=0
else
  grep -E '^== |^(Done|#[0-9]+ +DONE)' "$build/fuzz.log" | tail -20 || true
fi
[ "$tests_ok" = 1 ] && [ "$fuzz_ok" = 1 ]
