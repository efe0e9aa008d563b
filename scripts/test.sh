#!/usr/bin/env bash
# Sets up a fresh machine, builds Korvanda with its tests and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
bash scripts/build.sh -DKORVANDA_TESTS=ON
cd build
# Tests run on the offscreen platform with a private runtime folder.
export XDG_RUNTIME_DIR=$(mktemp -d)
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j 2 --timeout 600
