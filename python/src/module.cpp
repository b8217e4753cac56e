// The extension module orvane._orvane: the engine of batch.h for the Python
// layer in orvane/__init__.py, which turns data frames, dicts of columns and
// lists of records into decoded columns and results back into a data frame.

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <charconv>
#include <cmath>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "batch.h"

namespace py = pybind11;

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

// One encoded column from the Python layer: (name, payload, typed) where the
// payload is a float64 array (numbers or seconds) or a list of str/None.
InputColumn Decode(const Document& document, const py::handle& item, size_t rows,
                   std::vector<py::array_t<double>>* keep) {
  py::tuple spec = py::reinterpret_borrow<py::tuple>(item);
  InputColumn column;
  column.name = spec[0].cast<std::string>();
  const ScoreDictVar* var = nullptr;
  for (const ScoreDictVar* field : document.InputFields()) {
    if (field->GetName() == column.name) var = field;
  }
  if (var == nullptr) throw std::invalid_argument(column.name + ": not an input field");
  column.var_type = var->GetVarType();
  column.datetime_type = var->GetDateTimeType();
  column.typed = spec[2].cast<bool>();
  py::handle payload = spec[1];
  if (py::isinstance<py::array>(payload)) {
    keep->push_back(py::array_t<double, py::array::c_style | py::array::forcecast>::ensure(payload));
    if (!keep->back() || static_cast<size_t>(keep->back().size()) != rows) {
      throw py::value_error(column.name + ": not one number per row");
    }
    column.numbers = keep->back().data();
    return column;
  }
  py::list texts = py::reinterpret_borrow<py::list>(payload);
  if (texts.size() != rows) throw py::value_error(column.name + ": not one value per row");
  column.texts.resize(texts.size());
  column.present.resize(texts.size());
  for (size_t i = 0; i < texts.size(); ++i) {
    if (texts[i].is_none()) continue;
    column.texts[i] = texts[i].cast<std::string>();
    column.present[i] = 1;
  }
  return column;
}

// (name, "number", float64 array) | (name, "datetime", seconds, kind) |
// (name, "text" or "mixed", list).
py::tuple Encode(const OutputColumn& column) {
  const size_t rows = column.cells.size();
  if (column.Only(OutputColumn::kNumber)) {
    return py::make_tuple(column.name, "number",
                          py::array_t<double>(rows, column.numbers.data()));
  }
  if (column.Only(OutputColumn::kDateTime)) {
    int kind = DateTimeValue::kDATETIME_VAL;
    for (size_t i = 0; i < rows; ++i) {
      if (column.cells[i] == OutputColumn::kDateTime) {
        kind = column.kinds[i];
        break;
      }
    }
    return py::make_tuple(column.name, "datetime",
                          py::array_t<double>(rows, column.numbers.data()), kind);
  }
  py::list values(rows);
  for (size_t i = 0; i < rows; ++i) {
    switch (column.cells[i]) {
      case OutputColumn::kNumber: values[i] = py::float_(column.numbers[i]); break;
      case OutputColumn::kText: values[i] = py::str(column.texts[i]); break;
      case OutputColumn::kDateTime:
        values[i] = py::str(DateTimeValue(column.numbers[i],
                                          static_cast<DateTimeValue::DateTimeValType>(
                                              column.kinds[i]))
                                .GetString());
        break;
      default: values[i] = py::none();
    }
  }
  return py::make_tuple(column.name, column.Only(OutputColumn::kText) ? "text" : "mixed", values);
}

py::list Run(Document& document, const py::list& columns, size_t rows, bool score, int threads) {
  std::vector<py::array_t<double>> keep;  // the arrays whose buffers the batch reads
  std::vector<InputColumn> decoded;
  keep.reserve(columns.size());
  for (const py::handle& item : columns) decoded.push_back(Decode(document, item, rows, &keep));
  std::vector<OutputColumn> out;
  {
    py::gil_scoped_release release;
    document.Run(decoded, rows, score, threads, &out);
  }
  py::list results;
  for (const OutputColumn& column : out) results.append(Encode(column));
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

// The shortest text that reads back as `x`, as the orvane command writes
// numbers ("1" for 1.0).
std::string NumberText(double x) {
  if (std::isnan(x)) return "NaN";
  if (std::isinf(x)) return x > 0 ? "Infinity" : "-Infinity";
  char buffer[32];
  auto result = std::to_chars(buffer, buffer + sizeof buffer, x);
  return std::string(buffer, result.ptr);
}

}  // namespace
}  // namespace orvane_python

PYBIND11_MODULE(_orvane, m) {
  using orvane_python::Document;
  using orvane_python::PluginSet;
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
    } catch (const py::builtin_exception&) {
      throw;  // pybind11's own ValueError and the like
    } catch (const std::runtime_error& e) {
      raise(py::none(), e.what());
    }
  });

  m.def("preload_plugins",
        [](const std::string& dir, const std::vector<std::string>& names) {
          orvane_python::PreloadPlugins(PluginSet{dir, names});
        },
        "Loads <name>600r.so of `dir` for each name, so that the factory finds it.");
  m.def("datetime_seconds", &orvane_python::Seconds,
        "Stored seconds of a date/time text or number written in a field's type.");
  m.def("number_text", &orvane_python::NumberText);

  py::class_<Document>(m, "Document")
      .def(py::init([](const std::string& path, const std::vector<std::string>& names,
                       bool standard_pmml) {
             return std::make_unique<Document>(path, PluginSet{std::string(), names},
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
