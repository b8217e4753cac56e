#!/usr/bin/env bash
# Prints the size of the test suite against the code it tests.
# A line counts when it is not blank and not a whole-line comment (// in C++,
# # in data files); block comments count as code. Only files git tracks are
# read. C++ is *.h *.hpp *.cpp *.cc *.cxx.
set -euo pipefail
cd "$(dirname "$0")/.."

cxx() {
  git ls-files -- "$@" | grep -E '\.(h|hpp|cpp|cc|cxx)$' | xargs -r cat |
    grep -c -v -E '^\s*($|//)' || true
}
ratio() { awk -v t="$1" -v c="$2" 'BEGIN { printf "%.2f", t / c }'; }

core=$(cxx include src tools)
all=$(( core + $(cxx plugins python) ))
tests=$(cxx tests)
data=$(git ls-files -- tests/data | xargs -r cat | grep -c -v -E '^\s*($|#)' || true)
printf 'C++ tests: %6d lines; against include, src, tools (%d): %s; with plugins and python (%d): %s\n' \
  "$tests" "$core" "$(ratio "$tests" "$core")" "$all" "$(ratio "$tests" "$all")"
printf 'Test documents and tables (tests/data): %d lines\n' "$data"
