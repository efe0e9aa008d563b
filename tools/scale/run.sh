#!/usr/bin/env bash
# Starts the built program on virtual displays of real monitor sizes and reports how wide
# its main window is drawn, with a screenshot of it on each.
#
#   tools/scale/run.sh [-b BUILD_DIR] [-o SHOT_DIR] [-s SIZE] [SCREEN...]
#
#   SCREEN   WIDTHxHEIGHT, default: 1024x768 1920x1080 2560x1440
#   -s SIZE  the "Window size" to store first (Automatic, 100%, 125%, 150%, 200%);
#            default Automatic
#   -o DIR   where to write main-window-WIDTHxHEIGHT.png (default: no screenshots)
#
# Each run uses a copy of the application folder with a fresh database and fresh
# settings, so nothing of yours is touched. Needs xvfb, x11-utils and imagemagick.
set -euo pipefail
cd "$(dirname "$0")/../.."
BUILD_DIR=build
SHOTS=
SIZE=Automatic
while getopts "b:o:s:" opt; do
  case $opt in
    b) BUILD_DIR=$OPTARG ;;
    o) SHOTS=$(realpath -m "$OPTARG"); mkdir -p "$SHOTS" ;;
    s) SIZE=$OPTARG ;;
    *) exit 2 ;;
  esac
done
shift $((OPTIND - 1))
BUILD_DIR=$(realpath "$BUILD_DIR")
SCREENS=("${@:-1024x768 1920x1080 2560x1440}")
read -r -a SCREENS <<<"${SCREENS[*]}"
for need in xvfb-run xwininfo import; do
  command -v $need >/dev/null || { echo "missing $need: apt-get install xvfb x11-utils imagemagick" >&2; exit 2; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
app="$work/app"
mkdir -p "$app"
"$BUILD_DIR/bin/korvanda-db" create "$app" >/dev/null
for f in korvanda Music.M14 Shops.M14 Korvanda.hlp; do
  cp "$BUILD_DIR/bin/$f" "$app/"
done

export KV_SCALE_APP="$app/korvanda" KV_SCALE_SHOTS="$SHOTS"
for screen in "${SCREENS[@]}"; do
  rm -rf "$work/config" "$work/data"
  mkdir -p "$work/config/TALV_Ltd" "$work/data"
  printf '[Program%%20Options]\nPlay%%20Intro=False\nWindow%%20Size=%s\n' "$SIZE" \
    >"$work/config/TALV_Ltd/TALV_Ltd.ini"
  XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data" KV_SCALE_SCREEN="$screen" \
    xvfb-run -a -s "-screen 0 ${screen}x24" bash -c '
      "$KV_SCALE_APP" >/dev/null 2>&1 &
      program=$!
      id=
      for _ in $(seq 1 100); do
        sleep 0.2
        # The main window is the one shaped 640 x 464, whatever its size; the splash
        # carries the same title.
        id=$(xwininfo -root -tree 2>/dev/null | awk "/\"Korvanda\"/ {
               for (i = 1; i <= NF; i++) if (\$i ~ /^[0-9]+x[0-9]+[+-]/) {
                 split(\$i, g, /[x+-]/)
                 if (g[1] * 464 == g[2] * 640) { print \$1; exit }
               } }")
        [ -n "$id" ] && break
      done
      sleep 3
      if [ -z "$id" ]; then echo "$KV_SCALE_SCREEN: no main window"; kill $program; exit 1; fi
      geometry=$(xwininfo -id "$id" | awk "/Width:/ {w=\$2} /Height:/ {h=\$2} END {print w \"x\" h}")
      echo "$KV_SCALE_SCREEN: main window $geometry pixels"
      [ -n "$KV_SCALE_SHOTS" ] && import -window "$id" "$KV_SCALE_SHOTS/main-window-$KV_SCALE_SCREEN.png"
      kill $program 2>/dev/null || true
      wait 2>/dev/null || true'
done
