#!/usr/bin/env bash
# Set-up, build and run for Kelvo on Debian 12.
#   scripts/dev.sh run    install what is missing, build, start the program
#   scripts/dev.sh test   install what is missing, build, run the whole test suite
#   scripts/dev.sh fuzz [SECONDS]  build the libFuzzer targets with clang and fuzz (default 300 s);
#                         new inputs are merged into the saved corpus, crashes saved beside it
#   scripts/dev.sh bench  install what is missing, build, run the scan benchmark (bench/)
set -euo pipefail
cd "$(dirname "$0")/.."

PACKAGES=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev libcli11-dev nlohmann-json3-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  fonts-wqy-microhei xvfb xauth imagemagick
  clang-14 libclang-rt-14-dev
)
# Only for the benchmark: the tools it compares against and times with.
BENCH_PACKAGES=(hyperfine fd-find bfs findutils time python3)

install_missing() {
  local missing=()
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  echo "Installing: ${missing[*]}"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

build() {
  cmake --preset default >/dev/null
  cmake --build --preset default
}

case "${1:-}" in
  run)
    install_missing "${PACKAGES[@]}"
    build
    shift
    if [ -x build/bin/kelvo ] && { [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; }; then
      exec build/bin/kelvo "$@"
    fi
    if [ -x build/bin/kelvo ]; then
      echo "No display: the desktop program needs one. Scanning your home folder with kelvo-cli instead." >&2
    fi
    exec build/bin/kelvo-cli scan "$@" "$HOME"
    ;;
  test)
    install_missing "${PACKAGES[@]}"
    build
    ctest --preset default -j "$(nproc)"
    ;;
  fuzz)
    install_missing "${PACKAGES[@]}"
    cmake --preset fuzz >/dev/null
    cmake --build --preset fuzz
    seeds=tests/fuzz/seeds/wine_registry
    corpus=tests/fuzz/corpus/wine_registry
    found=$(mktemp -d)
    merged=$(mktemp -d)
    trap 'rm -rf "$found" "$merged"' EXIT
    # A crash is saved in the corpus as crash-*, so that the regular test suite replays it.
    build-fuzz/bin/wine_registry_fuzzer -max_total_time="${2:-300}" -max_len=4096 \
      -dict=tests/fuzz/wine_registry.dict -artifact_prefix="$corpus/crash-" \
      "$found" "$corpus" "$seeds" || true
    # Keep the corpus small: the fewest, smallest inputs that reach every edge.
    build-fuzz/bin/wine_registry_fuzzer -merge=1 -use_counters=0 "$merged" "$corpus" "$found"
    find "$corpus" -maxdepth 1 -type f ! -name 'crash-*' -delete
    cp "$merged"/* "$corpus"/ 2>/dev/null || true
    echo "corpus: $(ls "$corpus" | wc -l) files, $(du -sh "$corpus" | cut -f1)"
    ;;
  bench)
    install_missing "${PACKAGES[@]}" "${BENCH_PACKAGES[@]}"
    build
    exec bench/run_scan_bench.sh
    ;;
  *)
    echo "usage: $0 run|test|bench|fuzz" >&2
    exit 2
    ;;
esac
