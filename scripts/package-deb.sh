#!/usr/bin/env bash
# Builds the Debian package build/studyguide-reader_VERSION_ARCH.deb. Its
# dependencies come from dpkg-shlibdeps, i.e. from the libraries the installed
# binaries really link, plus the web engine's helper process and resources.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/setup.sh
reader_install_packages
reader_build >/dev/null
(cd build && cpack -G DEB >/dev/null)
deb=$(ls -t build/studyguide-reader_*.deb | head -1)
dpkg-deb -I "$deb" | sed -n 's/^ Depends: /Depends: /p'
echo "$deb"
