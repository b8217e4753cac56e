#ifndef ORVANE_PYTHON_BATCH_H_
#define ORVANE_PYTHON_BATCH_H_

// The Python package's engine, free of Python: a loaded document with one
// scorer per thread, and the batches of decoded columns it computes. The
// bindings convert Python objects to these columns while they hold the
// interpreter lock and run batches without it.

#include <cstdint>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <vector>

#include "orvane/orvane.h"

namespace orvane_python {

// A fault this package finds itself (an unreadable file, a refused case):
// orvane.Error without a library code.
class Fault : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// One input column, decoded for its field. Numeric and date/time fields
// read `numbers` (NaN: no value): for date/time fields stored seconds (since
// 1970-01-01, or since midnight for times of day), or with `typed` numbers
// written as the field's date/time type says. String fields read `texts`,
// where `present[i]` false means no value.
struct InputColumn {
  std::string name;
  MCOrvane_600::ScoreDictVar::VariableType var_type = MCOrvane_600::ScoreDictVar::kNUMERIC_VAR;
  MCOrvane_600::ScoreDictVar::DateTimeType datetime_type = MCOrvane_600::ScoreDictVar::kNO_DATETIME;
  const double* numbers = nullptr;  // lent; one per row; null for texts
  bool typed = false;
  std::vector<std::string> texts;
  std::vector<char> present;
};

// One output column: each row's value as the library gave it. Rows come in
// contiguous chunks, one per thread; texts are kept by chunk, allocated on a
// chunk's first text, so that a column of numbers costs no strings and each
// thread writes only its own.
struct OutputColumn {
  enum Cell : uint8_t { kMissing = 0, kNumber = 1, kText = 2, kDateTime = 3 };

  std::string name;
  std::vector<uint8_t> cells;   // a Cell per row
  std::vector<double> numbers;  // kNumber: the number; kDateTime: stored seconds; else NaN
  std::vector<int8_t> kinds;    // kDateTime: DateTimeValue::DateTimeValType

  // `begins`: the first row of each chunk, ascending, the first 0.
  void Resize(size_t rows, const std::vector<size_t>& begins);
  void Put(size_t chunk, size_t row, const MCOrvane_600::ScoreValue* value);
  // The text of a kText row.
  const std::string& Text(size_t row) const;
  // True when every non-missing cell is `cell`.
  bool Only(Cell cell) const;

 private:
  std::vector<size_t> begins_;
  std::vector<std::vector<std::string>> texts_;  // by chunk, row - begin
};

// A document loaded for scoring: the data dictionary shared by all threads,
// and a pool of scorers, each a model (or, for a document without a model
// that the names serve, a transformation dictionary) used by one thread at a
// time. Loading goes through one process-wide lock: factory calls are
// serialised.
class Document {
 public:
  // Reads `path` and loads the first scorer; throws OVException, or Fault
  // when the file cannot be read or has no data dictionary.
  Document(const std::string& path, const std::vector<std::string>& model_names,
           bool standard_pmml);
  ~Document();
  Document(const Document&) = delete;
  Document& operator=(const Document&) = delete;

  bool HasModel() const;
  std::string ModelType() const;
  // The fields, lent while this document lives. Read derived and result
  // fields before the first Run: a running scorer writes its derived
  // variables. Input fields (the data dictionary) may be read at any time.
  std::vector<const MCOrvane_600::ScoreDictVar*> InputFields() const;
  // Null for a name the data dictionary lacks.
  const MCOrvane_600::ScoreDictVar* InputField(const std::string& name) const;
  // In document order.
  std::vector<const MCOrvane_600::ScoreDictVar*> DerivedFields() const;
  // In name order; empty without a model.
  std::vector<const MCOrvane_600::ScoreDictVar*> ResultFields() const;

  // Computes `rows` cases on up to `threads` threads, in contiguous chunks of
  // rows, into `out`: one column per result field of the model (`score`) or
  // per derived field, rows in order. Throws the first exception a thread
  // met (OVException, or Fault for a case the model refuses).
  void Run(const std::vector<InputColumn>& columns, size_t rows, bool score, int threads,
           std::vector<OutputColumn>* out);

 private:
  struct Scorer;

  std::unique_ptr<Scorer> Load();
  std::unique_ptr<Scorer> Acquire();
  void Release(std::unique_ptr<Scorer> scorer);
  void RunChunk(Scorer* scorer, const std::vector<InputColumn>& columns, size_t chunk,
                size_t begin, size_t end, bool score, std::vector<OutputColumn>* out);

  std::string text_;  // the document, read once, parsed once per scorer
  std::vector<std::string> model_names_;
  bool standard_pmml_;
  bool has_model_ = false;
  std::string model_type_;
  const Scorer* described_ = nullptr;  // the first scorer, lent by the pool: describes fields
  std::mutex pool_mutex_;
  std::vector<std::unique_ptr<Scorer>> pool_;  // idle scorers; every scorer returns here
};

}  // namespace orvane_python

#endif  // ORVANE_PYTHON_BATCH_H_
