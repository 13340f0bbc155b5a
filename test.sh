#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test headless.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/setup.sh
reader_install_packages
reader_build
reader_root_sandbox
export QT_QPA_PLATFORM=offscreen
export QT_LOGGING_RULES="qt.webenginecontext.info=false;js.*=false"
ctest --test-dir build --output-on-failure -j "$(nproc)" "$@"
