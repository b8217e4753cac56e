#!/usr/bin/env bash
# Measures the library on documents of bench/gen_documents.py against the
# floors on the same documents, and prints the table and the ratios of the
# performance targets. The shared floors (hand-written loop, plain DOM parse)
# take part when ORVANE_SHARED_DIR/bench is present.
#
#   scripts/bench.sh              generate, build (Release), run everything, report
#   scripts/bench.sh --report     report again from the last run's output
#
# Settings (environment):
#   BUILD_DIR            build directory (build/bench)
#   ORVANE_SHARED_DIR    material beside the repository (../shared); its bench/
#                        holds the shared floors
#   JOBS                 parallel build jobs (2)
#   BENCH_CASES          cases in each CSV (1000)
#   BENCH_REPS           repetitions of every library benchmark (5)
#   BENCH_MIN_TIME       minimum seconds a repetition runs (0.2)
#   BENCH_LOAD_REPS      repetitions of the load benchmarks ($BENCH_REPS)
#   BENCH_FLOOR_REPS     repetitions of the floors (7 evaluation, 9 parse)
#   BENCH_MEMORY_CASES   cases evaluated by the memory benchmark (1000000)
#   BENCH_SIZES          documents as LABEL:FIELDS:DERIVED (d100:20:100 d1000:200:1000 d5000:200:5000)
#   BENCH_LOAD_LABELS    the documents the load benchmarks read (all of BENCH_SIZES)
#   BENCH_OUT            where the outputs go ($BUILD_DIR/bench/results)
# The machine is shared: compare ratios within one run, not absolute times.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

build_dir=${BUILD_DIR:-$root/build/bench}
shared=${ORVANE_SHARED_DIR:-$root/../shared}
generator=$root/bench/gen_documents.py
jobs=${JOBS:-2}
cases=${BENCH_CASES:-1000}
reps=${BENCH_REPS:-5}
min_time=${BENCH_MIN_TIME:-0.2}
load_reps=${BENCH_LOAD_REPS:-$reps}
floor_reps=${BENCH_FLOOR_REPS:-}
memory_cases=${BENCH_MEMORY_CASES:-1000000}
sizes=${BENCH_SIZES:-"d100:20:100 d1000:200:1000 d5000:200:5000"}

bench_bin=$build_dir/bench
data=$bench_bin/data
out=${BENCH_OUT:-$bench_bin/results}
labels=$(for s in $sizes; do echo -n "${s%%:*},"; done)
labels=${labels%,}
load_labels=${BENCH_LOAD_LABELS:-$labels}

if [[ "${1:-}" != "--report" ]]; then
  shared=$(cd "$(dirname "$shared")" && pwd)/$(basename "$shared")
  cmake -S "$root" -B "$build_dir" -DCMAKE_BUILD_TYPE=Release -DORVANE_BUILD_BENCH=ON \
    -DORVANE_BUILD_TESTS=OFF -DORVANE_BUILD_TOOLS=OFF -DORVANE_SHARED_DIR="$shared" \
    -DORVANE_BENCH_SIZES="${sizes// /;}" >/dev/null
  cmake --build "$build_dir" -j "$jobs" --target orvane_bench_all

  mkdir -p "$data" "$out"
  rm -f "$out"/*
  eval_docs=()
  load_docs=()
  smallest="" largest=""
  for size in $sizes; do
    IFS=: read -r label fields derived <<<"$size"
    doc=$data/$label.xml
    csv=$data/cases_k${fields}_m${cases}.csv
    python3 "$generator" --fields "$fields" --derived "$derived" --out "$doc"
    [[ -f $csv ]] || python3 "$generator" --fields "$fields" --cases "$cases" --out "$csv"
    eval_docs+=("--doc=$label,$doc,$csv")
    [[ ",$load_labels," == *",$label,"* ]] && load_docs+=("--doc=$label,$doc")
    [[ -n $smallest ]] || smallest="$doc,$csv"
    largest=$doc
  done

  gbench_flags=(--benchmark_min_time="$min_time" --benchmark_report_aggregates_only=true
                --benchmark_out_format=json)
  for size in $sizes; do
    IFS=: read -r label fields derived <<<"$size"
    doc=$data/$label.xml
    csv=$data/cases_k${fields}_m${cases}.csv
    echo "== floors: $label"
    if [[ -x $bench_bin/xerces_parse_bench ]]; then
      "$bench_bin/hand_loop_bench_$label" "$csv" "${floor_reps:-7}" | tee "$out/hand_$label.txt"
      "$bench_bin/xerces_parse_bench" "$doc" "${floor_reps:-9}" | tee "$out/xerces_$label.txt"
    else
      echo "no shared floors at $shared/bench: hand-written loop and plain parse left out"
    fi
    "$bench_bin/hand_floor_bench_$label" --cases="$csv" "${gbench_flags[@]}" \
      --benchmark_repetitions="$reps" --benchmark_out="$out/floor_$label.json"
  done
  echo "== library: evaluation"
  "$bench_bin/orvane_eval_bench" "${eval_docs[@]}" "${gbench_flags[@]}" \
    --benchmark_repetitions="$reps" --benchmark_out="$out/eval.json"
  echo "== library: load"
  "$bench_bin/orvane_load_bench" "${load_docs[@]}" "${gbench_flags[@]}" \
    --benchmark_repetitions="$load_reps" --benchmark_out="$out/load.json"
  echo "== library: memory"
  "$bench_bin/orvane_memory_bench" --load="$largest" --eval="$smallest" \
    --cases="$memory_cases" | tee "$out/memory.txt"
  echo
fi

python3 "$root/bench/bench_report.py" --out-dir "$out" --labels "$labels"
