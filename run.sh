#!/usr/bin/env bash
# Installs what is missing, builds, packs the sample book next to the
# program and starts the reader.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/setup.sh
reader_install_packages
reader_build
reader_root_sandbox
exec build/bin/reader "$@"
