# Shared set-up for run.sh and test.sh: the Debian packages the build and the
# tests need, then a configured and built tree in build/. Sourced, not run.

# One package per line keeps the list easy to review.
READER_PACKAGES=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev libfontconfig-dev libpng-dev qt6-webengine-dev libqt6webenginecore6-bin libqt6webengine6-data libgl-dev
  libxcb-xinput-dev libxi-dev
  googletest libgtest-dev libbenchmark-dev
  clang-14 libclang-rt-14-dev
  fonts-liberation fonts-dejavu-core
  xvfb xauth xdotool x11-utils x11-xkb-utils imagemagick poppler-utils
  desktop-file-utils appstream appstream-util dpkg-dev lintian
  ccache
  libxapian-dev libgumbo-dev
  qt6-l10n-tools qt6-tools-dev qt6-translations-l10n
  at-spi2-core python3-pyatspi dbus dbus-x11
  weston qt6-wayland
)

reader_missing_packages() {
  local missing=() p
  for p in "${READER_PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  echo "${missing[@]:-}"
}

reader_install_packages() {
  local missing
  missing=$(reader_missing_packages)
  [ -z "$missing" ] && return 0
  if [ "$(id -u)" != 0 ]; then
    echo "These Debian packages are missing. Install them as root, then run this again:" >&2
    echo "  apt-get install -y $missing" >&2
    return 1
  fi
  echo "Installing: $missing"
  apt-get update -q
  # shellcheck disable=SC2086
  DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends $missing
}

reader_build() {
  # ccache, where a developer has it, shares objects between work trees.
  local launcher=()
  command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" >/dev/null
  cmake --build build -j "$(nproc)"
}

# Chromium, inside the embedded browser, refuses to start as root with its
# sandbox on. Only a root run (CI, a fresh machine's first run) turns the
# sandbox off; every other user keeps it.
reader_root_sandbox() {
  if [ "$(id -u)" = 0 ]; then export QTWEBENGINE_DISABLE_SANDBOX=1; fi
}
