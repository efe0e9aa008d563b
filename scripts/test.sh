#!/usr/bin/env bash
# Sets up a fresh machine, builds Korvanda with its tests and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
bash scripts/build.sh -DKORVANDA_TESTS=ON
cd build
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j 2 --timeout 600
