#!/usr/bin/env bash
# Sets up a fresh machine, builds Korvanda with its tests, fuzzes the title reader for a
# bounded time under the sanitizers, and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
bash scripts/build.sh -DKORVANDA_TESTS=ON
root=$(pwd)

echo "Fuzzing the title reader for ${FUZZ_SECONDS:-60} seconds..."
if ! bash fuzz/run.sh "${FUZZ_SECONDS:-60}" > "$root/build/fuzz.log" 2>&1; then
  tail -40 "$root/build/fuzz.log"
  echo "The title reader's fuzz target failed (full log: build/fuzz.log)" >&2
  exit 1
fi
tail -2 "$root/build/fuzz.log"

# Tests run on the offscreen platform with a private runtime folder.
export XDG_RUNTIME_DIR=$(mktemp -d)
cd build
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j 2 --timeout 600
