"""Orvane for Python: derived fields and model scores of PMML documents, over pandas data.

    model = orvane.load("model.pmml")
    model.derive(frame)   # the input columns, then every derived field
    model.score(frame)    # the model's result fields

Data may be a pandas DataFrame, a dict of columns (lists or NumPy arrays) or a
list of dicts (one per row). A missing value is NaN, None, NaT or pd.NA on the
way in and NaN (numbers), None (texts) or NaT (dates) on the way out.
"""

import datetime
import math
import os
import re
from collections import namedtuple

import numpy as np
import pandas as pd

from . import _orvane
from ._config import DEFAULT_PLUGIN_DIR

__all__ = ["Error", "Field", "Model", "load", "locate_plugins"]


class Error(ValueError):
    """A fault of a document, of its model or of the data.

    `code` is the library's error code (None when this package found the
    fault), `message` the library's message exactly as it gives it.
    """

    def __init__(self, message, code=None):
        self.message = message
        self.code = code
        text = " ".join(message.split())  # library messages may start with a line break
        super().__init__(text if code is None else "error %d: %s" % (code, text))

    def __reduce__(self):  # crosses process boundaries (Dask) intact
        return (Error, (self.message, self.code))


_orvane.set_error_class(Error)

# One field of a document. type: "double", "string" or a PMML date/time type
# ("date", "dateTime", "dateDaysSince[1970]", ...); measure: "continuous",
# "ordinal" or "categorical"; categories: the declared values, in order.
Field = namedtuple("Field", "name type measure categories")

_TIME_TYPES = (2, 8)  # time, timeSeconds: seconds since midnight
_EPOCH = pd.Timestamp(0)


def _read_names(path):
    with open(path, encoding="utf-8") as names_file:
        return [name for name in re.split(r"[ ,\t\n]+", names_file.read()) if name]


def locate_plugins(plugin_dir=None, model_names=None):
    """The model types that plug-ins serve, with those plug-ins made loadable.

    The one place where this package finds its model plug-ins. `plugin_dir`
    defaults to the plug-in folder of the build or installation this module
    belongs to; `model_names` is a list of model types or the path of a
    names file, by default the folder's modeldll.txt, else every
    <ModelType>600r.so in it (by name). Each plug-in of the folder is loaded
    by its path so that the factory's load by file name finds it; a name
    without a file there is left to the loader's search path
    (LD_LIBRARY_PATH).
    """
    directory = os.fspath(plugin_dir) if plugin_dir is not None else DEFAULT_PLUGIN_DIR
    has_dir = bool(directory) and os.path.isdir(directory)
    if isinstance(model_names, (str, os.PathLike)):
        names = _read_names(model_names)
    elif model_names is not None:
        names = [str(name) for name in model_names]
    elif has_dir and os.path.isfile(os.path.join(directory, "modeldll.txt")):
        names = _read_names(os.path.join(directory, "modeldll.txt"))
    elif has_dir:
        names = sorted(f[: -len("600r.so")] for f in os.listdir(directory) if f.endswith("600r.so"))
    else:
        names = []
    if has_dir:
        _orvane.preload_plugins(directory, names)
    return names


def load(path, standard_pmml=None, plugin_dir=None, model_names=None):
    """Loads the document at `path` as a Model.

    The document's model is built by its plug-in when a name of the model
    names (see locate_plugins) occurs in it; otherwise only its data and
    transformation dictionaries are read, and the Model derives but does not
    score.

    standard_pmml: True reads the dictionaries as standard PMML 4.4, False as
    the library's own PMML dialect; None reads as the `orvane` command does by
    default (today the library's dialect), so that Python and the command
    always agree. A model's plug-in reads its document by its own rules.
    """
    names = locate_plugins(plugin_dir, model_names)
    document = _orvane.Document(os.fspath(path), names, bool(standard_pmml))
    return Model(document, os.fspath(path))


def _fields(described):
    return tuple(Field(name, type_, measure, categories)
                 for name, type_, measure, categories, _ in described)


def _default_threads():
    try:
        return len(os.sched_getaffinity(0))
    except AttributeError:
        return os.cpu_count() or 1


def _frame(data):
    if isinstance(data, pd.DataFrame):
        return data
    if isinstance(data, dict):
        return pd.DataFrame(data)
    if isinstance(data, (list, tuple)):
        return pd.DataFrame.from_records(list(data))
    raise TypeError("data must be a DataFrame, a dict of columns or a list of dicts, not %s"
                    % type(data).__name__)


def _is_missing(value):
    """None, NaN, pd.NA or NaT (a number field also takes an empty text as no value)."""
    return value is None or value is pd.NA or value is pd.NaT or (
        isinstance(value, float) and math.isnan(value))


def _bad(name, row, value, why):
    return Error("column %s, row %d: %r %s" % (name, row, value, why))


def _numbers(name, values):
    if values.dtype.kind in "biuf":
        return np.ascontiguousarray(values, dtype=np.float64)
    out = np.empty(len(values))
    for row, value in enumerate(values):
        if _is_missing(value) or (isinstance(value, str) and not value):
            out[row] = np.nan
        elif isinstance(value, str):
            try:
                out[row] = float(value)
            except ValueError:
                raise _bad(name, row, value, "is not a number") from None
            if not math.isfinite(out[row]):
                raise _bad(name, row, value, "is not a number")
        else:
            try:
                out[row] = float(value)
            except (TypeError, ValueError):
                raise _bad(name, row, value, "is not a number") from None
    return out


def _text(value):
    if isinstance(value, str):
        return value
    if isinstance(value, (float, np.floating)):
        text = repr(float(value))  # the shortest text that reads back
        return text[:-2] if text.endswith(".0") else text
    return str(value)


def _text_or_none(value):
    """What the engine calls for an object that is neither str, None nor NaN."""
    return None if _is_missing(value) else _text(value)


def _seconds_of_object(name, row, value, datetime_type):
    if isinstance(value, (pd.Timestamp, datetime.datetime)):
        stamp = pd.Timestamp(value)
        if stamp.tzinfo is not None:
            stamp = stamp.tz_convert("UTC").tz_localize(None)
        seconds = (stamp - _EPOCH) / pd.Timedelta(seconds=1)
        return seconds % 86400 if datetime_type in _TIME_TYPES else seconds
    if isinstance(value, datetime.date):
        return float((value - datetime.date(1970, 1, 1)).days * 86400)
    if isinstance(value, datetime.time):
        return value.hour * 3600 + value.minute * 60 + value.second + value.microsecond / 1e6
    if isinstance(value, (pd.Timedelta, datetime.timedelta)):
        return pd.Timedelta(value) / pd.Timedelta(seconds=1)
    try:
        return _orvane.datetime_seconds(value if isinstance(value, str) else float(value),
                                        datetime_type)
    except (TypeError, ValueError):
        raise _bad(name, row, value, "is not a valid date/time for this field") from None


def _datetimes(name, series, datetime_type):
    """Stored seconds (typed False), or numbers in the field's type (typed True)."""
    dtype = series.dtype
    if isinstance(dtype, pd.DatetimeTZDtype):
        series = series.dt.tz_convert("UTC").dt.tz_localize(None)
        dtype = series.dtype
    if dtype.kind in "mM":
        nanos = series.to_numpy(dtype="timedelta64[ns]" if dtype.kind == "m"
                                else "datetime64[ns]").view("i8")
        seconds = nanos / 1e9
        seconds[nanos == np.iinfo(np.int64).min] = np.nan  # NaT
        if dtype.kind == "M" and datetime_type in _TIME_TYPES:
            seconds = np.mod(seconds, 86400)
        return seconds, False
    values = series.to_numpy()
    if values.dtype.kind in "biuf":
        return np.ascontiguousarray(values, dtype=np.float64), True
    return np.array([np.nan if _is_missing(value)
                     else _seconds_of_object(name, row, value, datetime_type)
                     for row, value in enumerate(values)], dtype=np.float64), False


def _encode(field_type, datetime_type, name, series):
    """(name, payload, typed, text_of) for the engine: float64 numbers, or an
    object array of texts that the engine reads, calling text_of for any
    object other than str, None or NaN."""
    if field_type == "string":
        return name, series.to_numpy(dtype=object), False, _text_or_none
    if datetime_type > 0 or field_type not in ("double", "unknown"):
        payload, typed = _datetimes(name, series, datetime_type)
        return name, payload, typed, None
    dtype = series.dtype
    if pd.api.types.is_extension_array_dtype(dtype) and pd.api.types.is_numeric_dtype(dtype):
        return name, series.to_numpy(dtype=np.float64, na_value=np.nan), False, None
    return name, _numbers(name, series.to_numpy()), False, None


def _decode(result, declared):
    """A result column as pandas takes it."""
    name, kind, payload = result[:3]
    if kind == "number" and name in declared and np.isnan(payload).all():
        # Not one value: the column takes its field's declared type.
        if declared[name] == -1:
            return name, np.full(len(payload), None, dtype=object)
        kind, result = "datetime", (name, kind, payload, int(declared[name] in _TIME_TYPES))
    if kind == "number":
        return name, payload
    if kind == "datetime":
        if result[3] == 1:  # times of day
            return name, pd.to_timedelta(payload, unit="s")
        return name, pd.to_datetime(payload, unit="s")
    return name, payload


class Model:
    """A loaded document: its fields, and batch derivation and scoring.

    A Model may be shared between Python threads. Each batch releases the
    interpreter lock and runs on up to `threads` threads, each with its own
    transformation dictionary and model (loaded on first need, then kept).
    """

    def __init__(self, document, path):
        self._document = document
        self.path = path
        described = document.input_fields()
        self._inputs = {name: (type_, datetime_type)
                        for name, type_, _, _, datetime_type in described}
        self.input_fields = _fields(described)
        derived, results = document.derived_fields(), document.result_fields()
        self.derived_fields = _fields(derived)
        self.result_fields = _fields(results)
        # Date/time type of each output field, -1 for texts, absent for numbers.
        self._outputs = [{name: (-1 if type_ == "string" else datetime_type)
                          for name, type_, _, _, datetime_type in fields
                          if type_ == "string" or datetime_type > 0}
                         for fields in (derived, results)]

    @property
    def model_type(self):
        """The model element's type ("TreeModel", ...), or None without a model."""
        return self._document.model_type if self._document.has_model else None

    def __repr__(self):
        return "<orvane.Model %r %s>" % (self.path, self.model_type or "(dictionaries only)")

    def _run(self, data, score, threads):
        frame = _frame(data)
        columns = [_encode(*self._inputs[name], name, frame[name])
                   for name in frame.columns if isinstance(name, str) and name in self._inputs]
        threads = _default_threads() if threads is None else int(threads)
        results = self._document.run(columns, len(frame), score, max(1, threads))
        values = dict(_decode(result, self._outputs[score]) for result in results)
        # The arrays are new and the frame's alone: taken as they are, not copied.
        return frame, pd.DataFrame(values, index=frame.index, copy=False)

    def derive(self, data, threads=None):
        """The input columns followed by every derived field, in document order."""
        frame, derived = self._run(data, False, threads)
        return pd.concat([frame, derived], axis=1)

    def score(self, data, threads=None):
        """The model's result fields for each row, by the producer's field names."""
        if not self._document.has_model:
            raise Error("%s: no model of the document is served by a plug-in" % self.path)
        return self._run(data, True, threads)[1]
