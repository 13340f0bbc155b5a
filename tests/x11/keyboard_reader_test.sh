#!/usr/bin/env bash
# The built reader's contents tree from the keyboard under a real X server,
# keys typed by xdotool as a reader's fingers would: the tree has the focus
# at start-up, so Down, Down, Right, Down, Enter opens the third section and
# shows its first page in tmp.html (in the window's colours); Page Down held
# for seconds, Home, End and type-ahead leave the reader running and choose
# nothing by themselves. Exit 77: no X server, or no xdotool.
set -euo pipefail
bin="$1"
source "$(dirname "$0")/reader_harness.sh"
reader_harness_start xdotool
page="$work/runtime/tmp.html"
reader_harness_main_window "$page"
# Without a window manager the keys go where the focus is: the window first.
xdotool windowfocus --sync "$main"
sleep 1


# The third section's first page: the line after the third top-level one.
"$bin/bookpack" contents "$bin/Data.dat" >"$work/outline"
number=$(awk '!/^ / { if (++s == 3) { getline; print; exit } }' "$work/outline" | sed 's/.*\[\([0-9]*\)\].*/\1/')
[ -n "$number" ] || fail "the outline has no third section with a page"
xdotool key --delay 150 Down Down Right Down Return
shows_page "$number" || fail "Down, Down, Right, Down, Enter did not show page $number"
echo "Down, Down, Right, Down, Enter showed page $number"

# Held keys: Page Down repeating for three seconds, then Home and End and a
# typed prefix; none of them chooses a row, so the page stays.
start=$(date +%s)
xdotool key --delay 10 --repeat 300 Next
xdotool key --delay 50 Home End Up Down End Home
xdotool type --delay 50 "Ал"
[ $(( $(date +%s) - start )) -lt 60 ] || fail "held keys took a minute"
kill -0 "$pid" || fail "the reader died under held keys"
sleep 0.5
shows_page "$number" || fail "moving the keyboard row changed the page"
# And the row they left behind answers Enter: type-ahead found "Алфавиты",
# a section, so Enter closes it and still shows no other page.
xdotool key Return
sleep 0.5
shows_page "$number" || fail "Enter on a section showed a page"
kill -0 "$pid" || fail "the reader did not keep running"
echo "held keys, Home, End and type-ahead kept the reader running and the page shown"
