#!/usr/bin/env bash
# The reader's program must not link the web engine (loading it would hold
# the first window back again), and a reader whose engine module is missing
# must still open its window, fail each page cleanly with a message saying
# why, and quit when asked.
set -euo pipefail
bin="$1"
needed=$(readelf -d "$bin/reader" | grep NEEDED || true)
if grep -q WebEngine <<<"$needed"; then
  echo "the reader's program links the web engine:"; grep WebEngine <<<"$needed"; exit 1
fi
[ -f "$bin/web/reader_web.so" ] || { echo "no engine module at $bin/web/reader_web.so"; exit 1; }

# While the module loads beside the window, a library the window's thread
# loads would wait for it, holding back the first paint: between the start
# of the module's load and the first paint, nothing else may be loaded but
# by the engine's own libraries.
runtime=$(mktemp -d)
trap 'rm -rf "$runtime"' EXIT
chmod 700 "$runtime"
coproc TRACED { XDG_RUNTIME_DIR="$runtime" QT_QPA_PLATFORM=offscreen READER_BENCH=1 LD_DEBUG=files \
  exec "$bin/reader" 2>&1; }
trace= loading=0
while IFS= read -r -t 30 line <&"${TRACED[0]}"; do
  case $line in *reader_web.so*"dynamically loaded"*) loading=1 ;; esac
  [ "$loading" = 1 ] && trace+="$line"$'\n'
  case $line in painted*) break ;; esac
done
echo quit >&"${TRACED[1]}"
# The trace goes on after the paint; drained, it cannot block the reader.
exec {rest}<&"${TRACED[0]}"
cat <&"$rest" >/dev/null &
wait "$TRACED_PID" || true
grep -q '^painted' <<<"$trace" || { echo "no first paint after the module's load began"; exit 1; }
others=$(grep 'dynamically loaded by' <<<"$trace" | grep -v 'reader_web.so\|WebEngine' || true)
[ -z "$others" ] || { echo "loaded while the module loads, before the first paint:"; echo "$others"; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work" "$runtime"' EXIT
mkdir -m 700 "$work/runtime"
cp "$bin/reader" "$bin/Data.dat" "$work/"
# The bench protocol reports the first paint and every finished load; the
# quit arrives once page 2 has been reported, or after 30 s at the latest.
coproc READER { cd "$work" && XDG_RUNTIME_DIR="$work/runtime" QT_QPA_PLATFORM=offscreen READER_BENCH=1 \
  exec ./reader 2>"$work/log"; }
painted=0 loaded=
while IFS= read -r -t 30 line <&"${READER[0]}"; do
  case $line in
    painted*) painted=1 ;;
    loaded*) loaded=${line##* }; break ;;
  esac
done
echo quit >&"${READER[1]}"
wait "$READER_PID" && status=0 || status=$?
[ "$painted" = 1 ] || { echo "no first paint without the module"; cat "$work/log"; exit 1; }
[ "$loaded" = 0 ] || { echo "page 2 without the module: loaded '${loaded}', expected a failed load"; cat "$work/log"; exit 1; }
grep -q "The web engine could not be loaded: .*reader_web.so" "$work/log" || { echo "no message naming the module"; cat "$work/log"; exit 1; }
[ "$status" = 0 ] || { echo "the reader ended with status $status"; cat "$work/log"; exit 1; }
echo "the program links no web engine; without its module it opens, fails page 2 cleanly and quits"
