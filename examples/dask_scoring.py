"""Derives or scores a partitioned data set on a Dask cluster with Orvane.

    python3 examples/dask_scoring.py examples/loan_applicants.pmml examples/loan_applicants.csv
    python3 examples/dask_scoring.py MODEL.pmml DATA.csv --score --scheduler tcp://HOST:8786

Each partition is a pandas DataFrame that one worker derives or scores with
`dask.dataframe.map_partitions`; each worker process loads the document once
(`cached_model`) and keeps it for every later partition. Without
`--scheduler` the script starts a local cluster of two worker processes; with
it, the same code runs on the cluster at that address, where every worker
needs the orvane package and the document at the same path.
"""

import argparse
import functools

import orvane


@functools.lru_cache(maxsize=None)
def cached_model(path, plugin_dir=None):
    """The model of `path`, loaded once per worker process."""
    return orvane.load(path, plugin_dir=plugin_dir)


def loaded_documents():
    """How many documents this process has loaded: once per document on each worker."""
    return cached_model.cache_info().misses


def derive_partition(frame, path, plugin_dir=None, threads=1):
    return cached_model(path, plugin_dir).derive(frame, threads=threads)


def score_partition(frame, path, plugin_dir=None, threads=1):
    return cached_model(path, plugin_dir).score(frame, threads=threads)


def input_dtypes(model):
    """CSV column types for the fields of `model`: numbers as doubles, the rest as texts."""
    return {field.name: "float64" if field.type == "double" else "object"
            for field in model.input_fields}


def run(data, path, score=False, plugin_dir=None, threads=1):
    """The lazy result of deriving or scoring the Dask DataFrame `data`.

    The columns and types Dask expects come from the same call on the
    partitions' empty head, computed here once.
    """
    work = score_partition if score else derive_partition
    meta = work(data._meta, path, plugin_dir)
    return data.map_partitions(work, path, plugin_dir, threads, meta=meta)


def main():
    import dask.dataframe as dd
    from dask.distributed import Client, LocalCluster

    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("document")
    parser.add_argument("data", help="CSV file or glob of CSV files (one partition each or more)")
    parser.add_argument("--score", action="store_true", help="score instead of derive")
    parser.add_argument("--scheduler", help="address of a running Dask scheduler")
    parser.add_argument("--plugin-dir", help="folder of the model plug-ins")
    parser.add_argument("--blocksize", default="16MB", help="bytes of CSV per partition")
    parser.add_argument("--threads", type=int, default=1, help="Orvane threads per partition")
    parser.add_argument("--out", help="write the result as CSV files matching this glob")
    args = parser.parse_args()

    if args.scheduler:
        client = Client(args.scheduler)
    else:
        client = Client(LocalCluster(n_workers=2, threads_per_worker=1, processes=True,
                                     dashboard_address=None))
    with client:
        # Workers import this module by name, so its cache lives per worker process.
        client.upload_file(__file__)
        import dask_scoring

        model = dask_scoring.cached_model(args.document, args.plugin_dir)
        data = dd.read_csv(args.data, blocksize=args.blocksize, dtype=input_dtypes(model),
                           keep_default_na=False, na_values=[""])
        result = dask_scoring.run(data, args.document, args.score, args.plugin_dir, args.threads)
        if args.out:
            result.to_csv(args.out, index=False)
        else:
            print(result.compute().to_string())


if __name__ == "__main__":
    main()
