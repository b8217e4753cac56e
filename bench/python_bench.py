#!/usr/bin/python3
"""Rows per second through the Python package against the same work in C++.

    PYTHONPATH=build/python /usr/bin/python3 bench/python_bench.py [--build build] [--reps 7]

Needs a build with -DORVANE_BUILD_PYTHON=ON (the module and orvane_python_floor,
the C++ program doing the same work); the corpus workloads need ../shared. Each workload is one batch of --rows rows (10,000), computed --reps
times after a warm-up batch that loads every thread's scorer. Python's time
covers the whole call: encoding the DataFrame's columns, computing, and
building the result DataFrame. C++ reads its inputs already decoded, fills
case records by name and keeps every result value.

The machine is shared: the cost per row is compared in CPU time of the
process (median), which other processes disturb least; the speed-up of
threads needs wall-clock time, taken as the best batch. With more than one
thread, the last column is the CPU time the calling thread spends beyond an
average worker's (median, per row): the work no second thread shares, which
limits the speed-up, and which a busy machine disturbs far less than wall-clock time.

Workloads: derived fields of the generated 100-field document
(bench/gen_documents.py) and of the loan example, the generated document's
regression, and a random forest and a regression of the scoring corpus.
"""

import argparse
import os
import pathlib
import statistics
import subprocess
import sys
import tempfile
import time

ROOT = pathlib.Path(__file__).resolve().parents[1]


def parse_args():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--build", default=str(ROOT / "build"))
    parser.add_argument("--shared", default=os.environ.get("ORVANE_SHARED_DIR",
                                                           str(ROOT.parent / "shared")))
    parser.add_argument("--rows", type=int, default=10000)
    parser.add_argument("--reps", type=int, default=7)
    parser.add_argument("--threads", default="1,2")
    parser.add_argument("--only", default="",
                        help="run only the workloads whose label contains this text")
    return parser.parse_args()


def with_plugin_path(build):
    """The C++ floor finds the plug-ins on the loader's path, read at start-up."""
    wanted = [str(pathlib.Path(build) / "plugins" / "lib")]
    current = os.environ.get("LD_LIBRARY_PATH", "")
    if current.split(":")[: len(wanted)] != wanted:
        env = dict(os.environ, LD_LIBRARY_PATH=":".join(wanted + ([current] if current else [])))
        os.execve(sys.executable, [sys.executable] + sys.argv, env)


class Workload:
    def __init__(self, label, document, cases, names, score=False):
        self.label, self.document, self.cases = label, str(document), str(cases)
        self.names, self.score = list(names), score


def workloads(args, scratch):
    import orvane
    found = []
    generator = ROOT / "bench" / "gen_documents.py"
    model_args = ["--fields", "20", "--cats", "3", "--derived", "100", "--seed", "1"]
    document, cases = scratch / "d100.pmml", scratch / "d100.csv"
    subprocess.run([sys.executable, str(generator), *model_args, "--out", str(document)],
                   check=True)
    subprocess.run([sys.executable, str(generator), *model_args, "--cases", "1000",
                    "--out", str(cases)], check=True)
    shipped = orvane.locate_plugins()
    found.append(Workload("derive d100 (100 fields, 23 inputs)", document, cases, shipped))
    found.append(Workload("score d100 regression", document, cases, shipped, True))
    found.append(Workload("derive loan example (7 fields)", ROOT / "examples/loan_applicants.pmml",
                          ROOT / "examples/loan_applicants.csv", shipped))
    corpus = pathlib.Path(args.shared) / "corpus" / "scoring"
    for label, name, data in [
            ("score corpus random forest", "rattle-RandomForestIris", "Iris"),
            ("score corpus regression", "rattle-RegressionAuto", "Auto")]:
        if (corpus / "pmml" / (name + ".pmml")).exists():
            found.append(Workload(label, corpus / "pmml" / (name + ".pmml"),
                                  corpus / "data" / (data + ".csv"), shipped, True))
        else:
            print("(%s: no %s)" % (label, corpus))
    return found


def python_rate(work, rows, threads, reps):
    import orvane
    import pandas as pd
    model = orvane.load(work.document, model_names=work.names)
    cases = pd.read_csv(work.cases, dtype={f.name: "float64" if f.type == "double" else object
                                           for f in model.input_fields},
                        keep_default_na=False, na_values=[""])
    frame = pd.concat([cases] * (rows // len(cases) + 1), ignore_index=True).iloc[:rows]
    frame = frame.reset_index(drop=True)
    call = model.score if work.score else model.derive
    call(frame, threads=threads)  # loads every thread's scorer
    wall, cpu, serial = [], [], []
    for _ in range(reps):
        cpu_start, own_start, start = time.process_time(), time.thread_time(), time.perf_counter()
        call(frame, threads=threads)
        wall.append(time.perf_counter() - start)
        cpu.append(time.process_time() - cpu_start)
        own = time.thread_time() - own_start
        if threads > 1:  # the calling thread's share beyond an average worker's
            serial.append(own - (cpu[-1] - own) / (threads - 1))
    return (rows / min(wall), rows / statistics.median(cpu),
            statistics.median(serial) * 1e9 / rows if serial else None)


def cpp_rate(args, work, threads):
    floor = pathlib.Path(args.build) / "python" / "orvane_python_floor"
    command = [str(floor), "score" if work.score else "derive", work.document, work.cases,
               str(args.rows), str(threads), str(args.reps), *work.names]
    out = subprocess.run(command, check=True, capture_output=True, text=True).stdout.split()
    return float(out[1]), float(out[2])  # best wall-clock rate, median CPU rate


def main():
    args = parse_args()
    with_plugin_path(args.build)
    threads = [int(t) for t in args.threads.split(",")]
    print("%d rows a batch, median of %d batches, %d cores (shared with other work: compare "
          "ratios within one run)" % (args.rows, args.reps, os.cpu_count()))
    print("| workload | threads | Python rows/s (wall, best) | C++ rows/s (wall, best) | "
          "Python rows per CPU-s | C++ rows per CPU-s | Python CPU per row / C++ | "
          "Python speed-up | C++ speed-up | Python caller-only CPU ns/row |")
    print("|---|---|---|---|---|---|---|---|---|---|")
    with tempfile.TemporaryDirectory() as scratch:
        for work in workloads(args, pathlib.Path(scratch)):
            if args.only not in work.label:
                continue
            base = None
            for n in threads:
                py_wall, py_cpu, py_serial = python_rate(work, args.rows, n, args.reps)
                cpp_wall, cpp_cpu = cpp_rate(args, work, n)
                if base is None:
                    base = (py_wall, cpp_wall)
                print("| %s | %d | %.0f | %.0f | %.0f | %.0f | %.2fx | %.2fx | %.2fx | %s |"
                      % (work.label, n, py_wall, cpp_wall, py_cpu, cpp_cpu, cpp_cpu / py_cpu,
                         py_wall / base[0], cpp_wall / base[1],
                         "-" if py_serial is None else "%.0f" % py_serial), flush=True)


if __name__ == "__main__":
    main()
