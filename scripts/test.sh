#!/usr/bin/env bash
# Installs what is missing, then builds and tests two configurations:
# Release, and Debug with AddressSanitizer + UndefinedBehaviorSanitizer.
# Warnings are errors in both. Exits non-zero on any failure. Material beside
# the repository (ORVANE_SHARED_DIR, default ../shared) is used when present;
# the tests that read it are reported as skipped otherwise.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install_deps.sh

jobs=$(nproc 2>/dev/null || echo 2)
export ASAN_OPTIONS="halt_on_error=1:detect_leaks=1:abort_on_error=0"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
export LSAN_OPTIONS="suppressions=$PWD/scripts/lsan.supp"

shared=()
[ -z "${ORVANE_SHARED_DIR:-}" ] || shared=(-DORVANE_SHARED_DIR="$ORVANE_SHARED_DIR")

build() {
  local dir=$1; shift
  cmake -S . -B "$dir" -DORVANE_WERROR=ON "${shared[@]}" "$@"
  cmake --build "$dir" -j "$jobs"
  ctest --test-dir "$dir" --output-on-failure -j "$jobs"
}

# The benchmarks are built (not run) so that they keep compiling; the Python
# package and its tests run in this configuration.
build build/release -DCMAKE_BUILD_TYPE=Release -DORVANE_BUILD_BENCH=ON -DORVANE_BUILD_PYTHON=ON
build build/asan -DCMAKE_BUILD_TYPE=Debug -DORVANE_SANITIZE=ON
# Shared models and dictionaries read by several threads, under ThreadSanitizer.
cmake -S . -B build/tsan -DCMAKE_BUILD_TYPE=Debug -DORVANE_SANITIZE_THREAD=ON -DORVANE_WERROR=ON \
  -DORVANE_BUILD_TOOLS=OFF
cmake --build build/tsan -j "$jobs" --target model_concurrent_use_test plugin_TreeModel600r
TSAN_OPTIONS="halt_on_error=1" build/tsan/tests/model_concurrent_use_test
# Every reader under libFuzzer for a minute, from the seed corpora.
scripts/fuzz.sh "${ORVANE_FUZZ_SECONDS:-60}"
echo "All tests passed in both configurations; the fuzz targets found nothing."
