#!/usr/bin/env bash
# Prints the size of the test suite against the code it tests.
# A line counts when it is not blank and not a whole-line comment (// in C++,
# # in CMake); block comments count as code. Only files git tracks are read.
# C++ is *.h *.hpp *.cpp *.cc *.cxx; CMake is CMakeLists.txt and *.cmake.
set -euo pipefail
cd "$(dirname "$0")/.."

cxx() {
  git ls-files -- "$@" | grep -E '\.(h|hpp|cpp|cc|cxx)$' | xargs -r cat |
    grep -c -v -E '^\s*($|//)' || true
}
cmake_lines() {
  git ls-files -- "$@" | grep -E '(^|/)CMakeLists\.txt$|\.cmake$' | xargs -r cat |
    grep -c -v -E '^\s*($|#)' || true
}
ratio() { awk -v t="$1" -v c="$2" 'BEGIN { printf "%.2f", t / c }'; }

code=$(cxx include src tools plugins python)
tests=$(cxx tests)
code_cm=$(( code + $(cmake_lines include src tools plugins python) ))
tests_cm=$(( tests + $(cmake_lines tests) ))
printf 'C++:         %6d lines of code (include, src, tools, plugins, python), %6d lines of tests: tests/code = %s\n' \
  "$code" "$tests" "$(ratio "$tests" "$code")"
printf 'C++ + CMake: %6d lines of code (include, src, tools, plugins, python), %6d lines of tests: tests/code = %s\n' \
  "$code_cm" "$tests_cm" "$(ratio "$tests_cm" "$code_cm")"
