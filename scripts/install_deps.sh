#!/usr/bin/env bash
# Installs the build and test dependencies from Debian's packages.
set -euo pipefail
pkgs=(cmake make g++ pkg-config libxerces-c-dev libcli11-dev libgtest-dev libgmock-dev
      libbenchmark-dev python3 clang libclang-rt-14-dev
      pybind11-dev python3-dev python3-numpy python3-pandas python3-pytest python3-dask
      python3-distributed)
missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ] || [ "${CI:-}" = "true" ]; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update
  $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${pkgs[@]}"
fi
