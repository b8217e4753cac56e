// The extension module orvane._orvane: the engine of batch.h for the Python
// layer in orvane/__init__.py, which turns data frames, dicts of columns and
// lists of records into decoded columns and results back into a data frame.

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <cmath>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "batch.h"
#include "orvane_plugins/plugin_directory.h"

namespace py = pybind11;
using namespace pybind11::literals;

namespace orvane_python {
namespace {

using MCOrvane_600::DateTimeValue;
using MCOrvane_600::OVException;
using MCOrvane_600::ScoreDictVar;

const char* TypeName(const ScoreDictVar* var) {
  static const char* const kDateTypes[] = {
      "dateTime",          "date",
      "time",              "dateTime",
      "dateDaysSince[0]",  "dateDaysSince[1960]",
      "dateDaysSince[1970]", "dateDaysSince[1980]",
      "timeSeconds",       "dateTimeSecondsSince[0]",
      "dateTimeSecondsSince[1960]", "dateTimeSecondsSince[1970]",
      "dateTimeSecondsSince[1980]"};
  switch (var->GetVarType()) {
    case ScoreDictVar::kNUMERIC_VAR: return "double";
    case ScoreDictVar::kSTRING_VAR: return "string";
    case ScoreDictVar::kDATETIME_VAR: {
      const int type = var->GetDateTimeType();
      return type >= 0 && type <= 12 ? kDateTypes[type] : "dateTime";
    }
    default: return "unknown";
  }
}

const char* MeasureName(const ScoreDictVar* var) {
  switch (var->GetMLevel()) {
    case ScoreDictVar::kCONTINUOUS: return "continuous";
    case ScoreDictVar::kORDINAL: return "ordinal";
    default: return "categorical";
  }
}

py::object ValueObject(const MCOrvane_600::ScoreValue* value) {
  if (value == nullptr || value->IsSystemMissingValue()) return py::none();
  if (value->GetType() == MCOrvane_600::ScoreValue::kNUMERIC_VALUE) {
    return py::float_(value->GetDouble());
  }
  return py::str(value->GetString());
}

// (name, type, measure, categories, date/time type) of each field.
py::list Describe(const std::vector<const ScoreDictVar*>& vars) {
  py::list fields;
  for (const ScoreDictVar* var : vars) {
    py::list categories;
    if (const auto* labels = var->GetValueLabels()) {
      for (const auto* label : labels->GetAllValueLabels()) {
        categories.append(ValueObject(label->GetValue()));
      }
    }
    const int datetime_type =
        var->GetVarType() == ScoreDictVar::kDATETIME_VAR ? var->GetDateTimeType() : 0;
    fields.append(py::make_tuple(var->GetName(), TypeName(var), MeasureName(var),
                                 py::tuple(categories), datetime_type));
  }
  return fields;
}

// The texts of an object column. A scan under the interpreter lock takes a
// reference to every item, so that no other thread frees a string while the
// batch reads it, and sets apart every row that is not an exact ASCII str or
// None, converting it as the package always has (str of any kind read as
// UTF-8; NaN no value; any other object through `text_of`, which gives str or
// None). The batch's threads then read the ASCII strings' own bytes.
// Destroyed under the interpreter lock.
class ObjectTexts : public TextSource {
 public:
  ObjectTexts(const std::string& name, const py::handle& payload, const py::handle& text_of,
              size_t rows) {
    py::array objects = py::reinterpret_borrow<py::array>(payload);
    if (objects.ndim() != 1 || static_cast<size_t>(objects.size()) != rows) {
      throw py::value_error(name + ": not one value per row");
    }
    const char* data = static_cast<const char*>(objects.data());
    const py::ssize_t stride = objects.strides(0);
    items_.reset(new PyObject*[rows]);
    try {
      for (size_t i = 0; i < rows; ++i) {
        PyObject* item = *reinterpret_cast<PyObject* const*>(data + i * stride);
        Py_INCREF(item);
        items_[held_++] = item;
        if (item == Py_None ||
            (PyUnicode_CheckExact(item) && PyUnicode_IS_COMPACT_ASCII(item))) {
          continue;
        }
        if (converted_of_.empty()) converted_of_.assign(rows, kAscii);
        converted_of_[i] = Convert(py::reinterpret_borrow<py::object>(item), text_of);
      }
    } catch (...) {
      Release();
      throw;
    }
  }

  ~ObjectTexts() override { Release(); }

  bool Read(size_t row, std::string* text) const override {
    const int32_t converted = converted_of_.empty() ? kAscii : converted_of_[row];
    if (converted >= 0) {
      *text = converted_[converted];
      return true;
    }
    PyObject* item = items_[row];
    if (converted == kMissing || item == Py_None) return false;
    text->assign(static_cast<const char*>(PyUnicode_DATA(item)),
                 static_cast<size_t>(PyUnicode_GET_LENGTH(item)));
    return true;
  }

 private:
  static constexpr int32_t kAscii = -1;    // read from the item itself (or None)
  static constexpr int32_t kMissing = -2;  // no value

  void Release() {
    for (; held_ > 0; --held_) Py_DECREF(items_[held_ - 1]);
  }

  int32_t Convert(py::object item, const py::handle& text_of) {
    if (!PyUnicode_Check(item.ptr()) && !item.is_none() &&
        !(PyFloat_Check(item.ptr()) && std::isnan(PyFloat_AS_DOUBLE(item.ptr())))) {
      item = text_of(item);
    }
    if (item.is_none() || !PyUnicode_Check(item.ptr())) return kMissing;
    Py_ssize_t size = 0;
    const char* text = PyUnicode_AsUTF8AndSize(item.ptr(), &size);
    if (text == nullptr) throw py::error_already_set();
    converted_.emplace_back(text, static_cast<size_t>(size));
    return static_cast<int32_t>(converted_.size() - 1);
  }

  std::unique_ptr<PyObject*[]> items_;  // a reference each
  size_t held_ = 0;                     // items_ filled so far
  std::vector<int32_t> converted_of_;   // by row: an index into converted_, or kAscii, kMissing;
                                        // empty when every row is kAscii
  std::vector<std::string> converted_;
};

// The arrays and texts a batch's input columns lend.
struct Inputs {
  std::vector<InputColumn> columns;
  std::vector<py::array_t<double>> numbers;
  std::vector<std::unique_ptr<ObjectTexts>> texts;
};

// One encoded column from the Python layer: (name, payload, typed, text_of)
// where the payload is a float64 array (numbers or seconds) or an object
// array of texts.
void Decode(const Document& document, const py::handle& item, size_t rows, Inputs* inputs) {
  py::tuple entry = py::reinterpret_borrow<py::tuple>(item);
  InputColumn column;
  column.name = entry[0].cast<std::string>();
  const ScoreDictVar* var = document.InputField(column.name);
  if (var == nullptr) throw std::invalid_argument(column.name + ": not an input field");
  column.var_type = var->GetVarType();
  column.datetime_type = var->GetDateTimeType();
  column.typed = entry[2].cast<bool>();
  py::handle payload = entry[1];
  const bool numbers = py::isinstance<py::array>(payload) &&
                       py::reinterpret_borrow<py::array>(payload).dtype().kind() != 'O';
  if (numbers) {
    // Aligned and contiguous doubles (an array from a pickle need not be aligned).
    py::array_t<double> array;
    if (py::isinstance<py::array_t<double, py::array::c_style>>(payload) &&
        (py::detail::array_proxy(payload.ptr())->flags & py::detail::npy_api::NPY_ARRAY_ALIGNED_)) {
      array = py::reinterpret_borrow<py::array_t<double>>(payload);
    } else {
      array = py::array_t<double>::ensure(
          py::module_::import("numpy").attr("require")(payload, "float64", "CA"));
    }
    if (!array || array.ndim() != 1 || static_cast<size_t>(array.size()) != rows) {
      throw py::value_error(column.name + ": not one number per row");
    }
    column.numbers = array.data();
    inputs->numbers.push_back(std::move(array));
  } else {
    inputs->texts.emplace_back(new ObjectTexts(column.name, payload, entry[3], rows));
    column.texts = inputs->texts.back().get();
  }
  inputs->columns.push_back(std::move(column));
}

// A float64 array over `numbers`, which it takes.
py::array_t<double> NumberArray(std::unique_ptr<double[]> numbers, size_t rows) {
  py::capsule owner(numbers.get(), [](void* data) { delete[] static_cast<double*>(data); });
  double* data = numbers.release();
  return py::array_t<double>(rows, data, owner);
}

// (name, "number", float64 array) | (name, "datetime", seconds, kind) |
// (name, "text" or "mixed", object array of float, str and None).
py::tuple Encode(OutputColumn& column) {
  const size_t rows = column.rows;
  if (column.Only(OutputColumn::kNumber)) {
    return py::make_tuple(column.name, "number", NumberArray(std::move(column.numbers), rows));
  }
  if (column.Only(OutputColumn::kDateTime)) {
    int kind = DateTimeValue::kDATETIME_VAL;
    for (size_t i = 0; i < rows; ++i) {
      if (column.cells[i] == OutputColumn::kDateTime) {
        kind = column.kinds[i];
        break;
      }
    }
    return py::make_tuple(column.name, "datetime", NumberArray(std::move(column.numbers), rows),
                          kind);
  }
  py::array values = py::module_::import("numpy").attr("empty")(rows, "dtype"_a = "object");
  PyObject** slots = static_cast<PyObject**>(values.mutable_data());
  for (size_t chunk = 0; chunk < column.Chunks(); ++chunk) {
    std::vector<py::str> texts(column.Texts(chunk).begin(), column.Texts(chunk).end());  // by code
    for (size_t i = column.Begin(chunk); i < column.End(chunk); ++i) {
      PyObject* value = nullptr;  // a new reference
      switch (column.cells[i]) {
        case OutputColumn::kText:
          value = texts[column.codes[i]].ptr();
          Py_INCREF(value);
          break;
        case OutputColumn::kNumber: value = py::float_(column.numbers[i]).release().ptr(); break;
        case OutputColumn::kDateTime:
          value = py::str(DateTimeValue(column.numbers[i], static_cast<DateTimeValue::DateTimeValType>(
                                                               column.kinds[i]))
                              .GetString())
                      .release()
                      .ptr();
          break;
        default: continue;  // None already
      }
      Py_XDECREF(slots[i]);
      slots[i] = value;
    }
  }
  return py::make_tuple(column.name, column.Only(OutputColumn::kText) ? "text" : "mixed", values);
}

py::list Run(Document& document, const py::list& columns, size_t rows, bool score, int threads) {
  Inputs inputs;
  for (const py::handle& item : columns) Decode(document, item, rows, &inputs);
  std::vector<OutputColumn> out;
  {
    py::gil_scoped_release release;
    document.Run(inputs.columns, rows, score, threads, &out);
  }
  py::list results;
  for (OutputColumn& column : out) results.append(Encode(column));
  return results;
}

// Seconds of a date/time text or number written as `type` says; raises
// ValueError when the text is not one.
double Seconds(const py::object& value, int type) {
  const auto datetime_type = static_cast<ScoreDictVar::DateTimeType>(type);
  if (py::isinstance<py::str>(value)) {
    const std::string text = value.cast<std::string>();
    if (text.empty() || !DateTimeValue::IsValidDateTime(text, datetime_type)) {
      throw py::value_error("\"" + text + "\" is not a valid date/time for this field");
    }
    return DateTimeValue(text, datetime_type).GetDouble();
  }
  return DateTimeValue(value.cast<double>(), datetime_type).GetDouble();
}

}  // namespace
}  // namespace orvane_python

PYBIND11_MODULE(_orvane, m) {
  using orvane_python::Document;
  m.doc() = "Orvane scoring core: the engine under the orvane package";

  // The Python layer's orvane.Error, called as Error(message, code): code
  // None for a fault this package finds rather than the library.
  static py::handle error_class;
  m.def("set_error_class", [](py::object cls) { error_class = cls.release(); });
  py::register_exception_translator([](std::exception_ptr p) {
    auto raise = [](py::object code, const std::string& message) {
      if (!error_class) throw;  // no Python layer: pybind11's own translation
      py::object error = error_class(message, code);
      PyErr_SetObject(error_class.ptr(), error.ptr());
    };
    try {
      if (p) std::rethrow_exception(p);
    } catch (const MCOrvane_600::OVException& e) {
      raise(py::int_(e.GetErrorCode()), e.GetErrorMessage());
    } catch (const orvane_python::Fault& e) {
      raise(py::none(), e.what());
    }
  });

  m.def("preload_plugins",
        [](const std::string& dir, const std::vector<std::string>& names) {
          orvane_plugins::PreloadPlugins(names, dir);
        },
        "Loads <name>600r.so of `dir` for each name, so that the factory finds it.");
  m.def("datetime_seconds", &orvane_python::Seconds,
        "Stored seconds of a date/time text or number written in a field's type.");

  py::class_<Document>(m, "Document")
      .def(py::init([](const std::string& path, const std::vector<std::string>& names,
                       bool standard_pmml) {
             return std::make_unique<Document>(path, names,
                                               standard_pmml);
           }),
           py::arg("path"), py::arg("model_names"), py::arg("standard_pmml"))
      .def_property_readonly("has_model", &Document::HasModel)
      .def_property_readonly("model_type", &Document::ModelType)
      .def("input_fields", [](const Document& d) { return orvane_python::Describe(d.InputFields()); })
      .def("derived_fields",
           [](const Document& d) { return orvane_python::Describe(d.DerivedFields()); })
      .def("result_fields",
           [](const Document& d) { return orvane_python::Describe(d.ResultFields()); })
      .def("run", &orvane_python::Run, py::arg("columns"), py::arg("rows"), py::arg("score"),
           py::arg("threads"));
}
