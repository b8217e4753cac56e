#!/usr/bin/env bash
# Line coverage of the library (src/ and include/) by the test suite: a Debug
# build instrumented with --coverage in build/coverage, the whole CTest suite,
# then gcovr. Rebuilds incrementally; counters are reset before each run.
# Usage: scripts/coverage.sh [extra cmake arguments...]
set -euo pipefail
cd "$(dirname "$0")/.."

dir=build/coverage
jobs=${JOBS:-2}
cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=Debug -DORVANE_WERROR=ON \
  -DCMAKE_CXX_FLAGS="--coverage -O0" -DCMAKE_EXE_LINKER_FLAGS=--coverage \
  -DCMAKE_SHARED_LINKER_FLAGS=--coverage -DCMAKE_MODULE_LINKER_FLAGS=--coverage "$@" >/dev/null
cmake --build "$dir" -j "$jobs"
find "$dir" -name '*.gcda' -delete
ctest --test-dir "$dir" -j "$jobs" --output-on-failure
gcovr --root . --object-directory "$dir" --filter 'src/' --filter 'include/' \
  --exclude-directories '.*/CompilerIdCXX' \
  --exclude-unreachable-branches --print-summary --output "$dir/coverage.txt" "$dir"
echo "Per-file figures: $dir/coverage.txt"
