"""A partitioned data set on a local Dask cluster of two worker processes gives
exactly what one call in this process gives."""

import sys

import pandas as pd
import pytest

import orvane
from conftest import LOAN, SOURCE, TEST_PLUGINS, TREE
from test_orvane import many_loan_rows

dd = pytest.importorskip("dask.dataframe")
distributed = pytest.importorskip("dask.distributed")

EXAMPLE = SOURCE / "examples" / "dask_scoring.py"
TIMEOUT = 120  # seconds a computation may take before the test fails
sys.path.insert(0, str(EXAMPLE.parent))


@pytest.fixture(scope="module")
def cluster_client():
    cluster = distributed.LocalCluster(n_workers=2, threads_per_worker=1, processes=True,
                                       host="127.0.0.1", dashboard_address=None)
    client = distributed.Client(cluster, timeout=60)
    client.upload_file(str(EXAMPLE))  # as the example does: workers import it by name
    yield client
    client.close()
    cluster.close()


def test_cluster_derives_as_one_process(cluster_client):
    import dask_scoring
    frame = many_loan_rows(4000)
    data = dd.from_pandas(frame, npartitions=8)
    got = cluster_client.compute(dask_scoring.run(data, str(LOAN))).result(timeout=TIMEOUT)
    pd.testing.assert_frame_equal(got, orvane.load(LOAN).derive(frame))
    # Each worker loaded the document once, however many partitions it took.
    assert set(cluster_client.run(dask_scoring.loaded_documents).values()) <= {0, 1}


def test_cluster_scores_as_one_process(cluster_client, tree_model):
    import dask_scoring
    frame = pd.DataFrame({"age": [30, 30, 50, 55, None, 30] * 300,
                          "colour": ["red", "blue", "green", None, "red", "green"] * 300})
    data = dd.from_pandas(frame, npartitions=6)
    work = dask_scoring.run(data, str(TREE), score=True, plugin_dir=TEST_PLUGINS)
    got = cluster_client.compute(work).result(timeout=TIMEOUT)
    pd.testing.assert_frame_equal(got, tree_model.score(frame))
