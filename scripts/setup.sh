#!/usr/bin/env bash
# Installs what the project needs on Debian 12, configures, builds, and then:
#   run       (default) opens the viewer on the bundled example (the batch tool's summary of
#             it when there is no display)
#   test      runs every test
#   sanitize  builds and runs the tests with AddressSanitizer + UndefinedBehaviorSanitizer
#   threads   builds the tests of the work that runs on several threads (the text loaders,
#             the bond search) with ThreadSanitizer and runs them
#   fuzz      builds the fuzz targets with clang and runs each for a few seconds
#   bench     builds and runs the benchmarks
set -euo pipefail
cd "$(dirname "$0")/.."
mode=${1:-run}
jobs=$(nproc 2>/dev/null || echo 2)

packages=(
  build-essential cmake ninja-build pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev clang libclang-rt-14-dev
  qt6-base-dev libqt6opengl6-dev libepoxy-dev libegl-dev libgl-dev
  libegl-mesa0 libglx-mesa0 libgl1-mesa-dri libpng-dev libstb-dev fonts-noto-cjk
  libx11-dev xvfb xauth xdotool x11-utils imagemagick ghostscript admesh
)

install_packages() {
  local missing=()
  for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

build() {  # build <dir> [cmake args...]
  local dir=$1
  shift
  cmake -S . -B "$dir" -G Ninja "$@" >/dev/null
  cmake --build "$dir" -j "$jobs"
}

install_packages
case "$mode" in
  run)
    build build -DQV_BENCH=OFF
    if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
      exec ./build/quivane examples/water.fa2
    fi
    echo "No display: showing the example with the batch tool instead."
    ./build/qvtool info examples/water.fa2
    ;;
  test)
    build build
    ctest --test-dir build --output-on-failure -j "$jobs"
    ;;
  sanitize)
    build build-asan -DQV_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug -DQV_BENCH=OFF
    ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
      ctest --test-dir build-asan --output-on-failure -j "$jobs"
    ;;
  threads)
    cmake -S . -B build-tsan -G Ninja -DQV_TSAN=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQV_BENCH=OFF \
      -DQV_VIEWER=OFF >/dev/null
    cmake --build build-tsan -j "$jobs" --target qv_tests_data qv_tests_analysis
    export TSAN_OPTIONS=halt_on_error=1
    ./build-tsan/tests/qv_tests_data
    ./build-tsan/tests/qv_tests_analysis \
      --gtest_filter='*BuildBondsGrid*:BuildBonds.Misleading*:BuildBonds.WorkingMemory*'
    ;;
  fuzz)
    build build-fuzz -DQV_FUZZ=ON -DQV_TESTS=OFF -DQV_BENCH=OFF -DQV_VIEWER=OFF \
      -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++
    seconds=${QV_FUZZ_SECONDS:-15}
    ran=0
    for f in build-fuzz/fuzz/fuzz_*; do
      [ -x "$f" ] || continue
      ran=$((ran + 1))
      name=$(basename "$f")
      corpus=tests/fuzz/corpus/${name#fuzz_}
      work=$(mktemp -d)
      [ -d "$corpus" ] && cp -r "$corpus"/. "$work"/
      echo "== $name (${seconds}s)"
      "$f" -max_total_time="$seconds" -rss_limit_mb=2048 -print_final_stats=0 "$work" 2>&1 | tail -n 3
      rm -rf "$work"
    done
    # A build that produced no targets must not pass as a fuzz run.
    if [ "$ran" -eq 0 ]; then
      echo "no fuzz targets in build-fuzz/fuzz" >&2
      exit 1
    fi
    ;;
  bench)
    build build
    ./build/qv_bench "${@:2}"
    ;;
  *)
    echo "usage: $0 [run|test|sanitize|threads|fuzz|bench]" >&2
    exit 2
    ;;
esac
