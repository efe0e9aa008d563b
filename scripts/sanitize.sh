#!/usr/bin/env bash
# Builds Korvanda with AddressSanitizer and UndefinedBehaviorSanitizer in a second tree
# (build-asan, or the folder named by BUILD_DIR) and runs the whole test suite there.
# Not part of scripts/test.sh: it takes several times as long as the normal suite.
#   scripts/sanitize.sh [ctest arguments...]
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
BUILD_DIR=${BUILD_DIR:-build-asan}
case "$BUILD_DIR" in /*) build=$BUILD_DIR ;; *) build=$root/$BUILD_DIR ;; esac
bash scripts/deps.sh
BUILD_DIR=$build bash scripts/build.sh -DKORVANDA_SANITIZE=ON -DKORVANDA_TESTS=ON

runtime=$(mktemp -d)
trap 'rm -rf "$runtime"' EXIT INT TERM
export XDG_RUNTIME_DIR=$runtime
# Halt on the first report of either sanitizer, with its stack; leaks are reported too.
# Stacks of allocations are unwound the slow way: the system libraries have no frame
# pointers, and a cut-short stack would slip past the media stack's suppressions.
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:halt_on_error=1:abort_on_error=0:fast_unwind_on_malloc=0}
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$root/scripts/lsan.supp}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-halt_on_error=1:print_stacktrace=1}
cd "$build"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j 2 --timeout 1800 "$@"
