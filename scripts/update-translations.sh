#!/usr/bin/env bash
# Gathers every translatable text of the reader's window (tr(),
# QCoreApplication::translate, QT_TRANSLATE_NOOP) from the sources into the
# .ts files under translations/, keeping the translations already made.
# New texts arrive unfinished; translate them (Qt Linguist, or by hand in
# the XML) and commit the .ts. The build turns them into .qm with lrelease.
# bookpack and the pure-logic libraries stay English and are not scanned.
set -euo pipefail
cd "$(dirname "$0")/.."
lupdate=$(command -v lupdate6 || command -v lupdate-qt6 || echo /usr/lib/qt6/bin/lupdate)
[ -x "$lupdate" ] || { echo "lupdate not found: install qt6-l10n-tools" >&2; exit 1; }
for ts in translations/*.ts; do
  # -locations none: line numbers would change with every edit of the sources.
  "$lupdate" -silent -locations none -I . -extensions cpp,h reader platform controls -ts "$ts"
done
# What is left to translate, per file.
for ts in translations/*.ts; do
  printf '%s: %s unfinished\n' "$ts" "$(grep -c 'type="unfinished"' "$ts" || true)"
done
