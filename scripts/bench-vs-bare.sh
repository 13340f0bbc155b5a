#!/usr/bin/env bash
# Builds the reader and the bare web view, then measures them side by side on
# the real-size sample book (offscreen). Ends with one line per figure:
#   startup_ms reader=R bare=B ratio=X
#   switch_median_ms ... / switch_p95_ms ... / pss_mib ... / first_window_ms ...
# RUNS=3 scripts/bench-vs-bare.sh makes three runs in a row (about half a
# minute each) and ends with their ratios side by side, one line a figure.
# Arguments after the script's name go to bench_vs_bare (STARTS SWITCHES).
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/setup.sh
reader_install_packages
reader_build >/dev/null
cmake --build build --target bench_vs_bare >/dev/null
reader_root_sandbox
# A desktop session's runtime folder (/run/user/UID) is in memory, and the
# reader rewrites its page file there on every switch: measure it that way,
# not on whatever disk holds /tmp.
runtime=$(mktemp -d -p /dev/shm 2>/dev/null || mktemp -d)
trap 'rm -rf "$runtime"' EXIT
export XDG_RUNTIME_DIR="$runtime" QT_QPA_PLATFORM=offscreen
export QT_LOGGING_RULES="qt.webenginecontext.info=false;js.*=false"
# No GPU on the machines this runs on; both programs get the same flag.
export QTWEBENGINE_CHROMIUM_FLAGS="--disable-gpu"
pages=book/large/Lor2
runs=${RUNS:-1}
if [ "$runs" -le 1 ]; then
  exec build/bin/bench_vs_bare build/large-book/reader build/bin/bare_view "$pages" "$(ls "$pages" | wc -l)" "$@"
fi
figures="$runtime/figures"
for run in $(seq "$runs"); do
  echo "# run $run of $runs"
  # A failed run stops the script: its figures would be missing.
  build/bin/bench_vs_bare build/large-book/reader build/bin/bare_view "$pages" "$(ls "$pages" | wc -l)" "$@" |
    tee -a "$figures"
done
echo "# ratios side by side, run 1 to $runs"
for figure in startup_ms switch_median_ms switch_p95_ms pss_mib first_window_ms; do
  echo "$figure $(grep "^$figure " "$figures" | sed 's/.*ratio=//' | tr '\n' ' ')"
done
