#include "batch.h"


#include <algorithm>
#include <cmath>
#include <exception>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace orvane_python {

using MCOrvane_600::CaseRecord;
using MCOrvane_600::DateTimeValue;
using MCOrvane_600::ModelFactory;
using MCOrvane_600::NumericValue;
using MCOrvane_600::OVException;
using MCOrvane_600::PMMLReadOptions;
using MCOrvane_600::ScoreCaseRecord;
using MCOrvane_600::ScoreDictionary;
using MCOrvane_600::ScoreDictVar;
using MCOrvane_600::ScoreModel;
using MCOrvane_600::ScoreValue;
using MCOrvane_600::StringValue;
using MCOrvane_600::TransformationDictionary;

namespace {

// Fewer rows than this per thread are not worth another scorer.
constexpr size_t kMinRowsPerChunk = 64;

// Factory calls initialise and terminate Xerces: one at a time per process.
std::mutex& FactoryMutex() {
  static std::mutex mutex;
  return mutex;
}

bool IsNoModel(const OVException& e) {
  return e.GetErrorCode() == OVException::kCodeUnsupported &&
         e.GetErrorMessage() == "Unsupported Model found!";
}

}  // namespace

uint32_t TextTable::Code(const std::string& text) {
  if (last_ < texts_.size() && texts_[last_] == text) return last_;
  auto found = index_.find(text);
  if (found == index_.end()) {
    found = index_.emplace(text, static_cast<uint32_t>(texts_.size())).first;
    texts_.push_back(text);
  }
  return last_ = found->second;
}

void OutputColumn::Resize(size_t row_count, const std::vector<size_t>& begins) {
  // Left unset: the batch writes every row.
  rows = row_count;
  cells.reset(new uint8_t[rows]);
  numbers.reset(new double[rows]);
  kinds.reset(new int8_t[rows]);
  codes.reset(new uint32_t[rows]);
  begins_ = begins;
  tables_.assign(begins.size(), TextTable());
  seen_.assign(begins.size(), 0);
}

size_t OutputColumn::End(size_t chunk) const {
  return chunk + 1 < begins_.size() ? begins_[chunk + 1] : rows;
}

void OutputColumn::Put(size_t chunk, size_t row, const ScoreValue* value) {
  Cell cell = kText;
  double number = std::nan("");
  if (value == nullptr || value->IsSystemMissingValue()) {
    cell = kMissing;
  } else if (value->GetType() == ScoreValue::kNUMERIC_VALUE) {
    cell = kNumber;
    number = value->GetDouble();
  } else if (value->GetType() == ScoreValue::kDATETIME_VALUE) {
    cell = kDateTime;
    number = value->GetDouble();
    kinds[row] = static_cast<int8_t>(static_cast<const DateTimeValue*>(value)->GetDateTimeType());
  } else {
    codes[row] = tables_[chunk].Code(value->GetString());
  }
  cells[row] = cell;
  numbers[row] = number;
  const uint8_t bit = static_cast<uint8_t>(1u << cell);
  if ((seen_[chunk] & bit) == 0) seen_[chunk] |= bit;  // written rarely: chunks share the line
}

bool OutputColumn::Only(Cell cell) const {
  uint8_t seen = 0;
  for (uint8_t chunk_seen : seen_) seen |= chunk_seen;
  return (seen & ~((1u << kMissing) | (1u << cell))) == 0;
}

// One thread's means of computing cases; owns everything it uses.
struct Document::Scorer {
  std::unique_ptr<ScoreModel> model;
  std::unique_ptr<ScoreDictionary> owned_data;
  std::unique_ptr<TransformationDictionary> owned_derived;
  const ScoreDictionary* data = nullptr;      // lent by the model or owned_data
  TransformationDictionary* derived = nullptr;  // lent by the model or owned_derived; may be null
  std::unique_ptr<ScoreCaseRecord> result;    // the model's result record
  std::vector<MCOrvane_600::ResultAdvice> advice;
  CaseRecord input;                           // every data field, filled per case
  std::vector<std::string> derived_names;
  std::vector<std::string> result_names;
};

Document::Document(const std::string& path, const std::vector<std::string>& model_names,
                   bool standard_pmml)
    : model_names_(model_names), standard_pmml_(standard_pmml) {
  std::ifstream file(path, std::ios::binary);
  if (!file) throw Fault(path + ": cannot open the document");
  std::ostringstream text;
  text << file.rdbuf();
  text_ = text.str();
  has_model_ = !model_names_.empty();
  std::unique_ptr<Scorer> first;
  try {
    first = Load();
  } catch (const OVException& e) {
    if (!has_model_ || !IsNoModel(e)) throw;
    has_model_ = false;  // no model type of the names: the dictionaries alone
    first = Load();
  }
  described_ = first.get();
  if (has_model_) model_type_ = first->model->GetModelType();
  pool_.push_back(std::move(first));
}

Document::~Document() = default;

std::unique_ptr<Document::Scorer> Document::Load() {
  std::unique_ptr<Scorer> scorer(new Scorer());
  {
    std::lock_guard<std::mutex> lock(FactoryMutex());
    std::istringstream in(text_);
    if (has_model_) {
      scorer->model.reset(ModelFactory::MakeModelFromXML(in, model_names_, ""));
    } else {
      ScoreDictionary* data = nullptr;
      PMMLReadOptions options;
      options.standardPMML = standard_pmml_;
      scorer->owned_derived.reset(
          ModelFactory::GetTransformationDictionaryFromXML(in, data, "", options));
      scorer->owned_data.reset(data);
    }
  }
  if (has_model_) {
    ScoreModel* model = scorer->model.get();
    if (model == nullptr || model->GetDictionary() == nullptr ||
        model->GetResultDictionary() == nullptr) {
      throw Fault("the plug-in built no model that can score");
    }
    scorer->data = model->GetDictionary();
    scorer->derived = model->GetTransformationDictionary();
    scorer->result.reset(model->CreateResultRecord());
    for (const ScoreDictVar* var : model->GetResultDictionary()->GetScoreDictVars()) {
      scorer->result_names.push_back(var->GetName());
    }
  } else {
    if (scorer->owned_data == nullptr) {
      throw Fault("not a PMML document with a data dictionary");
    }
    scorer->data = scorer->owned_data.get();
    scorer->derived = scorer->owned_derived.get();
  }
  if (scorer->derived != nullptr) scorer->derived_names = scorer->derived->GetDerivedVarNames();
  for (const ScoreDictVar* var : scorer->data->GetScoreDictVars()) {
    scorer->input.Add(var->GetName(), nullptr);
  }
  return scorer;
}

bool Document::HasModel() const { return has_model_; }

std::string Document::ModelType() const { return model_type_; }

std::vector<const ScoreDictVar*> Document::InputFields() const {
  std::vector<ScoreDictVar*> vars = described_->data->GetScoreDictVars();
  return std::vector<const ScoreDictVar*>(vars.begin(), vars.end());
}

const ScoreDictVar* Document::InputField(const std::string& name) const {
  return described_->data->GetVar(name);
}

std::vector<const ScoreDictVar*> Document::DerivedFields() const {
  std::vector<const ScoreDictVar*> fields;
  for (const std::string& name : described_->derived_names) {
    const ScoreDictVar* var = described_->derived->GetVar(name);
    if (var != nullptr) fields.push_back(var);
  }
  return fields;
}

std::vector<const ScoreDictVar*> Document::ResultFields() const {
  std::vector<const ScoreDictVar*> fields;
  if (!has_model_) return fields;
  const ScoreDictionary* results = described_->model->GetResultDictionary();
  for (const std::string& name : described_->result_names) fields.push_back(results->GetVar(name));
  return fields;
}

std::unique_ptr<Document::Scorer> Document::Acquire() {
  std::lock_guard<std::mutex> lock(pool_mutex_);
  if (pool_.empty()) return nullptr;
  std::unique_ptr<Scorer> scorer = std::move(pool_.back());
  pool_.pop_back();
  return scorer;
}

void Document::Release(std::unique_ptr<Scorer> scorer) {
  std::lock_guard<std::mutex> lock(pool_mutex_);
  pool_.push_back(std::move(scorer));
}

void Document::Run(const std::vector<InputColumn>& columns, size_t rows, bool score, int threads,
                   std::vector<OutputColumn>* out) {
  if (score && !has_model_) throw Fault("the document has no model to score");
  const std::vector<std::string>& names =
      score ? described_->result_names : described_->derived_names;
  const size_t chunks = std::max<size_t>(
      1, std::min<size_t>(threads < 1 ? 1 : threads, rows / kMinRowsPerChunk));
  std::vector<size_t> begins;
  for (size_t c = 0; c < chunks; ++c) begins.push_back(rows * c / chunks);
  out->clear();
  out->resize(names.size());
  for (size_t i = 0; i < names.size(); ++i) {
    (*out)[i].name = names[i];
    (*out)[i].Resize(rows, begins);
  }
  if (rows == 0) return;

  // Scorers go back to the pool however the batch ends, last first, so that
  // the next batch hands each chunk the scorer it had: a scorer moved to
  // another thread frees there what its old thread allocated, and the two
  // threads then contend for the allocator (a batch ran 1.9x slower).
  struct Lease {
    Document* document;
    std::vector<std::unique_ptr<Scorer>> scorers;
    ~Lease() {
      for (auto scorer = scorers.rbegin(); scorer != scorers.rend(); ++scorer) {
        if (*scorer != nullptr) document->Release(std::move(*scorer));
      }
    }
  } lease{this, {}};
  for (size_t c = 0; c < chunks; ++c) lease.scorers.push_back(Acquire());

  std::vector<std::exception_ptr> errors(chunks);
  auto work = [&](size_t c) {
    try {
      // A new scorer is loaded by the thread that uses it: its memory then
      // comes from that thread's allocator arena, not from beside the other
      // threads' scorers (neighbours written by two threads slowed whole
      // runs of batches by a fifth).
      if (lease.scorers[c] == nullptr) lease.scorers[c] = Load();
      RunChunk(lease.scorers[c].get(), columns, c, begins[c],
               c + 1 < chunks ? begins[c + 1] : rows, score, out);
    } catch (...) {
      errors[c] = std::current_exception();
    }
  };
  std::vector<std::thread> helpers;
  for (size_t c = 1; c < chunks; ++c) helpers.emplace_back(work, c);
  work(0);
  for (std::thread& helper : helpers) helper.join();
  for (const std::exception_ptr& error : errors) {
    if (error) std::rethrow_exception(error);
  }
}

void Document::RunChunk(Scorer* scorer, const std::vector<InputColumn>& columns, size_t chunk,
                        size_t begin, size_t end, bool score, std::vector<OutputColumn>* out) {
  CaseRecord& record = scorer->input;
  const std::vector<std::string>& names = score ? scorer->result_names : scorer->derived_names;
  std::string text;  // an input text, its storage reused row after row
  for (size_t row = begin; row < end; ++row) {
    for (const InputColumn& column : columns) {
      const std::string& name = column.name;
      if (column.numbers == nullptr) {
        if (!column.texts->Read(row, &text)) {
          record.Add(name, nullptr);
        } else if (!record.SetValue(name, text)) {
          record.Add(name, new StringValue(text));
        }
        continue;
      }
      const double x = column.numbers[row];
      if (std::isnan(x)) {
        record.Add(name, nullptr);
      } else if (column.var_type != ScoreDictVar::kDATETIME_VAR) {
        if (!record.SetValue(name, x)) record.Add(name, new NumericValue(x));
      } else if (column.typed) {
        record.Add(name, new DateTimeValue(x, column.datetime_type));
      } else {
        record.Add(name, new DateTimeValue(x, DateTimeValue::GetValType(column.datetime_type)));
      }
    }
    const ScoreCaseRecord* values = nullptr;
    if (score) {
      if (!scorer->model->Score(&record, scorer->result.get(), &scorer->advice)) {
        throw Fault("row " + std::to_string(row) + ": the model refused the case");
      }
      values = scorer->result.get();
    } else if (scorer->derived != nullptr) {
      values = scorer->derived->GetValuesForDeriedVars(&record, scorer->data);
    }
    for (size_t i = 0; i < names.size(); ++i) {
      (*out)[i].Put(chunk, row, values != nullptr ? values->Get(names[i]) : nullptr);
    }
  }
}

}  // namespace orvane_python
