#!/usr/bin/env bash
# Runs a command as a native Wayland client of a headless weston of its own:
#   in_weston.sh COMMAND ARGS...
# QT_QPA_PLATFORM=wayland alone (no fallback) and no X display, so a program
# that cannot speak Wayland cannot start at all. The socket is named by its
# full path, so a command that moves XDG_RUNTIME_DIR still finds it.
# Exit status: the command's; 77 when weston or Qt's Wayland plugin is missing.
set -euo pipefail
command -v weston >/dev/null || { echo "weston is not installed: skipped"; exit 77; }
ls /usr/lib/*/qt6/plugins/platforms/libqwayland-generic.so >/dev/null 2>&1 ||
  { echo "qt6-wayland is not installed: skipped"; exit 77; }
runtime=$(mktemp -d)
chmod 700 "$runtime"
weston=""
trap '[ -n "$weston" ] && { kill "$weston" 2>/dev/null || true; wait "$weston" 2>/dev/null || true; }; rm -rf "$runtime"' EXIT
XDG_RUNTIME_DIR="$runtime" weston --backend=headless-backend.so --socket=wayland-test --use-pixman --idle-time=0 \
  >"$runtime/weston.log" 2>&1 &
weston=$!
for _ in $(seq 1 100); do
  [ -S "$runtime/wayland-test" ] && break
  kill -0 "$weston" 2>/dev/null || { echo "weston exited early:"; cat "$runtime/weston.log"; exit 1; }
  sleep 0.1
done
[ -S "$runtime/wayland-test" ] || { echo "weston opened no socket"; cat "$runtime/weston.log"; exit 1; }
set +e
env -u DISPLAY XDG_RUNTIME_DIR="$runtime" WAYLAND_DISPLAY="$runtime/wayland-test" QT_QPA_PLATFORM=wayland \
  QT_WAYLAND_DISABLE_WINDOWDECORATION=1 "$@"
status=$?
set -e
exit "$status"
