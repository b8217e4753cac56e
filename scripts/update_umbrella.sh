#!/usr/bin/env bash
# Rewrites include/orvane/orvane.h to include every public header, in
# dependency order of the subsystems.
set -euo pipefail
cd "$(dirname "$0")/../include"
{
  echo '#ifndef ORVANE_ORVANE_H_'
  echo '#define ORVANE_ORVANE_H_'
  echo
  echo '// The one header that hosts and model plug-ins include.'
  for sub in values dictionary transform transform/math model translate; do
    echo
    for h in $(ls orvane/$sub/*.h 2>/dev/null | sort); do echo "#include \"$h\""; done
  done
  echo
  echo '#endif  // ORVANE_ORVANE_H_'
} > orvane/orvane.h.new
mv orvane/orvane.h.new orvane/orvane.h
