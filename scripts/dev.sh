#!/usr/bin/env bash
# Set-up, build and run for Kelvo on Debian 12.
#   scripts/dev.sh run    install what is missing, build, start the program
#   scripts/dev.sh test   install what is missing, build, run the whole test suite, run the core and
#                         CLI tests again under the address/undefined and the thread sanitizer
#                         (the thread sanitizer: the core tests, where the scan's threads are;
#                         KELVO_SKIP_SANITIZERS=1 leaves that part out), then cross-build for
#                         Windows with mingw-w64 and run the Windows tests under Wine
#                         (KELVO_SKIP_WINDOWS=1 leaves that part out)
#   scripts/dev.sh fuzz [SECONDS]  build the libFuzzer targets with clang and fuzz (default 300 s);
#                         new inputs are merged into the saved corpus, crashes saved beside it
#   scripts/dev.sh screenshots [ARGS]  install what is missing (Xvfb, xdotool, ImageMagick), build,
#                         take the screenshots of scripts/screenshots.sh ARGS under Xvfb
#   scripts/dev.sh bench  install what is missing, build, run the scan benchmark (bench/)
#   scripts/dev.sh package  build the Debian package (build/kelvo_*.deb) with CPack and check it
#                         with lintian
set -euo pipefail
cd "$(dirname "$0")/.."

PACKAGES=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev qt6-translations-l10n libcli11-dev nlohmann-json3-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  fonts-wqy-microhei
  qt6-tools-dev qt6-l10n-tools qt6-translations-l10n scdoc
  desktop-file-utils appstream bash-completion libxml2-utils
)
# Only for fuzzing: clang with libFuzzer.
FUZZ_PACKAGES=(clang-14 libclang-rt-14-dev)
# Only for the screenshots (scripts/screenshots.sh) and a window without a display.
SCREEN_PACKAGES=(xvfb xauth xdotool imagemagick)
# Only for the package: CPack's dependency lookup and the package check.
PACKAGE_PACKAGES=(dpkg-dev file lintian)
# Only for the benchmark: the tools it compares against and times with.
BENCH_PACKAGES=(hyperfine fd-find bfs findutils time python3)

# The Windows build: cross compiler, GoogleTest sources, and Wine to run the tests.
WINDOWS_PACKAGES=(g++-mingw-w64-x86-64-posix googletest wine wine64)

install_missing() {
  local missing=()
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  echo "Installing: ${missing[*]}"
  # Another apt or dpkg run may hold the lock: wait for it rather than fail.
  local wait=(-o DPkg::Lock::Timeout=600)
  $sudo apt-get "${wait[@]}" update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get "${wait[@]}" install -y -qq --no-install-recommends \
    "${missing[@]}"
}

build() {
  cmake --preset default >/dev/null
  cmake --build --preset default
}

# The core and CLI tests (the presets build no window) under the address and undefined-behaviour
# sanitizers, the core tests under the thread sanitizer, in Debug builds.
test_sanitized() {
  local preset
  for preset in asan tsan; do
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset"
    ctest --preset "$preset" -j "$(nproc)"
  done
}

# Cross-builds for Windows and runs its tests under Wine in a fresh prefix of its own, without a
# display; the prefix and its server go away at the end, whatever happens.
test_windows() {
  install_missing "${WINDOWS_PACKAGES[@]}"
  cmake --preset mingw >/dev/null
  cmake --build --preset mingw

  local prefix
  prefix="$(mktemp -d "${TMPDIR:-/tmp}/kelvo-wine.XXXXXX")"
  export WINEPREFIX="$prefix" WINEDEBUG=-all WINEARCH=win64
  export WINEDLLOVERRIDES="mscoree,mshtml="  # no Mono or Gecko installers
  unset DISPLAY WAYLAND_DISPLAY
  trap 'wineserver -k </dev/null >/dev/null 2>&1 || true; rm -rf "$WINEPREFIX"' EXIT
  echo "Preparing Wine in $prefix"
  wineserver -p </dev/null >/dev/null 2>&1
  if ! wineboot -i </dev/null >/dev/null 2>"$prefix/wineboot.log"; then
    cat "$prefix/wineboot.log" >&2
    return 1
  fi
  ctest --preset mingw -j "$(nproc)" </dev/null
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
    if [ "${KELVO_SKIP_SANITIZERS:-0}" != 1 ]; then
      test_sanitized
    fi
    if [ "${KELVO_SKIP_WINDOWS:-0}" != 1 ]; then
      test_windows
    fi
    ;;
  fuzz)
    install_missing "${PACKAGES[@]}" "${FUZZ_PACKAGES[@]}"
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
  screenshots)
    install_missing "${PACKAGES[@]}" "${SCREEN_PACKAGES[@]}"
    build
    shift
    exec xvfb-run -a -s "-screen 0 1280x800x24" scripts/screenshots.sh "$@"
    ;;
  bench)
    install_missing "${PACKAGES[@]}" "${BENCH_PACKAGES[@]}"
    build
    exec bench/run_scan_bench.sh
    ;;
  package)
    install_missing "${PACKAGES[@]}" "${PACKAGE_PACKAGES[@]}"
    build
    (cd build && cpack -G DEB)
    deb=$(ls -t build/kelvo_*.deb | head -1)
    echo "Checking $deb with lintian"
    lintian --fail-on error "$deb"
    echo "$deb"
    ;;
  *)
    echo "usage: $0 run|test|bench|fuzz|package|screenshots" >&2
    exit 2
    ;;
esac
