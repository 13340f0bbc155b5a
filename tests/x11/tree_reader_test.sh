#!/usr/bin/env bash
# The built reader's contents tree under a real X server, driven by xdotool
# as a reader's hand would: a click on a section row opens it and its pages
# slide in, a click on a page row writes that page (in the window's colours)
# to tmp.html, a click after a notch turned over the tree shows the page
# whose row the notch brought under the pointer, and a wheel notch turned
# over another program's window moves the rows by the tree's scroll step
# (SHagScrl, 25 px). The script starts its own Xvfb (the server picks a free
# display); without Xvfb it uses $DISPLAY.
# TREE_SHOT=file.png keeps a screenshot of the opened, scrolled tree.
# Exit 77: no X server, or no xdotool or ImageMagick.
set -euo pipefail
bin="$1"
source "$(dirname "$0")/reader_harness.sh"
reader_harness_start xdotool import compare display convert
page="$work/runtime/tmp.html"
reader_harness_main_window "$page"
# The contents tree: left edge, 371 px wide; the window lays it out level
# with the page view, 64 px down and as tall as the view (over 500 px).
treeX=$winX treeY=$((winY + 64)) treeW=371 treeH=480
hx=$((treeX + 120))
sleep 1

click_at() { xdotool mousemove "$1" "$2" click 1; }


# The book's outline: sections and the pages under each, in order.
"$bin/bookpack" contents "$bin/Data.dat" >"$work/outline"
sections=$(grep -vc '^ ' "$work/outline" || true)
mapfile -t closed < <(row_centres "$treeH")
[ "${#closed[@]}" -eq "$sections" ] || fail "expected $sections section rows, saw ${#closed[@]}"

# The last section first: rows above a click never move, so every section
# row is still where it was. The first click adds exactly the last section's
# pages below it; later ones push rows out of view.
last_pages=$(awk '!/^ /{n = 0; next} {n++} END {print n}' "$work/outline")
for ((s = sections - 1; s >= 0; s--)); do
  click_at "$hx" "${closed[$s]}"
  sleep 1.2  # the pages slide in
  mapfile -t rows < <(row_centres "$treeH")
  if [ "$s" -eq $((sections - 1)) ]; then
    [ "${#rows[@]}" -eq $((sections + last_pages)) ] ||
      fail "the last section did not open: ${#rows[@]} rows, expected $((sections + last_pages))"
  fi
done
# Every section open: the first section's pages follow its row.
[ "${rows[0]}" = "${closed[0]}" ] || fail "the first section row moved"
[ "${#rows[@]}" -gt $((sections + last_pages)) ] || fail "the other sections did not open"

# The first page of the first section: its page number is the entry's
# second field, which the outline shows in brackets after the name.
number=$(sed -n '2s/.*\[\([0-9]*\)\].*/\1/p' "$work/outline")
[ -n "$number" ] || fail "the outline's second entry names no page"
click_at "$hx" "${rows[1]}"
shows_page "$number" || fail "tmp.html does not hold page $number after a click on its row"
echo "a click on the first page row showed page $number"

# Rest on a page row, turn the wheel one notch over the tree and click
# without moving: the rows have moved up by 25 px, and the page shown is the
# one whose row now lies under the pointer. Entry i of the open tree is line
# i + 1 of the outline.
page_of() { sed -n "$(($1 + 1))s/.*\[\([0-9]*\)\].*/\1/p" "$work/outline"; }
is_page() { sed -n "$(($1 + 1))p" "$work/outline" | grep -q '^ '; }
rest=
for ((k = 2; k + 2 < ${#rows[@]}; k++)); do
  if is_page "$k" && is_page $((k + 1)); then rest=$k; break; fi
done
[ -n "$rest" ] || fail "no two page rows follow each other in view"
y=${rows[$rest]}
xdotool mousemove "$hx" "$y"
sleep 0.5
xdotool click 5
sleep 0.3
# The row under the pointer now: the one whose centre was 25 px lower.
under=
for ((j = 0; j < ${#rows[@]}; j++)); do
  d=$((rows[j] - y - 25))
  if [ "${d#-}" -le 12 ]; then under=$j; break; fi
done
[ -n "$under" ] && [ "$under" != "$rest" ] || fail "no other row lies 25 px below row $rest"
number=$(page_of "$under")
xdotool click 1
shows_page "$number" || fail "after a notch, a click without moving did not show page $number, the row under the pointer"
echo "after a notch, a click without moving showed page $number, the row now under the pointer"

# Another program's window below the reader; a notch turned over it.
convert -size 200x120 xc:gray50 "$work/foreign.png"
display -geometry +900+800 "$work/foreign.png" &
extra_pids+=($!)
fwin=
for _ in $(seq 1 100); do
  fwin=$(xdotool search --onlyvisible --name 'foreign' 2>/dev/null | head -1 || true)
  [ -n "$fwin" ] && break
  sleep 0.1
done
[ -n "$fwin" ] || fail "the foreign window did not appear"
xdotool mousemove 1000 860
sleep 0.5
under=$(xdotool getmouselocation --shell | sed -n 's/^WINDOW=//p')
[ "$under" != "$main" ] || fail "the pointer is over the reader, not another window"
import -window root -crop "${treeW}x${treeH}+${treeX}+${treeY}" "$work/before.png"
xdotool click 5
sleep 0.5
import -window root -crop "${treeW}x${treeH}+${treeX}+${treeY}" "$work/after.png"
# Rows moved up by exactly 25 px: the lower part before is the upper part
# after (left of the scroll bar, whose thumb moves too).
keep=$((treeH - 25 - 30)) rowsW=$((treeW - 12))
convert "$work/before.png" +repage -crop "${rowsW}x${keep}+0+25" +repage "$work/b.png"
convert "$work/after.png" +repage -crop "${rowsW}x${keep}+0+0" +repage "$work/a.png"
differing=$(compare -metric AE "$work/b.png" "$work/a.png" null: 2>&1 || true)
[ "$differing" = 0 ] || fail "a notch over another window did not move the rows by 25 px ($differing pixels differ)"
convert "$work/before.png" +repage -crop "${rowsW}x${keep}+0+0" +repage "$work/b0.png"
moved=$(compare -metric AE "$work/b0.png" "$work/a.png" null: 2>&1 || true)
[ "$moved" != 0 ] || fail "the rows did not move at all"
[ -z "${TREE_SHOT:-}" ] || import -window root "$TREE_SHOT"
kill -0 "$pid" || fail "the reader did not keep running"
echo "sections open on a click, a page row shows its page, a notch elsewhere scrolls by 25 px"
