#!/usr/bin/env bash
# Sets up a fresh machine, builds Korvanda and starts it on its bundled data.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
bash scripts/build.sh
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display found: starting Korvanda on a virtual display (Xvfb)." >&2
  exec xvfb-run -a -s "-screen 0 1024x768x24" build/bin/korvanda
fi
exec build/bin/korvanda
