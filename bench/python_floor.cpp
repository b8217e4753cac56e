// The work of the Python package's benchmark written directly against the
// library: cases decoded once into columns (numbers as doubles, texts as
// strings), then per case a CaseRecord filled by field name, the derived
// values (or the model's score) computed, and each result read into an
// output column. Threads split the rows into contiguous chunks, each with its
// own transformation dictionary or model, as the threading contract asks.
//
//   orvane_python_floor derive|score DOCUMENT CASES.csv ROWS THREADS REPS [MODELTYPE...]
//
// CASES.csv: a header of field names, plain cells (no quoting), an empty cell
// is no value; its rows repeat up to ROWS. Prints rows per second of REPS
// batches: the median and the best by wall-clock time, and the median by the
// process's CPU time. Plug-ins are found on the loader's search path. As in
// the package, a document with a model of the named types derives through
// the model's own dictionaries; without one, through the document's.

#include <algorithm>
#include <chrono>
#include <cmath>
#include <ctime>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "orvane/orvane.h"

namespace {

using namespace MCOrvane_600;

struct Column {
  std::string name;
  bool text = false;
  std::vector<double> numbers;  // NaN: no value
  std::vector<std::string> texts;
  std::vector<char> present;
};

// One thread's share of an output column; texts allocated on the first one.
struct Output {
  std::vector<double> numbers;
  std::vector<std::string> texts;
};

// One thread's dictionaries or model.
struct Scorer {
  std::unique_ptr<ScoreModel> model;
  std::unique_ptr<ScoreDictionary> data;                // null when model is set
  std::unique_ptr<TransformationDictionary> derived;    // null when model is set
  std::unique_ptr<ScoreCaseRecord> result;
  std::vector<ResultAdvice> advice;

  const ScoreDictionary* Data() const { return model ? model->GetDictionary() : data.get(); }
  TransformationDictionary* Derived() const {
    return model ? model->GetTransformationDictionary() : derived.get();
  }
};

std::vector<std::string> Split(const std::string& line) {
  std::vector<std::string> cells;
  std::string cell;
  std::istringstream in(line);
  while (std::getline(in, cell, ',')) cells.push_back(cell);
  if (!line.empty() && line.back() == ',') cells.push_back("");
  return cells;
}

Scorer Load(const std::string& text, const std::vector<std::string>& names) {
  Scorer scorer;
  if (!names.empty()) {
    try {
      std::istringstream in(text);
      scorer.model.reset(ModelFactory::MakeModelFromXML(in, names, ""));
      scorer.result.reset(scorer.model->CreateResultRecord());
      return scorer;
    } catch (const OVException& e) {
      if (e.GetErrorMessage() != "Unsupported Model found!") throw;
    }
  }
  std::istringstream in(text);
  ScoreDictionary* data = nullptr;
  scorer.derived.reset(ModelFactory::GetTransformationDictionaryFromXML(in, data, ""));
  scorer.data.reset(data);
  return scorer;
}

void RunChunk(Scorer* scorer, bool score, const std::vector<Column>& columns,
              const std::vector<std::string>& out_names, size_t begin, size_t end,
              std::vector<Output>* out) {
  const ScoreDictionary* data = scorer->Data();
  CaseRecord record;
  for (const ScoreDictVar* var : data->GetScoreDictVars()) record.Add(var->GetName(), nullptr);
  for (size_t row = begin; row < end; ++row) {
    for (const Column& column : columns) {
      if (column.text) {
        if (!column.present[row]) {
          record.Add(column.name, nullptr);
        } else if (!record.SetValue(column.name, column.texts[row])) {
          record.Add(column.name, new StringValue(column.texts[row]));
        }
      } else if (std::isnan(column.numbers[row])) {
        record.Add(column.name, nullptr);
      } else if (!record.SetValue(column.name, column.numbers[row])) {
        record.Add(column.name, new NumericValue(column.numbers[row]));
      }
    }
    const ScoreCaseRecord* values;
    if (score) {
      scorer->model->Score(&record, scorer->result.get(), &scorer->advice);
      values = scorer->result.get();
    } else {
      values = scorer->Derived()->GetValuesForDeriedVars(&record, data);
    }
    for (size_t i = 0; i < out_names.size(); ++i) {
      const ScoreValue* value = values->Get(out_names[i]);
      Output& o = (*out)[i];
      const size_t at = row - begin;
      if (value == nullptr || value->IsSystemMissingValue()) {
        o.numbers[at] = std::nan("");
      } else if (value->GetType() == ScoreValue::kSTRING_VALUE) {
        if (o.texts.empty()) o.texts.resize(end - begin);
        o.texts[at] = value->GetString();
        o.numbers[at] = std::nan("");
      } else {
        o.numbers[at] = value->GetDouble();
      }
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 7) {
    std::cerr << "usage: orvane_python_floor derive|score DOCUMENT CASES ROWS THREADS REPS "
                 "[MODELTYPE...]\n";
    return 2;
  }
  const bool score = std::string(argv[1]) == "score";
  const size_t rows = std::stoul(argv[4]);
  const size_t threads = std::max(1, std::atoi(argv[5]));
  const int reps = std::max(1, std::atoi(argv[6]));
  const std::vector<std::string> names(argv + 7, argv + argc);
  try {
    std::ifstream doc(argv[2], std::ios::binary);
    std::ostringstream text;
    text << doc.rdbuf();
    std::vector<Scorer> scorers;
    for (size_t t = 0; t < threads; ++t) scorers.push_back(Load(text.str(), names));
    const Scorer& first = scorers.front();
    const ScoreDictionary* data = first.Data();
    if (score && !first.model) throw std::runtime_error("the document has no model to score");
    std::vector<std::string> out_names;
    if (score) {
      for (const ScoreDictVar* var : first.model->GetResultDictionary()->GetScoreDictVars()) {
        out_names.push_back(var->GetName());
      }
    } else {
      out_names = first.Derived()->GetDerivedVarNames();
    }

    // Decode the cases once, as the Python side hands over decoded columns.
    std::ifstream cases(argv[3]);
    std::string line;
    std::getline(cases, line);
    std::vector<std::string> header = Split(line);
    std::vector<std::vector<std::string>> lines;
    while (std::getline(cases, line)) {
      if (!line.empty()) lines.push_back(Split(line));
    }
    std::vector<Column> columns;
    for (size_t c = 0; c < header.size(); ++c) {
      const ScoreDictVar* var = data->GetVar(header[c]);
      if (var == nullptr) continue;
      Column column;
      column.name = header[c];
      column.text = var->GetVarType() == ScoreDictVar::kSTRING_VAR;
      for (size_t row = 0; row < rows; ++row) {
        const std::vector<std::string>& cells = lines[row % lines.size()];
        const std::string cell = c < cells.size() ? cells[c] : std::string();
        if (column.text) {
          column.texts.push_back(cell);
          column.present.push_back(!cell.empty());
        } else {
          column.numbers.push_back(cell.empty() ? std::nan("") : std::stod(cell));
        }
      }
      columns.push_back(std::move(column));
    }

    std::vector<double> rates;
    std::vector<double> cpu_rates;
    for (int rep = 0; rep < reps; ++rep) {
      const std::clock_t cpu_start = std::clock();
      const auto start = std::chrono::steady_clock::now();
      std::vector<std::vector<Output>> out(threads);
      for (size_t t = 0; t < threads; ++t) {
        out[t].resize(out_names.size());
        for (Output& o : out[t]) o.numbers.resize(rows * (t + 1) / threads - rows * t / threads);
      }
      std::vector<std::thread> helpers;
      for (size_t t = 1; t < threads; ++t) {
        helpers.emplace_back(RunChunk, &scorers[t], score, std::cref(columns),
                             std::cref(out_names),
                             rows * t / threads, rows * (t + 1) / threads, &out[t]);
      }
      RunChunk(&scorers[0], score, columns, out_names, 0, rows / threads, &out[0]);
      for (std::thread& helper : helpers) helper.join();
      const double seconds =
          std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
      rates.push_back(rows / seconds);
      cpu_rates.push_back(rows / (static_cast<double>(std::clock() - cpu_start) / CLOCKS_PER_SEC));
    }
    std::sort(rates.begin(), rates.end());
    std::sort(cpu_rates.begin(), cpu_rates.end());
    std::printf("%.1f %.1f %.1f\n", rates[rates.size() / 2], rates.back(),
                cpu_rates[cpu_rates.size() / 2]);
  } catch (const OVException& e) {
    std::cerr << "error " << e.GetErrorCode() << ": " << e.GetErrorMessage() << "\n";
    return 1;
  } catch (const std::exception& e) {
    std::cerr << "error: " << e.what() << "\n";
    return 1;
  }
  return 0;
}
