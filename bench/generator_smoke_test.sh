#!/usr/bin/env bash
# The benchmark tree generator makes the same small tree twice from the same seed, with the asked
# numbers of files and folders.
set -euo pipefail
generator="$1"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
"$generator" --files=500 --folders=40 --seed=7 "$work/a" >/dev/null
"$generator" --files=500 --folders=40 --seed=7 "$work/b" >/dev/null
(cd "$work/a" && find . -printf '%y %s %p\n' | LC_ALL=C sort) >"$work/a.txt"
(cd "$work/b" && find . -printf '%y %s %p\n' | LC_ALL=C sort) >"$work/b.txt"
cmp "$work/a.txt" "$work/b.txt"
files=$(grep -c '^f ' "$work/a.txt")
folders=$(grep -c '^d ' "$work/a.txt")
[ "$files" -eq 500 ] || { echo "expected 500 files, got $files"; exit 1; }
[ "$folders" -eq 40 ] || { echo "expected 40 folders, got $folders"; exit 1; }
echo "ok: $files files in $folders folders, reproducible"
