#!/usr/bin/env bash
# The built reader under a real X server, driven by xdotool as a reader's
# hand would: resting on a shortened contents name shows the whole name in a
# balloon beside the cursor within half a second, a name that fits shows
# none, and the balloon goes when the pointer leaves for the page or a
# button is pressed. The script starts its own Xvfb (the server picks a free
# display itself, so parallel runs cannot collide); without Xvfb it uses
# $DISPLAY. BALLOON_SHOT=file.png keeps a screenshot of the balloon.
# Exit 77: no X server, no xdotool or ImageMagick, or a tree that draws no rows.
set -euo pipefail
bin="$1"
source "$(dirname "$0")/reader_harness.sh"
reader_harness_start xdotool import
now_ms() { echo $(( $(date +%s%N) / 1000000 )); }
reader_harness_main_window
# The contents tree as designed: left edge, 56 px down, 371 px wide.
treeX=$winX treeY=$((winY + 56)) treeW=371
sleep 1.5  # the rows slide in

# Our top-level windows other than the main window: the balloon (and the
# shadow that stands behind it, further right and down).
balloon_geometry() {
  local w
  for w in $(xdotool search --maxdepth 1 --onlyvisible --pid "$pid" 2>/dev/null || true); do
    [ "$w" = "$main" ] && continue
    eval "$(xdotool getwindowgeometry --shell "$w" 2>/dev/null)" || continue
    echo "$X $Y $WIDTH $HEIGHT"
  done | sort -n | head -1
}
# wait_for shown|gone BUDGET_MS: succeeds as soon as the balloon is so.
wait_for() {
  local end=$(( $(now_ms) + $2 )) g
  while :; do
    g=$(balloon_geometry)
    if [ "$1" = shown ] && [ -n "$g" ]; then echo "$g"; return 0; fi
    if [ "$1" = gone ] && [ -z "$g" ]; then return 0; fi
    [ "$(now_ms)" -ge "$end" ] && return 1
    sleep 0.02
  done
}
hover() { xdotool mousemove "$1" "$2"; }

mapfile -t rows < <(row_centres 120)
if [ "${#rows[@]}" -eq 0 ]; then
  echo "The contents tree draws no rows yet (its painting and hover are not built): skipped."
  exit 77
fi
hx=$((treeX + 120))

# A section name that fits: no balloon, however long the pointer rests.
hover "$hx" "${rows[0]}"
if g=$(wait_for shown 700); then fail "a name that fits showed a balloon at $g"; fi

# Open the first section and look for a page whose name is shortened.
xdotool click 1
sleep 1.2
mapfile -t rows < <(row_centres 400)
[ "${#rows[@]}" -gt 2 ] || fail "the first section did not open (${#rows[@]} rows)"
found= fitting=
for y in "${rows[@]:1}"; do
  hover "$hx" "$y"
  start=$(now_ms)
  if g=$(wait_for shown 500); then
    found=$y elapsed=$(( $(now_ms) - start )) geometry=$g
    break
  fi
  fitting=$y
done
[ -n "$found" ] || fail "no page name showed a balloon within 0.5 s"
[ -n "$fitting" ] || fail "every page name was shortened: nothing to compare with"
echo "balloon after ${elapsed} ms at $geometry for the pointer at $hx,$found"
read -r bx by bw bh <<<"$geometry"
# 50 px right of the cursor, vertically centred on it (the screen is large
# enough that neither flip nor clamping applies here).
[ "$bx" -eq $((hx + 50)) ] || fail "balloon left $bx, expected $((hx + 50))"
centre2=$((2 * by + bh))
[ $((centre2 - 2 * found)) -ge -1 ] && [ $((centre2 - 2 * found)) -le 1 ] ||
  fail "balloon top $by height $bh is not centred on y $found"
[ "$bw" -le 750 ] || fail "balloon wider than its 750 px limit: $bw"
[ -n "${BALLOON_SHOT:-}" ] && import -window root "$BALLOON_SHOT"

# Leaving for the page hides it.
hover $((winX + 700)) $((winY + 300))
wait_for gone 500 || fail "the balloon stayed after the pointer left for the page"

# Back on the shortened name it comes again; a button press hides it.
hover "$hx" "$found"
wait_for shown 1000 >/dev/null || fail "the balloon did not come back on the shortened name"
xdotool mousedown 3
wait_for gone 500 || { xdotool mouseup 3; fail "the balloon stayed while a button was held"; }
xdotool mouseup 3
kill -0 "$pid" || fail "the reader did not keep running"
echo "balloon shown beside the cursor, none for a fitting name, hidden on leaving and on a button press"
