#!/usr/bin/env bash
# Times `kelvo-cli scan --format=tsv` on a seeded tree of 1,000,000 files in 71,429 folders against
# the tools a user might pick instead (GNU find, bfs, fd) running the same rules, and against a
# minimal walker that stands for the kernel's limit. Prints medians and ratios in one table.
#
#   bench/run_scan_bench.sh            build what is missing, make or reuse the tree, check, time
#
# Environment:
#   KELVO_BENCH_DATA   where the tree lives (default bench/data, git-ignored)
#   BUILD              the build folder (default build)
#   RUNS               timed runs per command (default 5, after one warm-up run)
#   FILES, FOLDERS, SEED  the tree (default 1000000, 71429, 42)
#   COLD=0             skip the cold-cache runs; COLD_RUNS (default 3) runs each otherwise
#   WARM=0             skip the warm-cache runs
#   SMALL=0            skip the small-folder runs (100 files: what a scan costs besides its walk)
#   ONLY               a regex: time only the tools whose labels match (keep kelvo-cli's rows and
#                      the minimal walker's with 2 threads, the references)
# Needs: hyperfine, fd-find, bfs, time (scripts/dev.sh bench installs them).
set -euo pipefail
cd "$(dirname "$0")/.."
repo="$PWD"

data="${KELVO_BENCH_DATA:-$repo/bench/data}"
build="${BUILD:-$repo/build}"
runs="${RUNS:-5}"
files="${FILES:-1000000}"
folders="${FOLDERS:-71429}"
seed="${SEED:-42}"
mkdir -p "$data"
data="$(cd "$data" && pwd)"
tree="$data/tree-v2-f$files-d$folders-s$seed"  # v2: the generator's version

for tool in hyperfine fdfind bfs find /usr/bin/time python3 seq; do
  command -v "$tool" >/dev/null || { echo "missing: $tool (run scripts/dev.sh bench)" >&2; exit 1; }
done

echo "== build"
[ -f "$build/build.ninja" ] || cmake --preset default >/dev/null
cmake --build "$build" -j2 --target kelvo-cli make_bench_tree limit_walker >/dev/null
kelvo="$build/bin/kelvo-cli"
limit="$build/bin/limit_walker"

echo "== tree: $tree"
if [ ! -f "$tree.done" ]; then
  rm -rf "$tree"
  "$build/bin/make_bench_tree" --files="$files" --folders="$folders" --seed="$seed" "$tree"
  touch "$tree.done"
else
  echo "reusing it"
fi

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# The default rules (recommended patterns and the temp-folder rule) as find/bfs expressions and an fd
# regex; the walk stays on one file system and does not enter dot folders, though a dot folder is
# hidden, hence itself examined (inside a temp folder it is a hit). fd cannot express that last
# point and leaves those few out.
names=(-iname '*.tmp' -o -iname '*.old' -o -iname '*.gid' -o -iname '*.bak' -o -iname '*.chk'
       -o -name '*.$$$' -o -name '*.@@@' -o -name '*$' -o -name '*~' -o -iname '*.dir'
       -o -ipath '*/temp/*')
q() { printf '%q ' "$@"; }
print=(-printf '%s\t%p\n')
dot_folders=('(' -type d -name '.*' -prune '(' -ipath '*/temp/*' "${print[@]}" -o -true ')' ')')
find_default="$(q "$tree" -xdev "${dot_folders[@]}" -o '(' '!' -type d '(' "${names[@]}" ')' "${print[@]}" ')')"
find_zero="$(q "$tree" -xdev "${dot_folders[@]}" -o '(' '(' '!' -type d '(' "${names[@]}" ')' ')' -o -empty ')' "${print[@]}")"
fd_regex='(?i)(/temp/.*|\.(tmp|old|gid|bak|chk|\$\$\$|@@@|dir)$)|[$~]$'
fd_default="fdfind -u --one-file-system -E '.*/' -t f -t l --full-path $(q "$fd_regex") $(q "$tree")"
fd_zero="$fd_default; fdfind -u --one-file-system -E '.*/' -t e . $(q "$tree")"

echo "== check: kelvo-cli's rows with 2, 5 and 32 threads and the default equal the one-thread engine's"
for opt in "" "--zero"; do
  "$kelvo" scan --format=tsv --threads=1 $opt "$tree" >"$work/ref.tsv" 2>/dev/null
  "$kelvo" scan --format=tsv --threads=2 $opt "$tree" >"$work/two.tsv" 2>/dev/null
  "$kelvo" scan --format=tsv $opt "$tree" >"$work/default.tsv" 2>/dev/null
  "$kelvo" scan --format=tsv --threads=5 $opt "$tree" >"$work/five.tsv" 2>/dev/null
  "$kelvo" scan --format=tsv --threads=32 $opt "$tree" >"$work/many.tsv" 2>/dev/null
  cmp "$work/ref.tsv" "$work/many.tsv"
  cmp "$work/ref.tsv" "$work/two.tsv"
  cmp "$work/ref.tsv" "$work/default.tsv"
  cmp "$work/ref.tsv" "$work/five.tsv"
  # The same files as find reports (each once; kelvo gives one row per matching rule).
  cut -f2 "$work/ref.tsv" | LC_ALL=C sort -u >"$work/kelvo.paths"
  if [ -z "$opt" ]; then expr="$find_default"; else expr="$find_zero"; fi
  eval "LC_ALL=C find $expr" | cut -f2 | LC_ALL=C sort -u >"$work/find.paths"
  cmp "$work/kelvo.paths" "$work/find.paths"
  echo "ok ${opt:-default}: $(wc -l <"$work/ref.tsv") rows, $(wc -l <"$work/kelvo.paths") files, identical at 1, 2, 5, 32 threads and the default, same files as find"
done

echo "== peak memory (max RSS)"
for opt in "" "--zero"; do
  for t in 1 2; do
    kb=$(/usr/bin/time -f '%M' "$kelvo" scan --format=tsv --threads=$t $opt "$tree" 2>&1 >/dev/null | tail -1)
    echo "kelvo-cli --threads=$t ${opt:-}: $((kb / 1024)) MB"
    [ "$kb" -lt $((32 * 1024)) ] || echo "  over 32 MB!"
  done
done
kb=$(/usr/bin/time -f '%M' "$kelvo" scan --format=tsv --include-package-files "$tree" 2>&1 >/dev/null | tail -1)
echo "kelvo-cli --include-package-files: $((kb / 1024)) MB"


# label|command, timed with hyperfine; the first label of each group is the reference for ratios.
commands_for() {
  local zero="$1" k="" l="" fexpr="$find_default" fdc="$fd_default"
  if [ "$zero" = 1 ]; then k="--zero"; l="-z"; fexpr="$find_zero"; fdc="$fd_zero"; fi
  echo "kelvo-cli, default|$kelvo scan --format=tsv $k $(q "$tree")"
  echo "kelvo-cli, --include-package-files|$kelvo scan --format=tsv --include-package-files $k $(q "$tree")"
  echo "kelvo-cli --threads=2|$kelvo scan --format=tsv --threads=2 $k $(q "$tree")"
  echo "kelvo-cli --threads=1|$kelvo scan --format=tsv --threads=1 $k $(q "$tree")"
  echo "kelvo-cli --threads=8|$kelvo scan --format=tsv --threads=8 $k $(q "$tree")"
  echo "kelvo-cli --threads=32|$kelvo scan --format=tsv --threads=32 $k $(q "$tree")"
  echo "minimal walker, 2 threads|$limit -j2 $l $(q "$tree")"
  echo "minimal walker, 1 thread|$limit -j1 $l $(q "$tree")"
  echo "minimal walker, 32 threads|$limit -j32 $l $(q "$tree")"
  echo "fd $(fdfind --version | cut -d' ' -f2), 2 threads, paths only|$fdc -j2"
  echo "fd, 16 threads, paths only|$fdc -j16"
  echo "bfs $(bfs --version | head -1 | cut -d' ' -f2), C locale|LC_ALL=C bfs $fexpr"
  echo "bfs, UTF-8 locale|LC_ALL=C.UTF-8 bfs $fexpr"
  echo "GNU find, C locale|LC_ALL=C find $fexpr"
  echo "GNU find, UTF-8 locale|LC_ALL=C.UTF-8 find $fexpr"
}

run_group() {  # name, prepare command (may be empty), runs, warmup, then label|command lines on stdin
  local name="$1" prepare="$2" n="$3" warm="$4" i=0 args=()
  while IFS='|' read -r label cmd; do
    printf '%s\n' "$label" >>"$work/$name.labels"
    args+=(-n "$label" "$cmd")
    i=$((i + 1))
  done
  local extra=()
  [ -n "$prepare" ] && extra=(--prepare "$prepare")
  hyperfine --style basic --shell bash --warmup "$warm" --runs "$n" "${extra[@]}" \
    --export-json "$work/$name.json" "${args[@]}" >"$work/$name.log" 2>&1 || {
    cat "$work/$name.log" >&2
    return 1
  }
}

table() {  # title, then column heading and json for each column
  python3 - "$@" <<'EOF'
import json, sys
title, args = sys.argv[1], sys.argv[2:]
heads, files = args[0::2], args[1::2]
print(f"\n### {title}\n")
print("Ratios: time over kelvo-cli's default; on its own row, over the best fixed `--threads` setting")
print("and over the minimal walker with 2 threads.\n")
print("| tool | " + " | ".join(heads) + " |")
print("|---|" + "---|" * len(files))
groups = [json.load(open(f))["results"] for f in files]
for i, name in enumerate(r["command"] for r in groups[0]):
    cells = []
    for g in groups:
        m = g[i]["median"]
        if i == 0:
            fixed = min(r["median"] for r in g if r["command"].startswith("kelvo-cli --threads"))
            lim = next(r["median"] for r in g if r["command"].startswith("minimal walker, 2"))
            cells.append(f"{m:.2f} s ({m / fixed:.2f}x best fixed, {m / lim:.2f}x walker)")
        else:
            cells.append(f"{m:.2f} s ({m / g[0]['median']:.2f}x)")
    print(f"| {name} | " + " | ".join(cells) + " |")
EOF
}

load() { cut -d' ' -f1-3 /proc/loadavg; }

# The package filter's cost and a scan's fixed cost: a folder of 100 files, ten of them hits, with
# the filter on (the default) and off, against the minimal walker and fd. The first scan makes the package index's cache
# file current.
if [ "${SMALL:-1}" = 1 ]; then
  small="$data/small-100"
  if [ ! -f "$small.done" ]; then
    rm -rf "$small" && mkdir -p "$small"
    for i in $(seq 1 100); do
      if [ $((i % 10)) = 0 ]; then echo x >"$small/f$i.tmp"; else echo x >"$small/f$i.txt"; fi
    done
    touch "$small.done"
  fi
  "$kelvo" scan "$small" >/dev/null 2>&1
  echo
  echo "== small folder: 100 files, medians of 30 runs (load before: $(load))"
  small_commands() {
    echo "kelvo-cli, default (package filter on)|$kelvo scan --format=tsv $(q "$small")"
    echo "kelvo-cli, --include-package-files|$kelvo scan --format=tsv --include-package-files $(q "$small")"
    echo "minimal walker, 2 threads|$limit -j2 $(q "$small")"
    echo "fd, paths only|fdfind -u . $(q "$small")"
  }
  small_commands | run_group small "" 30 3
  small_commands | while IFS='|' read -r label cmd; do
    /usr/bin/time -f '%M' bash -c "exec $cmd" 2>&1 >/dev/null | tail -1
  done >"$work/small.rss"
  python3 - "$work/small.json" "$work/small.rss" "$(load)" <<'EOF'
import json, sys
results = json.load(open(sys.argv[1]))["results"]
rss = [int(l) for l in open(sys.argv[2]) if l.strip()]
print(f"\n### Small folder (medians of 30 runs; load average after: {sys.argv[3]})\n")
print("| tool | time | CPU (user + system) | peak memory |")
print("|---|---|---|---|")
for r, kb in zip(results, rss):
    cpu = r["user"] + r["system"]
    print(f"| {r['command']} | {r['median'] * 1000:.1f} ms | {cpu * 1000:.1f} ms | {kb / 1024:.1f} MB |")
EOF
fi

if [ "${WARM:-1}" = 1 ]; then
  echo "== warm cache: $runs runs each after a warm-up, medians (load before: $(load))"
  commands_for 0 | grep -E "${ONLY:-.}" | run_group warm0 "" "$runs" 1
  commands_for 1 | grep -E "${ONLY:-.}" | run_group warm1 "" "$runs" 1
  table "Warm cache, $(nproc) cores, $(printf "%'d" "$files") files in $(printf "%'d" "$folders") folders (medians of $runs runs; load average after: $(load))" \
    "default rules" "$work/warm0.json" "with \`--zero\`" "$work/warm1.json"
  # The package filter's cost on a big scan: wall time is at the mercy of the load, CPU time less.
  python3 - "$work/warm0.json" <<'EOF'
import json, sys
r = {x["command"]: x for x in json.load(open(sys.argv[1]))["results"]}
on, off = r.get("kelvo-cli, default"), r.get("kelvo-cli, --include-package-files")
if on and off:
    cpu = lambda x: x["user"] + x["system"]
    print(f"\nPackage filter on against off: {on['median'] / off['median']:.3f}x wall time (medians), "
          f"{cpu(on) / cpu(off):.3f}x CPU time (user + system, means)")
EOF
fi

if [ "${COLD:-1}" = 1 ]; then
  if sync && echo 3 2>/dev/null >/proc/sys/vm/drop_caches; then
    echo
    echo "== cold cache: caches dropped before each run, ${COLD_RUNS:-3} runs each, default rules (load before: $(load))"
    drop='sync; echo 3 > /proc/sys/vm/drop_caches'
    commands_for 0 | grep -Ev 'UTF-8|1 thread|threads=1' | grep -E "${ONLY:-.}" | run_group cold0 "$drop" "${COLD_RUNS:-3}" 0
    table "Cold cache, default rules (medians of ${COLD_RUNS:-3} runs; load average after: $(load))" \
      "time" "$work/cold0.json"
  else
    echo
    echo "== cold cache: skipped (cannot write /proc/sys/vm/drop_caches here)"
  fi
fi
