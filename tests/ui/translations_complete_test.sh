#!/usr/bin/env bash
# Every text of the window has its English translation: lupdate finds no text in the source that
# the .ts file lacks, and lrelease finds none unfinished.
# Usage: translations_complete_test.sh LUPDATE LRELEASE SOURCE_DIR TS_FILE
set -euo pipefail
lupdate=$1 lrelease=$2 sources=$3 ts=$4
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$ts" "$work/check.ts"
found=$("$lupdate" "$sources" -extensions cpp,h -ts "$work/check.ts" -no-obsolete -locations none 2>&1)
echo "$found"
grep -q "(0 new and" <<<"$found" || { echo "FAIL: texts without a translation; run the kelvo_ui_lib_lupdate target and translate them"; exit 1; }
released=$("$lrelease" "$work/check.ts" -qm "$work/check.qm" 2>&1)
echo "$released"
grep -q " 0 unfinished" <<<"$released" || { echo "FAIL: unfinished translations"; exit 1; }
