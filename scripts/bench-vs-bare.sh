#!/usr/bin/env bash
# Builds the reader and the bare web view, then measures them side by side on
# the real-size sample book (offscreen). Ends with one line per figure:
#   startup_ms reader=R bare=B ratio=X
#   switch_median_ms ... / switch_p95_ms ... / pss_mib ...
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
exec build/bin/bench_vs_bare build/large-book/reader build/bin/bare_view "$pages" "$(ls "$pages" | wc -l)" "$@"
