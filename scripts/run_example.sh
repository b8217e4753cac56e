#!/usr/bin/env bash
# Installs what is missing, builds the library and the orvane command, and
# computes the derived fields of the shipped example for its sample cases.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install_deps.sh
cmake -S . -B build/example -DCMAKE_BUILD_TYPE=Release -DORVANE_BUILD_TESTS=OFF >/dev/null
cmake --build build/example -j "$(nproc 2>/dev/null || echo 2)" --target orvane_tool >/dev/null
build/example/tools/orvane describe examples/loan_applicants.pmml
echo
build/example/tools/orvane derive examples/loan_applicants.pmml examples/loan_applicants.csv "$@"
