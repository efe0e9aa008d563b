# Sourced by the accessibility scripts. with_screen_reader SCRIPT: starts the program at
# $KV_A11Y_APP (its output to $KV_A11Y_LOG) on a virtual display with the AT-SPI bus, runs
# the Python SCRIPT against it, stops both and returns the script's status.
with_screen_reader() {
  export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_ACCESSIBILITY=1 NO_AT_BRIDGE=0
  xvfb-run -a -s "-screen 0 1024x768x24" \
    dbus-run-session -- bash -c '
      /usr/libexec/at-spi-bus-launcher --launch-immediately &
      bus=$!
      sleep 1
      "$KV_A11Y_APP" >"$KV_A11Y_LOG" 2>&1 &
      program=$!
      status=0
      /usr/bin/python3 "$0" || status=$?
      kill $program 2>/dev/null || true
      kill $bus 2>/dev/null || true
      wait 2>/dev/null || true
      exit $status' "$1"
}
