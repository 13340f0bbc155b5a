# Shared by the end-to-end scripts that drive the built reader under a real
# X server with xdotool. Sourced, not run. The caller sets `bin` (the folder
# of the built reader) and lists the tools it needs; afterwards it has `work`
# (a scratch folder removed at exit), `pid` (the reader), `main` and
# `winX`/`winY` (its main window), and the helpers below. Processes added to
# `extra_pids` are ended at exit too.
# Exit 77: no X server or a missing tool, the test could not run at all.

reader_harness_start() {
  local tool
  for tool in "$@"; do
    command -v "$tool" >/dev/null || { echo "$tool is not installed: skipped."; exit 77; }
  done
  work=$(mktemp -d)
  pid= xvfb= extra_pids=()
  trap reader_harness_cleanup EXIT
  # Our own server on a display it picks itself, so parallel runs cannot
  # collide; without Xvfb, whatever $DISPLAY names.
  if command -v Xvfb >/dev/null; then
    Xvfb -displayfd 5 -screen 0 1280x1024x24 -nolisten tcp 5>"$work/display" 2>"$work/xvfb.log" &
    xvfb=$!
    for _ in $(seq 1 200); do
      [ -s "$work/display" ] && break
      kill -0 "$xvfb" 2>/dev/null || { echo "Xvfb did not start: skipped."; cat "$work/xvfb.log"; exit 77; }
      sleep 0.05
    done
    [ -s "$work/display" ] || { echo "Xvfb gave no display: skipped."; exit 77; }
    export DISPLAY=":$(head -1 "$work/display")"
  fi
  [ -n "${DISPLAY:-}" ] || { echo "No X display: skipped."; exit 77; }
  mkdir -m 700 "$work/runtime"
  if [ "$(id -u)" = 0 ]; then export QTWEBENGINE_DISABLE_SANDBOX=1; fi
  XDG_RUNTIME_DIR="$work/runtime" QT_QPA_PLATFORM=xcb \
    QT_LOGGING_RULES="qt.webenginecontext.info=false;js.*=false" "$bin/reader" >"$work/log" 2>&1 &
  pid=$!
}

reader_harness_cleanup() {
  local p
  for p in "$pid" "${extra_pids[@]}" "$xvfb"; do
    [ -n "$p" ] && { kill "$p" 2>/dev/null || true; wait "$p" 2>/dev/null || true; }
  done
  rm -rf "$work"
}

fail() { echo "FAIL: $*"; echo "--- reader output:"; tail -20 "$work/log"; exit 1; }

# Waits for the main window (placed by nobody: there is no window manager)
# and, when given, for a file the reader writes once its first page is up.
reader_harness_main_window() {
  local ready_file="${1:-}"
  main=
  for _ in $(seq 1 300); do
    main=$(xdotool search --maxdepth 1 --onlyvisible --pid "$pid" --name '^Form1$' 2>/dev/null | head -1 || true)
    [ -n "$main" ] && { [ -z "$ready_file" ] || [ -s "$ready_file" ]; } && break
    kill -0 "$pid" 2>/dev/null || fail "the reader exited early"
    sleep 0.1
  done
  [ -n "$main" ] || fail "no main window after 30 s"
  eval "$(xdotool getwindowgeometry --shell "$main")"
  winX=$X winY=$Y
}

# Centres of the tree's text lines in the top `height` screen rows of the
# tree (treeX, treeY, treeW), top down: bands of rows holding light pixels,
# since the names are drawn light on the dark tree.
row_centres() {
  local height=$1
  import -window root -crop "$((treeW - 40))x${height}+$((treeX + 4))+${treeY}" -depth 8 "rgb:$work/tree.rgb"
  od -An -v -tu1 -w$(( (treeW - 40) * 3 )) "$work/tree.rgb" | awk -v top="$treeY" '
    { lit = 0
      for (i = 1; i + 2 <= NF; i += 3) if ($i > 150 && $(i + 1) > 150 && $(i + 2) > 150) { lit = 1; break }
      y = NR - 1
      if (lit && start < 0) start = y
      if (!lit && start >= 0) { print top + int((start + y - 1) / 2); start = -1 } }
    BEGIN { start = -1 }'
}

# Page $1 of the built book as the window writes it to tmp.html: its bytes
# with the four colour fragments replaced by the window's swatch colours.
themed_page() {
  "$bin/bookpack" extract "$bin/Data.dat" "$1" |
    LC_ALL=C sed -e 's/background-color:#fff5d2/background-color:#E0E0E0/g' \
                 -e 's/background: #83776e/background:#FFFFFF/g' \
                 -e "s/'Calibri'; color:#000000/'Calibri'; color:#042640/g" \
                 -e "s/'Times New Roman'; color:#000000/'Times New Roman'; color:#042640/g"
}

# Whether the page file ($page) comes to hold page $1 in the window's
# colours within five seconds.
shows_page() {
  local _
  themed_page "$1" >"$work/expected"
  for _ in $(seq 1 100); do
    cmp -s "$work/expected" "$page" && return 0
    sleep 0.05
  done
  return 1
}
