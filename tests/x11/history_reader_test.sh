#!/usr/bin/env bash
# The built reader under a real X server, driven by xdotool: the window
# tells the desktop who it is (class, icon, caption), two page clicks in
# the contents tree are undone and redone by Alt+Left / Alt+Right, the
# mouse's back and forward buttons and Backspace, each showing its page
# through tmp.html again; and a reader started in a Russian locale on a
# damaged book says so in a message titled with the program's Russian name.
# Exit 77: no X server, or no xdotool, xprop or ImageMagick.
set -euo pipefail
bin="$1"
source "$(dirname "$0")/reader_harness.sh"
reader_harness_start xdotool xprop import
page="$work/runtime/tmp.html"
reader_harness_main_window "$page"

# Identity: the desktop entry's id as the window class, an icon, and the
# caption of the window's design.
class=$(xprop -id "$main" WM_CLASS)
echo "$class" | grep -q '"io.github.studyguide.Reader"' || fail "window class: $class"
# (Into a file first: grep -q would cut xprop off mid-way.)
xprop -id "$main" -notype _NET_WM_ICON >"$work/icon"
grep -q 'Icon (' "$work/icon" || fail "the window carries no icon"
xprop -id "$main" -notype WM_NAME | grep -qx 'WM_NAME = "Form1"' || fail "caption: $(xprop -id "$main" WM_NAME)"
echo "window class, icon and caption are set"

treeX=$winX treeY=$((winY + 64)) treeW=371 treeH=480
hx=$((treeX + 120))
sleep 1
"$bin/bookpack" contents "$bin/Data.dat" >"$work/outline"
sections=$(grep -vc '^ ' "$work/outline" || true)
mapfile -t closed < <(row_centres "$treeH")
[ "${#closed[@]}" -eq "$sections" ] || fail "expected $sections section rows, saw ${#closed[@]}"
# The last section opens below its own row; its first two pages are the
# next two rows.
mapfile -t numbers < <(awk '!/^ /{delete p; n = 0; next} {p[n++] = $0} END {for (i = 0; i < n; i++) print p[i]}' \
  "$work/outline" | sed -n 's/.*\[\([0-9]*\)\].*/\1/p')
[ "${#numbers[@]}" -ge 2 ] || fail "the last section has fewer than two pages"
first=${numbers[0]} second=${numbers[1]}
xdotool mousemove "$hx" "${closed[$((sections - 1))]}" click 1
sleep 1.2
mapfile -t rows < <(row_centres "$treeH")

themed_page "$first" >"$work/first"
themed_page "$second" >"$work/second"
cmp -s "$work/first" "$work/second" && fail "pages $first and $second are alike: the test could not tell them apart"
# Waits for tmp.html to hold one of the two pages, then for the view to
# settle, so the next key reaches a page that is there.
shows() {
  local what=$1 why=$2
  for _ in $(seq 1 100); do
    cmp -s "$work/$what" "$page" && { sleep 0.3; return 0; }
    sleep 0.05
  done
  fail "$why: tmp.html does not hold the $what page"
}
xdotool mousemove "$hx" "${rows[$sections]}" click 1
shows first "a click on page $first"
xdotool mousemove "$hx" "${rows[$((sections + 1))]}" click 1
shows second "a click on page $second"

# Keys reach the window that has the focus; the page gets it by a click
# on its text area (which selects nothing and shows no other page).
pageX=$((winX + 376 + 200)) pageY=$((winY + 64 + 300))
xdotool windowfocus --sync "$main"
xdotool mousemove "$pageX" "$pageY" click 1
sleep 0.3
xdotool key alt+Left
shows first "Alt+Left"
xdotool key alt+Right
shows second "Alt+Right"
xdotool key alt+Right
sleep 0.5
cmp -s "$work/second" "$page" || fail "Alt+Right at the end of the history changed the page"
xdotool click 8
shows first "the mouse's back button"
xdotool click 9
shows second "the mouse's forward button"
xdotool key BackSpace
shows first "Backspace on the page"
kill -0 "$pid" || fail "the reader did not keep running"
echo "Alt+Left, Alt+Right, the mouse's back and forward buttons and Backspace go through the pages shown"

# A copy of the program beside a damaged book, in a Russian locale.
mkdir "$work/ru"
cp "$bin/reader" "$work/ru/"
cp -r "$bin/translations" "$work/ru/"
head -c "$(($(stat -c %s "$bin/Data.dat") / 2))" "$bin/Data.dat" >"$work/ru/Data.dat"
mkdir -m 700 "$work/ru-runtime"
XDG_RUNTIME_DIR="$work/ru-runtime" QT_QPA_PLATFORM=xcb LC_ALL= LC_MESSAGES= LANGUAGE= LANG=ru_RU.UTF-8 \
  QT_LOGGING_RULES="qt.webenginecontext.info=false;js.*=false" "$work/ru/reader" >"$work/ru.log" 2>&1 &
ru=$!
extra_pids+=("$ru")
box=
for _ in $(seq 1 300); do
  for w in $(xdotool search --onlyvisible --pid "$ru" 2>/dev/null || true); do
    if xprop -id "$w" -notype _NET_WM_NAME 2>/dev/null | grep -q '"Учебное пособие"'; then box=$w; break 2; fi
  done
  kill -0 "$ru" 2>/dev/null || { cat "$work/ru.log"; fail "the Russian reader exited early"; }
  sleep 0.1
done
[ -n "$box" ] || { cat "$work/ru.log"; fail "no message titled \"Учебное пособие\" from the reader on a damaged book"; }
echo "a Russian locale gives the damaged-book message under the program's Russian name"
