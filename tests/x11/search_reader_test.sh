#!/usr/bin/env bash
# The built reader's book search and find in the page under a real X server,
# driven by xdotool: Ctrl+K and a query typed into the search field, Down and
# Enter choose the second hit, and tmp.html then holds that page (in the
# window's colours) as bookpack search ranks it; Ctrl+F and a word typed into
# the find bar count its matches in the shown page, read back through the
# accessibility bus, and a word on no page turns the field red. Runs itself
# inside its own D-Bus session for the accessibility bus.
# Exit 77: no X server, no xdotool, ImageMagick, dbus-run-session or pyatspi.
set -euo pipefail
bin="$1"
if [ -z "${SEARCH_TEST_IN_DBUS:-}" ]; then
  command -v dbus-run-session >/dev/null || { echo "dbus-run-session is not installed: skipped."; exit 77; }
  /usr/bin/python3 -c 'import pyatspi' 2>/dev/null || { echo "pyatspi is not installed: skipped."; exit 77; }
  SEARCH_TEST_IN_DBUS=1 exec dbus-run-session -- "$0" "$@"
fi
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
# The English source texts, whatever the machine's language.
export LC_ALL=C.UTF-8 LANG=C.UTF-8 LANGUAGE=
labels() { /usr/bin/python3 "$(dirname "$0")/window_labels.py" "$pid" 2>/dev/null || true; }
source "$(dirname "$0")/reader_harness.sh"
reader_harness_start xdotool import convert setxkbmap
page="$work/runtime/tmp.html"
reader_harness_main_window "$page"
# Cyrillic keys on a second group: xdotool would otherwise remap one spare
# key for every letter, and letters typed in a row get lost.
setxkbmap -layout us,ru
xdotool windowfocus --sync "$main"


# A query ending in a blank is complete, so the window ranks it as bookpack does.
query="глиняные таблички"
second=$("$bin/bookpack" search --limit 2 "$bin/Data.dat" "$query" | sed -n '2s/\t.*//p')
[ -n "$second" ] || fail "bookpack finds fewer than two pages for '$query'"
xdotool key ctrl+k
xdotool type --delay 40 "$query "
rows=
for _ in $(seq 1 100); do
  rows=$(labels)
  grep -q "$query" <<<"$rows" && break
  sleep 0.1
done
grep -qi "page $second" <<<"$rows" || fail "the list does not offer page $second: $rows"
xdotool key Down Return
shows_page "$second" || fail "tmp.html does not hold page $second after Down and Enter"
echo "the second hit of '$query' showed page $second"

# Find in the shown page: the count the bar shows is the page's own.
word="письм"
expected=$("$bin/bookpack" extract "$bin/Data.dat" "$second" | iconv -f cp1251 -t utf-8 |
  sed -e '/<head>/,/<\/head>/d' -e 's/<[^>]*>//g' | grep -oi "$word" | wc -l)
[ "$expected" -gt 0 ] || fail "page $second holds no '$word'"
xdotool key ctrl+f
xdotool type --delay 40 "$word"
status=
for _ in $(seq 1 100); do
  status=$(labels | grep -E '^[0-9]+ / [0-9]+$' | head -1 || true)
  [ "${status#* / }" = "$expected" ] && break
  sleep 0.1
done
[ "${status#* / }" = "$expected" ] || fail "the find bar shows '$status', the page holds $expected of '$word'"
echo "find in the page counts $status"

# A word on no page: the field turns red and says so.
xdotool key ctrl+a
xdotool type --delay 40 "синхрофазотрон"
for _ in $(seq 1 100); do
  labels | grep -qx "No matches" && break
  sleep 0.1
done
labels | grep -qx "No matches" || fail "no message for a word on no page"
eval "$(xdotool getwindowgeometry --shell "$main")"
# The field sits at the bar's left end, over the view's bottom edge.
import -window root -crop "120x6+$((X + 390))+$((Y + 584))" -depth 8 "rgb:$work/field.rgb"
red=$(od -An -v -tu1 -w3 "$work/field.rgb" | awk '$1 > 200 && $2 < 190 && $3 < 190 {n++} END {print n + 0}')
[ "$red" -gt 100 ] || fail "the field did not turn red ($red red pixels)"
xdotool key Escape
for _ in $(seq 1 50); do
  labels | grep -q "No matches" || break
  sleep 0.1
done
kill -0 "$pid" || fail "the reader did not keep running"
echo "the book search list chooses a page, find in the page counts and turns red on no match"
