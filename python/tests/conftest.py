"""Paths the tests share; CTest passes them in the environment."""

import os
import pathlib
import subprocess

import pandas as pd
import pytest

HERE = pathlib.Path(__file__).resolve().parent
SOURCE = pathlib.Path(os.environ.get("ORVANE_SOURCE_DIR", HERE.parents[1]))
BUILD = SOURCE / "build"
TEST_PLUGINS = os.environ.get("ORVANE_TEST_PLUGIN_DIR", str(BUILD / "tests" / "plugins"))
TOOL = os.environ.get("ORVANE_TOOL", str(BUILD / "tools" / "orvane"))

LOAN = SOURCE / "examples" / "loan_applicants.pmml"
LOAN_CASES = SOURCE / "examples" / "loan_applicants.csv"
TREE = SOURCE / "tests" / "data" / "factory" / "tree.pmml"
DATES = HERE / "data" / "dates.pmml"


def read_cases(path):
    """Cases as the orvane command reads them: texts, an empty cell no value."""
    return pd.read_csv(path, dtype=str, keep_default_na=False, na_values=[""])


def run_tool(*args, env=None):
    """Standard output of the orvane command; fails the test on an error."""
    done = subprocess.run([TOOL, *map(str, args)], capture_output=True, text=True, env=env,
                          timeout=300)
    assert done.returncode == 0, done.stderr
    return done.stdout


@pytest.fixture(scope="session")
def tree_model():
    import orvane
    if not os.path.exists(os.path.join(TEST_PLUGINS, "TreeModel600r.so")):
        pytest.skip("the test plug-ins are not built (%s)" % TEST_PLUGINS)
    try:
        return orvane.load(TREE, plugin_dir=TEST_PLUGINS, model_names=["TreeModel"])
    except orvane.Error as error:
        if error.code != 5:
            raise
        pytest.skip("the test plug-ins have no soname: run with LD_LIBRARY_PATH=%s"
                    % TEST_PLUGINS)


def pytest_sessionfinish(session, exitstatus):
    """Exit 77 (CTest's skip code) when every test, or the whole module, was
    skipped (pytest's own status for a module skipped whole is 5)."""
    reporter = session.config.pluginmanager.get_plugin("terminalreporter")
    if reporter is None or exitstatus not in (0, 5):
        return
    stats = reporter.stats
    if stats.get("skipped") and not stats.get("passed") and not stats.get("failed"):
        session.exitstatus = 77
