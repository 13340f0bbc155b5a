#!/usr/bin/env bash
# Gathers the window's texts from the sources into a copy of each .ts, as
# scripts/update-translations.sh does, and fails on any text without a
# translation (new, or changed in the source since it was translated).
# Exit 77: lupdate is not installed.
set -euo pipefail
src="$1"
lupdate=$(command -v lupdate6 || command -v lupdate-qt6 || echo /usr/lib/qt6/bin/lupdate)
[ -x "$lupdate" ] || { echo "lupdate is not installed: skipped."; exit 77; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
status=0
cd "$src"
for ts in translations/*.ts; do
  cp "$ts" "$work/copy.ts"
  "$lupdate" -silent -locations none -no-obsolete -I . -extensions cpp,h reader platform controls -ts "$work/copy.ts" \
    >/dev/null 2>&1
  missing=$(grep -B2 'type="unfinished"' "$work/copy.ts" | sed -n 's/.*<source>\(.*\)<\/source>.*/\1/p' || true)
  if [ -n "$missing" ]; then
    echo "FAIL: $ts lacks translations of:"
    echo "$missing"
    status=1
  fi
  [ "$(grep -c '<message' "$work/copy.ts")" -gt 0 ] || { echo "FAIL: no texts gathered into $ts"; status=1; }
done
[ "$status" = 0 ] && echo "every text has its translation"
exit "$status"
