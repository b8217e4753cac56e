#!/bin/sh
# Runs a test that reads material beside the repository, or skips it:
#   run_if_present.sh PATH COMMAND [ARG...]
# exits 77 (registered as SKIP_RETURN_CODE) with a line naming PATH when
# PATH does not exist, and runs COMMAND otherwise.
path=$1
shift
if [ ! -e "$path" ]; then
  echo "skipped: $path is absent (shared material beside the repository)"
  exit 77
fi
exec "$@"
