#!/usr/bin/env bash
# Checks Korvanda with a real screen reader's view of it: starts the built program on a
# virtual display with the AT-SPI accessibility bus, then tools/a11y/check.py presses
# every button of the switchboard, the bar and the screens by its name and looks
# for controls without a name. The program runs from a copy of the application folder
# with a fresh database and fresh settings, so nothing of yours is touched.
#
#   tools/a11y/run.sh [BUILD_DIR]        (default: build)
#
# Needs the Debian packages xvfb, at-spi2-core and python3-pyatspi (not in
# scripts/deps.sh: no test of the suite uses them).
set -euo pipefail
cd "$(dirname "$0")/../.."
BUILD_DIR=$(realpath "${1:-build}")
for need in /usr/bin/xvfb-run /usr/bin/dbus-run-session /usr/libexec/at-spi-bus-launcher; do
  [ -x "$need" ] || { echo "missing $need: apt-get install xvfb dbus at-spi2-core python3-pyatspi" >&2; exit 2; }
done
/usr/bin/python3 -c 'import pyatspi' 2>/dev/null || { echo "missing python3-pyatspi" >&2; exit 2; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
app="$work/app"
mkdir -p "$app" "$work/config/TALV_Ltd" "$work/data"
"$BUILD_DIR/bin/korvanda-db" create "$app"
for f in korvanda Music.M14 Shops.M14 Korvanda.hlp cds_an.avi text_an.avi; do
  [ -e "$BUILD_DIR/bin/$f" ] && cp "$BUILD_DIR/bin/$f" "$app/"
done
printf '[Program Options]\nPlay Intro=False\n' > "$work/config/TALV_Ltd/TALV_Ltd.ini"
# The desktop's opener stands in for the browser: it writes down the address it is handed.
mkdir -p "$work/bin"
cat > "$work/bin/xdg-open" <<SCRIPT
#!/bin/sh
printf '%s\n' "\$1" >> "$work/opened"
SCRIPT
chmod +x "$work/bin/xdg-open"
touch "$work/opened"

export XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data" PATH="$work/bin:$PATH"
export KV_A11Y_OPENED="$work/opened"
export KV_A11Y_APP="$app/korvanda" KV_A11Y_LOG="$work/korvanda.log"
. tools/a11y/session.sh
with_screen_reader "$PWD/tools/a11y/check.py"
