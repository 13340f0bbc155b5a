#!/usr/bin/env bash
# Takes the README's screenshot of the reader (docs/screenshot.png): the built
# reader on the sample book under Xvfb, page 2 shown as at start-up, the
# window's pixels as the screen shows them, reduced to 256 colours.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/setup.sh
reader_install_packages
reader_build >/dev/null
reader_root_sandbox
out="${1:-docs/screenshot.png}"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -m 700 "$work/runtime"
mkfifo "$work/in"
export XDG_RUNTIME_DIR="$work/runtime" READER_BENCH=1
export QT_LOGGING_RULES="qt.webenginecontext.info=false;js.*=false"
xvfb-run -a -s "-screen 0 1280x720x24" build/bin/reader <"$work/in" >"$work/out" 2>"$work/err" &
pid=$!
exec 9>"$work/in"
for _ in $(seq 1 300); do
  grep -q '^loaded [0-9]* 1$' "$work/out" && break
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.1
done
grep -q '^loaded [0-9]* 1$' "$work/out" || { cat "$work/err"; echo "the reader showed no page" >&2; exit 1; }
# The view paints a moment after the load ends; the tree's slide-in takes a
# little longer.
sleep 2
echo "grab $(realpath -m "$out")" >&9
for _ in $(seq 1 100); do grep -q '^grabbed' "$work/out" && break; sleep 0.1; done
echo quit >&9
exec 9>&-
wait "$pid" || true
grep -q '^grabbed 1$' "$work/out" || { echo "the screenshot was not saved" >&2; exit 1; }
echo "$out: $(stat -c %s "$out") bytes"
