"""Every document of the scoring corpus scores through Python as through the
orvane command, with the shipped plug-ins (run with them on LD_LIBRARY_PATH)."""

import io
import os
import pathlib
import re

import pandas as pd
import pytest

import orvane
from conftest import read_cases, run_tool
from test_orvane import assert_same_values

CORPUS = pathlib.Path(os.environ.get("ORVANE_SHARED_DIR", "/nonexistent")) / "corpus" / "scoring"
if not (CORPUS / "pmml").is_dir():
    pytest.skip("no scoring corpus at %s (set ORVANE_SHARED_DIR)" % CORPUS,
                allow_module_level=True)

DOCUMENTS = sorted((CORPUS / "pmml").glob("*.pmml"))


@pytest.mark.parametrize("document", DOCUMENTS, ids=lambda path: path.stem)
def test_scores_as_the_command(document, tmp_path):
    data = CORPUS / "data" / (re.search(r"([A-Z][a-z]+)$", document.stem).group(1) + ".csv")
    names = orvane.locate_plugins()
    text = document.read_text(encoding="utf-8", errors="replace")
    if not any(re.search(r"<%s[\s>/]" % re.escape(name), text) for name in names):
        pytest.skip("no shipped plug-in serves this document's model yet")
    try:
        model = orvane.load(document)
    except orvane.Error as error:
        if error.code == 5 and error.message.startswith("Doesn't Support"):
            pytest.skip("the plug-in is not built: " + error.message)
        raise
    names_file = tmp_path / "modeldll.txt"
    names_file.write_text("\n".join(names) + "\n")
    expected = pd.read_csv(io.StringIO(run_tool("score", document, data, "--models", names_file)),
                           dtype=object, keep_default_na=False, na_values=[""])
    got = model.score(read_cases(data))
    # The command writes the inputs, then the result fields, then the advice:
    # a result field named like an input (the target) is told apart by place.
    results = expected.iloc[:, -(len(got.columns) + 1):-1]
    results.columns = list(got.columns)
    assert_same_values(got, results)
