#!/usr/bin/env bash
# Builds the seed corpus of every fuzz target under OUT_DIR/<target>/:
# the hand-made seeds of fuzz/corpus/<target>/, and for the document readers
# the documents of tests/data/ and of the shared PMML corpus
# (ORVANE_SHARED_CORPUS, by default $ORVANE_SHARED_DIR/corpus/pmml with
# ORVANE_SHARED_DIR by default ../shared beside the repository; left out,
# with a line saying so, when absent).
#
#   fuzz/make_seeds.sh OUT_DIR
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
out=${1:?usage: make_seeds.sh OUT_DIR}
shared=${ORVANE_SHARED_CORPUS:-${ORVANE_SHARED_DIR:-$root/../shared}/corpus/pmml}

targets="date_time_text numeric_text vendor_dictionary pmml_dictionary transformation
         model_factory apply_tree tree_plugin"

# Copies each file under a name made from its path, so that files of the
# same name from different folders do not overwrite each other.
copy_seeds() {
  local dest=$1; shift
  local f
  for f in "$@"; do
    [ -f "$f" ] || continue
    cp "$f" "$dest/$(echo "${f#"$root"/}" | tr '/' '_')"
  done
}

for t in $targets; do
  mkdir -p "$out/$t"
  if [ -d "$root/fuzz/corpus/$t" ]; then
    copy_seeds "$out/$t" "$root/fuzz/corpus/$t"/*
  fi
done

mapfile -t pmml < <(find "$root/tests/data" "$root/examples" -type f \
                      \( -name '*.pmml' -o -name '*.xml' \) 2>/dev/null | sort)
mapfile -t hostile < <(find "$root/tests/data/hostile" -type f 2>/dev/null | sort)
shared_docs=()
if [ -d "$shared" ]; then
  mapfile -t shared_docs < <(find "$shared" -maxdepth 1 -type f -name '*.pmml' | sort)
else
  echo "no shared corpus at $shared: its documents are left out of the seeds"
fi

for t in pmml_dictionary transformation model_factory; do
  copy_seeds "$out/$t" "${pmml[@]}" "${hostile[@]}"
  for f in "${shared_docs[@]}"; do cp "$f" "$out/$t/shared_$(basename "$f")"; done
done
# The shipped tree plug-in: the tree documents, and the hostile ones.
mapfile -t trees < <(grep -l -r -E --include='*.pmml' '<TreeModel[ >]' "$root/tests" "$root/examples" \
                       2>/dev/null | sort)
copy_seeds "$out/tree_plugin" "${trees[@]}" "${hostile[@]}"
for f in "${shared_docs[@]}"; do
  grep -q -E '<TreeModel[ >]' "$f" && cp "$f" "$out/tree_plugin/shared_$(basename "$f")"
done
# The vendor dialect: its own documents, plus the PMML ones for structure.
mapfile -t qrtz < <(grep -l -r --include='*.xml' 'qrtz-ml' "$root/tests/data" 2>/dev/null | sort)
copy_seeds "$out/vendor_dictionary" "${qrtz[@]}" "${hostile[@]}"

for t in $targets; do
  echo "$t: $(find "$out/$t" -type f | wc -l) seeds"
done
