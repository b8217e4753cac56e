"""The Python package against the orvane command and against itself."""

import datetime
import io
import math
from dataclasses import dataclass

import numpy as np
import pandas as pd
import pytest

import orvane
from conftest import DATES, LOAN, LOAN_CASES, TEST_PLUGINS, TREE, read_cases, run_tool


def assert_same_values(got, expected):
    """Frames equal value by value: numbers exactly, NaN/None/NaT as no value."""
    assert list(got.columns) == list(expected.columns)
    for name in got.columns:
        for row, (a, b) in enumerate(zip(got[name], expected[name])):
            if pd.isna(a) or pd.isna(b):
                assert pd.isna(a) and pd.isna(b), (name, row, a, b)
            elif isinstance(a, str) and isinstance(b, str):
                assert a == b, (name, row, a, b)
            else:  # a number on at least one side: the other reads as the same double
                assert float(a) == float(b), (name, row, a, b)


def test_derive_agrees_with_the_command():
    expected = pd.read_csv(io.StringIO(run_tool("derive", LOAN, LOAN_CASES)), dtype=object,
                           keep_default_na=False, na_values=[""])
    got = orvane.load(LOAN).derive(read_cases(LOAN_CASES))
    assert_same_values(got, expected)


LOAN_ROWS = [
    {"age": 34, "income": 52000.0, "debt": 12000, "region": "north", "employment": "employed"},
    {"age": 61, "income": None, "debt": 20000, "region": "west", "employment": "self"},
    {"age": None, "income": 18000, "region": None, "employment": "none"},
]


@dataclass
class InputForm:
    name: str
    make: object


INPUT_FORMS = [
    InputForm("list of dicts", lambda: LOAN_ROWS),
    InputForm("DataFrame", lambda: pd.DataFrame(LOAN_ROWS)),
    InputForm("dict of lists", lambda: {k: [r.get(k) for r in LOAN_ROWS] for k in LOAN_ROWS[0]}),
    InputForm("dict of arrays", lambda: {
        "age": np.array([34, 61, np.nan]), "income": np.array([52000, np.nan, 18000]),
        "debt": np.array([12000, 20000, np.nan]),
        "region": np.array(["north", "west", None], dtype=object),
        "employment": np.array(["employed", "self", "none"])}),
    InputForm("nullable and categorical dtypes", lambda: pd.DataFrame({
        "age": pd.array([34, 61, None], dtype="Int64"),
        "income": pd.array([52000, None, 18000], dtype="Float64"),
        "debt": np.array([12000, 20000, np.nan], dtype=np.float32),
        "region": pd.Categorical(["north", "west", None]),
        "employment": pd.array(["employed", "self", "none"], dtype="string")})),
    InputForm("numbers as texts", lambda: {
        "age": ["34", " 61 ", ""], "income": ["52000", None, "1.8e4"],
        "debt": ["12000", "20000", None], "region": ["north", "west", math.nan],
        "employment": ["employed", "self", "none"]}),
]


@pytest.mark.parametrize("form", INPUT_FORMS, ids=lambda form: form.name)
def test_input_forms_give_the_same_derived_values(form):
    model = orvane.load(LOAN)
    derived = [field.name for field in model.derived_fields]
    reference = model.derive(pd.DataFrame(LOAN_ROWS))[derived]
    got = model.derive(form.make())[derived]
    assert_same_values(got, reference)
    assert got["age_scaled"].dtype == np.float64
    assert got["income_band"].dtype == object
    assert math.isnan(got["age_scaled"][2])  # a missing input gives NaN out
    assert got["income_band"][1] == "unknown"  # mapMissingTo of a missing income


def test_derive_keeps_the_input_columns_and_index():
    frame = pd.DataFrame(LOAN_ROWS, index=[10, 20, 30]).assign(extra=["a", "b", "c"])
    out = orvane.load(LOAN).derive(frame)
    assert list(out.index) == [10, 20, 30]
    assert list(out.columns[: frame.shape[1]]) == list(frame.columns)
    assert list(out["extra"]) == ["a", "b", "c"]


def test_fields_describe_types_and_categories():
    model = orvane.load(LOAN)
    fields = {field.name: field for field in model.input_fields}
    assert fields["region"] == orvane.Field("region", "string", "categorical",
                                            ("north", "south", "east", "west"))
    assert fields["age"].type == "double"
    assert [f.name for f in model.derived_fields][:2] == ["age_scaled", "income_band"]
    assert model.result_fields == () and model.model_type is None
    dates = {field.name: field.type for field in orvane.load(DATES).input_fields}
    assert dates == {"amount": "double", "days": "dateDaysSince[1970]", "opened": "date"}


@dataclass
class DateCase:
    name: str
    opened: object
    days: object


DATE_CASES = [
    DateCase("datetime64", pd.to_datetime(["2009-03-07", None, "1969-12-31"]), [0, 365, None]),
    DateCase("texts", ["2009-03-07", None, "1969-12-31"], [0.0, 365.0, math.nan]),
    DateCase("date objects", [datetime.date(2009, 3, 7), None, datetime.date(1969, 12, 31)],
             pd.array([0, 365, None], dtype="Int64")),
    DateCase("timestamps with a zone", pd.to_datetime(["2009-03-07 01:00", None, "1969-12-31 01:00"])
             .tz_localize("Etc/GMT-1"), np.array([0, 365, np.nan])),
]


@pytest.mark.parametrize("case", DATE_CASES, ids=lambda case: case.name)
def test_dates_both_ways(case):
    out = orvane.load(DATES).derive({"opened": case.opened, "days": case.days})
    assert out["opened_again"].dtype == "datetime64[ns]"
    assert list(out["opened_again"])[0] == pd.Timestamp("2009-03-07")
    assert pd.isna(out["opened_again"][1])
    assert list(out["opened_year"].fillna(-1)) == [2009, -1, 1969]
    assert list(out["days_year"].fillna(-1)) == [1970, 1971, -1]


def test_a_column_without_values_keeps_its_declared_type():
    out = orvane.load(DATES).derive({"opened": [None, None]})
    assert out["opened_again"].dtype == "datetime64[ns]"
    out = orvane.load(LOAN).derive({"employment": [None]})
    assert out["income_band"][0] == "unknown" and out["age_scaled"].dtype == np.float64
    assert len(orvane.load(LOAN).derive(pd.DataFrame({"age": []}))) == 0


@dataclass
class ErrorCase:
    name: str
    call: object
    code: object
    message: str


def _no_model_document(tmp_path):
    path = tmp_path / "no_transformations.pmml"
    path.write_text('<PMML version="4.1"><DataDictionary/></PMML>')
    return path


ERROR_CASES = [
    ErrorCase("not XML", lambda tmp: orvane.load(_write(tmp, "x.pmml", "not xml")), 6,
              "Invalid XML file!!"),
    ErrorCase("no TransformationDictionary", lambda tmp: orvane.load(_no_model_document(tmp)), 4,
              "Node is missing --- TransformationDictionary ---"),
    ErrorCase("plug-in missing", lambda tmp: orvane.load(TREE, plugin_dir=tmp,
                                                        model_names=["Node"]), 5,
              "Doesn't Support Node  Model: No Required dll or lib available!"),
    ErrorCase("no such file", lambda tmp: orvane.load(tmp / "absent.pmml"), None,
              "cannot open the document"),
    ErrorCase("score without a model", lambda tmp: orvane.load(LOAN).score(LOAN_ROWS), None,
              "no model of the document is served by a plug-in"),
    ErrorCase("not a number", lambda tmp: orvane.load(LOAN).derive({"age": ["34", "old"]}), None,
              "column age, row 1: 'old' is not a number"),
    ErrorCase("not a date", lambda tmp: orvane.load(DATES).derive({"opened": ["2009-13-45"]}),
              None, "column opened, row 0: '2009-13-45' is not a valid date/time for this field"),
]


def _write(tmp, name, text):
    path = tmp / name
    path.write_text(text)
    return path


@pytest.mark.parametrize("case", ERROR_CASES, ids=lambda case: case.name)
def test_errors_carry_code_and_message(case, tmp_path):
    with pytest.raises(orvane.Error) as raised:
        case.call(tmp_path)
    error = raised.value
    assert isinstance(error, ValueError)
    assert error.code == case.code
    if case.code is None:
        assert case.message in error.message
    else:  # the library's message, exactly
        assert error.message == case.message
        assert str(error) == "error %d: %s" % (case.code, " ".join(case.message.split()))


def many_loan_rows(n):
    rng = np.random.default_rng(7)
    return pd.DataFrame({
        "age": np.where(rng.random(n) < 0.1, np.nan, rng.integers(10, 90, n)),
        "income": np.where(rng.random(n) < 0.1, np.nan, rng.integers(-1, 150000, n)),
        "debt": rng.integers(0, 40000, n).astype(float),
        "region": rng.choice(["north", "south", "east", "west", None], n),
        "employment": rng.choice(["employed", "self", "none", None], n),
    })


@pytest.mark.parametrize("threads", [2, 3, 8])
def test_threads_agree_with_one_thread(threads):
    model = orvane.load(LOAN)
    frame = many_loan_rows(3001)
    pd.testing.assert_frame_equal(model.derive(frame, threads=threads),
                                  model.derive(frame, threads=1))


def test_score_through_a_plug_in(tree_model):
    frame = pd.DataFrame({"age": [30, 30, 50, 55, None, 30],
                          "colour": ["red", "blue", "green", None, "red", "green"]})
    out = tree_model.score(frame)
    assert tree_model.model_type == "TreeModel"
    assert [f.name for f in tree_model.result_fields] == ["$R-risk"]
    # Node 5 (green, under 40) has no score: a missing result.
    assert list(out["$R-risk"]) == ["low", "high", "medium", "medium", "low", None]
    big = pd.concat([frame] * 500, ignore_index=True)
    pd.testing.assert_frame_equal(tree_model.score(big, threads=3),
                                  tree_model.score(big, threads=1))


def test_score_agrees_with_the_command(tree_model, tmp_path):
    cases = _write(tmp_path, "cases.csv", "age,colour\n30,red\n30,blue\n50,green\n,red\n30,green\n")
    names = _write(tmp_path, "names.txt", "TreeModel\n")
    env = dict(__import__("os").environ, LD_LIBRARY_PATH=TEST_PLUGINS)
    expected = pd.read_csv(io.StringIO(run_tool("score", TREE, cases, "--models", names, env=env)),
                           dtype=object, keep_default_na=False, na_values=[""])
    got = tree_model.score(read_cases(cases))
    assert_same_values(got, expected[got.columns])


def test_python_threads_share_a_model():
    import threading
    model = orvane.load(LOAN)
    frame = many_loan_rows(2000)
    expected = model.derive(frame, threads=1)
    results = []
    workers = [threading.Thread(target=lambda: results.append(model.derive(frame, threads=2)))
               for _ in range(4)]
    for worker in workers:
        worker.start()
    for worker in workers:
        worker.join()
    assert len(results) == 4
    for got in results:
        pd.testing.assert_frame_equal(got, expected)


ECHO = """<PMML version="4.1"><DataDictionary numberOfFields="1">
  <DataField name="s" optype="categorical" dataType="string"/></DataDictionary>
  <TransformationDictionary><DerivedField name="echo" optype="categorical" dataType="string">
  <FieldRef field="s"/></DerivedField></TransformationDictionary></PMML>"""


@dataclass
class TextCase:
    name: str
    value: object
    text: object  # what the field reads; None: no value


TEXT_CASES = [
    TextCase("ASCII", "north", "north"),
    TextCase("empty", "", ""),
    TextCase("not ASCII", "Zürich 東京", "Zürich 東京"),
    TextCase("str subclass", np.str_("west"), "west"),
    TextCase("integer", 5, "5"),
    TextCase("NumPy integer", np.int64(7), "7"),
    TextCase("float", 2.5, "2.5"),
    TextCase("None", None, None),
    TextCase("NaN", math.nan, None),
    TextCase("NumPy NaN", np.float64("nan"), None),
    TextCase("pd.NA", pd.NA, None),
]


@pytest.mark.parametrize("threads", [1, 2])
def test_object_column_items_read_as_their_texts(tmp_path, threads):
    model = orvane.load(_write(tmp_path, "echo.pmml", ECHO))
    values = [case.value for case in TEXT_CASES] * 40  # rows enough for every thread
    out = model.derive({"s": pd.Series(values, dtype=object)}, threads=threads)
    no_value = model.derive({"s": pd.Series([None], dtype=object)})["echo"][0]
    for row, echo in enumerate(out["echo"]):
        case = TEXT_CASES[row % len(TEXT_CASES)]
        assert echo == (no_value if case.text is None else case.text), (case.name, row)


def test_an_item_without_text_fails_the_batch_and_is_let_go(tmp_path):
    class NoText:
        def __str__(self):
            raise RuntimeError("no text")

    import sys
    model = orvane.load(_write(tmp_path, "echo.pmml", ECHO))
    item = NoText()
    references = sys.getrefcount(item)
    with pytest.raises(RuntimeError, match="no text"):
        model.derive({"s": pd.Series(["north"] * 200 + [item], dtype=object)}, threads=2)
    assert sys.getrefcount(item) == references
