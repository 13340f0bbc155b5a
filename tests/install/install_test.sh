#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks what a desktop user
# and an author rely on: the layout, the validators' verdicts, the program
# found through its link in bin reading the book beside its real executable,
# and, for a user who may not write the installed folder, reading that still
# works while packing there is refused with a clear message. Then builds the
# Debian package and asks lintian (pedantic) for its verdict: no error and no
# warning.
set -euo pipefail
build="$1"
source_tree=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; wait "$p" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; exit 1; }

P="$work/prefix"
cmake --install "$build" --prefix "$P" >/dev/null
id=io.github.studyguide.Reader
app="$P/lib/studyguide-reader"

for f in bin/bookpack lib/studyguide-reader/reader lib/studyguide-reader/web/reader_web.so lib/studyguide-reader/Data.dat \
         lib/studyguide-reader/Data/names.txt lib/studyguide-reader/Lor2/02.html \
         lib/studyguide-reader/translations/studyguide-reader_ru.qm \
         share/applications/$id.desktop share/metainfo/$id.metainfo.xml \
         share/icons/hicolor/scalable/apps/$id.svg share/man/man1/bookpack.1.gz \
         share/man/man1/studyguide-reader.1.gz share/doc/studyguide-reader/copyright \
         share/doc/studyguide-reader/changelog.gz; do
  [ -f "$P/$f" ] || fail "missing $f"
done
[ -x "$P/bin/bookpack" ] && [ -x "$app/reader" ] || fail "programs not executable"
[ -L "$P/bin/studyguide-reader" ] || fail "bin/studyguide-reader is not a link"
[ "$(readlink -f "$P/bin/studyguide-reader")" = "$(readlink -f "$app/reader")" ] || fail "the link misses the program"
case "$(readlink "$P/bin/studyguide-reader")" in /*) fail "the link is absolute, so a moved prefix breaks it" ;; esac
# Every hicolor size holds a PNG of exactly that size (width and height from IHDR).
for size in 16 24 32 48 64 128 256; do
  icon="$P/share/icons/hicolor/${size}x${size}/apps/$id.png"
  [ -f "$icon" ] || fail "no ${size}x${size} icon"
  read -r w h < <(od -An -tu4 --endian=big -j16 -N8 "$icon")
  [ "$w $h" = "$size $size" ] || fail "icon ${size}x${size} is ${w}x${h}"
done
gzip -dc "$P/share/man/man1/bookpack.1.gz" | grep -q '^\.TH BOOKPACK 1' || fail "manual page unreadable"
gzip -dc "$P/share/man/man1/studyguide-reader.1.gz" | grep -q '^\.TH STUDYGUIDE-READER 1' ||
  fail "reader's manual page unreadable"
grep -q '^Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' \
  "$P/share/doc/studyguide-reader/copyright" || fail "copyright file is not machine-readable"

# --version and --help answer without a window: with no display at all, a
# program that opened one would fail to start.
for prog in bookpack studyguide-reader; do
  version=$(env -u WAYLAND_DISPLAY DISPLAY= QT_QPA_PLATFORM=xcb "$P/bin/$prog" --version 2>"$work/err") ||
    { cat "$work/err"; fail "$prog --version failed"; }
  [[ "$version" =~ ^$prog\ [0-9]+\.[0-9]+\.[0-9]+$ ]] || fail "$prog --version printed '$version'"
  env -u WAYLAND_DISPLAY DISPLAY= QT_QPA_PLATFORM=xcb "$P/bin/$prog" --help >"$work/help" 2>"$work/err" ||
    { cat "$work/err"; fail "$prog --help failed"; }
  grep -q "^Usage: $prog" "$work/help" || fail "$prog --help shows no usage on standard output"
  if [ -s "$work/err" ]; then cat "$work/err"; fail "$prog --help wrote to standard error"; fi
  # Usage only: what the tool does, not how it tells slot kinds apart.
  if [ "$prog" = bookpack ] && grep -qi 'base64' "$work/help"; then fail "bookpack --help shows internal notes"; fi
done

desktop-file-validate "$P/share/applications/$id.desktop" || fail "desktop entry rejected"
appstreamcli validate --pedantic --no-net "$P/share/metainfo/$id.metainfo.xml" >"$work/as.log" 2>&1 ||
  { cat "$work/as.log"; fail "AppStream metadata rejected"; }
# Pedantic hints may stay (the id's capitals are part of every installed name); nothing worse.
if grep -E '^[EWI]: ' "$work/as.log"; then fail "appstreamcli has more than pedantic hints"; fi
appstream-util validate --nonet "$P/share/metainfo/$id.metainfo.xml" >"$work/au.log" 2>&1 ||
  { cat "$work/au.log"; fail "appstream-util rejects the metadata"; }
exec_line=$(sed -n 's/^Exec=//p' "$P/share/applications/$id.desktop")
[ -x "$P/bin/${exec_line%% *}" ] || fail "the desktop entry starts '$exec_line', which is not in bin"
grep -q "^Icon=$id$" "$P/share/applications/$id.desktop" || fail "the desktop entry names another icon"
grep -q "^StartupWMClass=$id$" "$P/share/applications/$id.desktop" || fail "the desktop entry names another window class"
"$P/bin/bookpack" list "$app/Data.dat" | grep -q '^139 .*contents' || fail "installed book has no contents list"

# Starts the installed reader through its link as the given user (empty: this
# one) from an unrelated working folder, and waits for its first page.
run_reader() {
  local who="$1" runtime="$work/runtime-${1:-me}"
  mkdir -m 700 "$runtime"
  local -a as=()
  if [ -n "$who" ]; then
    chown "$who" "$runtime"
    as=(setpriv --reuid="$who" --regid="$who" --clear-groups)
  fi
  mkfifo "$work/in-${who:-me}"
  (cd / && env HOME="$runtime" XDG_RUNTIME_DIR="$runtime" QT_QPA_PLATFORM=offscreen READER_BENCH=1 \
     QTWEBENGINE_DISABLE_SANDBOX=1 "${as[@]}" "$P/bin/studyguide-reader" \
     <"$work/in-${who:-me}" >"$work/out-${who:-me}" 2>"$work/err-${who:-me}") &
  pids+=($!)
  exec 9>"$work/in-${who:-me}"
  for _ in $(seq 1 600); do
    grep -q '^loaded [0-9]* 1$' "$work/out-${who:-me}" && break
    kill -0 "${pids[-1]}" 2>/dev/null || break
    sleep 0.1
  done
  echo quit >&9
  exec 9>&-
  wait "${pids[-1]}" || true
  grep -q '^loaded [0-9]* 1$' "$work/out-${who:-me}" || { cat "$work/err-${who:-me}"; fail "reader ${who:-as this user} showed no page"; }
  grep -q 'background-color:#E0E0E0' "$runtime/tmp.html" || fail "reader ${who:-as this user} did not show the book's page 2"
}
run_reader ""

# A user who may not write the installed folder: only meaningful when we can
# become one.
if [ "$(id -u)" = 0 ] && command -v setpriv >/dev/null; then
  chmod 755 "$work"
  nobody=$(id -u nobody)
  before=$(sha256sum <"$app/Data.dat")
  set +e
  setpriv --reuid="$nobody" --regid="$nobody" --clear-groups "$P/bin/bookpack" build "$app" >"$work/pack.out" 2>"$work/pack.err"
  status=$?
  set -e
  [ "$status" = 2 ] || fail "packing a write-protected book exited $status, not 2"
  grep -q 'cannot be saved in .*write-protected' "$work/pack.err" || { cat "$work/pack.err"; fail "no clear message"; }
  [ "$(sha256sum <"$app/Data.dat")" = "$before" ] || fail "the installed book changed"
  run_reader "$nobody"
else
  echo "not root: the write-protected checks need another user and were skipped"
fi
# The Debian package, built with the distribution's flags in a folder of its
# own, and lintian's pedantic verdict on it.
deb=$("$source_tree/scripts/package-deb.sh" | tail -1)
deb="$source_tree/$deb"
[ -f "$deb" ] || fail "package-deb.sh built no package"
dpkg-deb -f "$deb" Recommends | grep -qw qt6-wayland || fail "the package does not recommend qt6-wayland"
# The engine is linked by the module alone; its libraries must still be
# among the package's dependencies.
dpkg-deb -f "$deb" Depends | grep -qw libqt6webenginewidgets6 || fail "the package does not depend on the web engine"
lintian --pedantic --tag-display-limit 0 "$deb" >"$work/lintian.log" 2>&1 || true
echo "lintian --pedantic $(basename "$deb"):"
cat "$work/lintian.log"
if grep -E '^[EW]: ' "$work/lintian.log"; then fail "lintian reports errors or warnings"; fi
echo "installed layout, validators, --version/--help, link start-up, write-protected folder and lintian all as expected"
