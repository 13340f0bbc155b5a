#!/usr/bin/env bash
# As-you-type latency of the book search in the real window, on the
# real-size book: each key pressed into the search field, timed from the
# press to the drop-down list drawn (the reader's bench probe), after the
# index is ready. Prints median, 95th percentile and maximum in ms.
#   scripts/bench-search-window.sh [BUILD_DIR] [QUERY]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
query=${2:-кость в работе мастера}
cmake --build "$build" --target large_book_reader >/dev/null
reader="$build/large-book/reader"
runtime=$(mktemp -d)
chmod 700 "$runtime"
trap 'rm -rf "$runtime"' EXIT
[ "$(id -u)" = 0 ] && export QTWEBENGINE_DISABLE_SANDBOX=1
coproc READER { READER_BENCH=1 XDG_RUNTIME_DIR="$runtime" QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen} \
  QT_LOGGING_RULES="qt.webenginecontext.info=false;js.*=false" "$reader" 2>/dev/null; }
# The first page, then the index.
while read -r line <&"${READER[0]}"; do [[ $line == loaded* ]] && break; done
for _ in $(seq 1 200); do
  echo indexed >&"${READER[1]}"
  read -r line <&"${READER[0]}"
  [ "$line" = "indexed 1" ] && break
  sleep 0.05
done
[ "$line" = "indexed 1" ] || { echo "the index was not ready after 10 s" >&2; exit 1; }
echo "type $query" >&"${READER[1]}"
times=()
for _ in $(seq 1 "$(printf %s "$query" | wc -m)"); do
  read -r _ ns rows <&"${READER[0]}"
  [ -z "${VERBOSE:-}" ] || echo "key $((${#times[@]} + 1)): $((ns / 1000)) us, $rows rows" >&2
  times+=("$ns")
done
echo quit >&"${READER[1]}"
printf '%s\n' "${times[@]}" | sort -n | awk -v q="$query" '
  { t[NR] = $1 / 1e6 }
  END { printf "key_to_list_ms keys=%d median=%.2f p95=%.2f max=%.2f (query \"%s\")\n",
        NR, t[int((NR + 1) / 2)], t[int(NR * 0.95 + 0.999)], t[NR], q }'
