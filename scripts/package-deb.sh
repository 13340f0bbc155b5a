#!/usr/bin/env bash
# Builds the Debian package build/studyguide-reader_VERSION_ARCH.deb. Its
# dependencies come from dpkg-shlibdeps, i.e. from the libraries the installed
# binaries really link, plus the web engine's helper process and resources.
# The package is built in a folder of its own with the distribution's
# hardening flags (fortify, stack protector, relro and bind-now, PIE), so the
# development build keeps its flags.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/setup.sh
reader_install_packages
here=$(pwd -P)

# A build folder copied along with a checkout still names the source tree it
# was configured for, and CMake refuses to use it for another one.
configured_for_here() {
  local cache="$1/CMakeCache.txt"
  [ ! -f "$cache" ] && return 0
  [ "$(sed -n 's/^CMAKE_HOME_DIRECTORY:INTERNAL=//p' "$cache")" = "$here" ]
}
mkdir -p build
out=build/deb
if ! configured_for_here "$out"; then
  out=build/deb-$(printf '%s' "$here" | sha1sum | cut -c1-8)
  configured_for_here "$out" || rm -rf "$out"
  echo "build/deb belongs to another checkout; packaging in $out"
fi

export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cxxflags="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)"
ldflags=$(dpkg-buildflags --get LDFLAGS)
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S . -B "$out" -G Ninja -DCMAKE_BUILD_TYPE=Release -DREADER_BUILD_TESTS=OFF -DREADER_BUILD_BENCH=OFF \
  -DCMAKE_POSITION_INDEPENDENT_CODE=ON -DCMAKE_CXX_FLAGS="$cxxflags" -DCMAKE_EXE_LINKER_FLAGS="$ldflags" \
  "${launcher[@]}" >/dev/null
cmake --build "$out" -j "$(nproc)" >/dev/null
(cd "$out" && cpack -G DEB >/dev/null)
deb=$(ls -t "$out"/studyguide-reader_*.deb | head -1)
[ "$out" = build ] || cp "$deb" build/
deb=build/$(basename "$deb")
dpkg-deb -I "$deb" | sed -n 's/^ Depends: /Depends: /p'
echo "$deb"
