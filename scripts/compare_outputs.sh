#!/bin/bash
# Records kelvo-cli's outputs on a fixed tree with odd names, so that a refactoring can be checked
# byte for byte: compare_outputs.sh record DIR, then compare_outputs.sh check DIR.
set -u
mode=${1:?record|check} out=${2:?output folder}
cli=${KELVO_CLI:-$(dirname "$0")/../build/bin/kelvo-cli}
repo=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
tree=/tmp/kelvo-compare-tree   # a fixed path, so rows are the same from run to run
rm -rf "$tree" && mkdir -p "$tree"
home=/tmp/kelvo-compare-home && rm -rf "$home" && mkdir -p "$home/.cache/thumbnails/normal" "$home/.local/share/Trash/files"
mkdir -p "$tree/a b/temp/inner" "$tree/$(printf 'bad\xff\xfe')" "$tree/tab$(printf '\t')dir"
printf 'x%.0s' {1..100} > "$tree/a b/file.tmp"
printf 'y' > "$tree/a b/temp/inner/anything.txt"
: > "$tree/zero.bak"
printf 'zz' > "$tree/$(printf 'bad\xff\xfe')/$(printf 'n\xc3\xa9e\xff.old')"
printf 'q' > "$tree/tab$(printf '\t')dir/$(printf 'line\nbreak.tmp')"
printf 'w' > "$tree/~\$doc.docx"
printf 'k' > "$tree/keep.chk"
printf 't' > "$home/.cache/thumbnails/normal/abc.png"
find "$tree" "$home" -mindepth 1 -exec touch -h -d 2020-01-01 {} +
mkdir -p "$out.new" && rm -f "$out.new"/*
run() { # name, then the command line
    local name=$1; shift
    HOME=$home XDG_CONFIG_HOME=$home/.config XDG_DATA_HOME=$home/.local/share XDG_CACHE_HOME=$home/.cache \
        LC_ALL=C "$@" > "$out.new/$name.out" 2> "$out.new/$name.err"
    echo "rc=$?" >> "$out.new/$name.err"
}
# Inode numbers and birth times differ from run to run; everything else must not.
sortrun() {
    run "$@"
    sed -E 's/"(ino|btime|dev)":[0-9]+/"\1":N/g' "$out.new/$1.out" | LC_ALL=C sort > "$out.new/$1.tmp"
    mv "$out.new/$1.tmp" "$out.new/$1.out"
}
sortrun scan_text "$cli" scan --threads 1 --patterns all --zero "$tree"
sortrun scan_tsv "$cli" scan --threads 1 --patterns all --zero --format tsv "$tree"
sortrun scan_csv "$cli" scan --threads 1 --patterns all --zero --format csv "$tree"
sortrun scan_json "$cli" scan --threads 1 --patterns all --zero --format json "$tree"
run scan_nul "$cli" scan --threads 1 --patterns all --zero -0 "$tree"
tr '\0' '\n' < "$out.new/scan_nul.out" | LC_ALL=C sort > "$out.new/scan_nul.sorted" && rm "$out.new/scan_nul.out"
sortrun scan_summary "$cli" scan --threads 1 --summary "$tree"
sortrun scan_keep "$cli" scan --threads 1 --keep '*.tmp' --format json "$tree"
sortrun scan_bad_pattern "$cli" scan --patterns nonsense "$tree"
sortrun scan_locations "$cli" scan --locations all --format tsv
run locations "$cli" locations
sortrun clean_dry "$cli" clean --dry-run -y --patterns all --zero "$tree"
"$cli" scan --threads 1 --patterns all --format tsv "$tree" > /tmp/kelvo-compare-home/list.tsv 2>/dev/null
sortrun clean_from_dry "$cli" clean --dry-run -y --from /tmp/kelvo-compare-home/list.tsv
printf 'not a row\n' > /tmp/kelvo-compare-home/bad.tsv
run clean_from_bad "$cli" clean --dry-run -y --from /tmp/kelvo-compare-home/bad.tsv
for f in text tsv csv json; do
    run "audit_$f" "$cli" audit-dlls --prefix "$repo/tests/fixtures/wine" --format "$f"
done
run audit_missing "$cli" audit-dlls --prefix /tmp/kelvo-compare-nowhere
run keep_list "$cli" keep list
run help "$cli" --help
for s in scan clean drives locations audit-dlls keep; do run "help_$s" "$cli" "$s" --help; done
run version "$cli" --version
if [ "$mode" = record ]; then
    rm -rf "$out" && mv "$out.new" "$out" && echo "recorded $(ls "$out" | wc -l) files in $out"
else
    if diff -r "$out" "$out.new"; then echo "same: $(ls "$out" | wc -l) files"; rm -rf "$out.new"; else echo DIFFERENT; exit 1; fi
fi
