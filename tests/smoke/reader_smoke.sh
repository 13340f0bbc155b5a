#!/usr/bin/env bash
# Starts the built reader on the packed sample book and checks that page 2
# reaches the page file in the window's colour theme, byte for byte.
# Offscreen unless QT_QPA_PLATFORM names another platform (in_weston.sh runs
# it on Wayland).
set -euo pipefail
bin="$1"
work=$(mktemp -d)
trap 'kill "$pid" 2>/dev/null || true; wait "$pid" 2>/dev/null || true; rm -rf "$work"' EXIT
mkdir -m 700 "$work/runtime"

XDG_RUNTIME_DIR="$work/runtime" QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}" "$bin/reader" >"$work/log" 2>&1 &
pid=$!

page="$work/runtime/tmp.html"
# The process is outside our control: poll for its output, bounded.
for _ in $(seq 1 300); do
  [ -s "$page" ] && break
  kill -0 "$pid" 2>/dev/null || { echo "reader exited early:"; cat "$work/log"; exit 1; }
  sleep 0.1
done
[ -s "$page" ] || { echo "no page file after 30 s"; cat "$work/log"; exit 1; }

# The stored page 2 with the design colours substituted (bytes, not text).
"$bin/bookpack" extract "$bin/Data.dat" 2 |
  LC_ALL=C sed -e 's/background-color:#fff5d2/background-color:#E0E0E0/g' \
               -e 's/background: #83776e/background:#FFFFFF/g' \
               -e "s/'Calibri'; color:#000000/'Calibri'; color:#042640/g" \
               -e "s/'Times New Roman'; color:#000000/'Times New Roman'; color:#042640/g" >"$work/expected"
# sed ends its output with a newline; pass the page file through it too.
if ! cmp -s "$work/expected" <(LC_ALL=C sed -e '' "$page"); then
  echo "page file differs from the themed page 2"; exit 1
fi
grep -q 'background-color:#E0E0E0' "$page" || { echo "page 2 carries no themed background"; exit 1; }
kill -0 "$pid" || { echo "reader did not keep running"; exit 1; }
echo "reader showed the themed page 2 on ${QT_QPA_PLATFORM:-offscreen} and kept running"
