#!/usr/bin/env bash
# Sets up a fresh machine, builds Korvanda and starts it on its bundled data.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
BUILD_DIR=${BUILD_DIR:-build}
export BUILD_DIR
bash scripts/build.sh
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display found: starting Korvanda on a virtual display (Xvfb)." >&2
  exec xvfb-run -a -s "-screen 0 1024x768x24" "$BUILD_DIR/bin/korvanda"
fi
exec "$BUILD_DIR/bin/korvanda"
