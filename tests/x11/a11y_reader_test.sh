#!/usr/bin/env bash
# The built reader as a screen reader finds it: the reader and the probe run
# in one private D-Bus session with the accessibility bus, the reader with
# QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1, and a11y_probe.py reads it over AT-SPI
# (Debian's /usr/bin/python3 with pyatspi). Exit 77: no X server, or no
# dbus-run-session, at-spi2-core, pyatspi or xdotool.
set -euo pipefail
bin="$1"
here="$(cd "$(dirname "$0")" && pwd)"
if [ -z "${A11Y_SESSION:-}" ]; then
  command -v dbus-run-session >/dev/null || { echo "dbus-run-session is not installed: skipped."; exit 77; }
  [ -x /usr/libexec/at-spi-bus-launcher ] || { echo "at-spi2-core is not installed: skipped."; exit 77; }
  /usr/bin/python3 -c 'import pyatspi' 2>/dev/null || { echo "python3-pyatspi is not installed: skipped."; exit 77; }
  exec env A11Y_SESSION=1 dbus-run-session -- "$0" "$@"
fi
source "$here/reader_harness.sh"
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 NO_AT_BRIDGE=0
reader_harness_start xdotool
page="$work/runtime/tmp.html"
reader_harness_main_window "$page"
xdotool windowfocus --sync "$main"
sleep 1
/usr/bin/python3 "$here/a11y_probe.py" "$pid" "$page" "$bin/bookpack" "$bin/Data.dat" || fail "the probe found a fault"
kill -0 "$pid" || fail "the reader did not keep running"
