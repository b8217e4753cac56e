#ifndef ORVANE_PYTHON_BATCH_H_
#define ORVANE_PYTHON_BATCH_H_

// The Python package's engine, free of Python: a loaded document with one
// scorer per thread, and the batches of columns it computes. The bindings
// lend Python's buffers as these columns and run batches without the
// interpreter lock: every row is read and written by the thread of its chunk.

#include <cstdint>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <unordered_map>
#include <vector>

#include "orvane/orvane.h"

namespace orvane_python {

// A fault this package finds itself (an unreadable file, a refused case):
// orvane.Error without a library code.
class Fault : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The texts of one input column, read by the threads of a batch, each for
// its own rows, while no interpreter lock is held.
class TextSource {
 public:
  virtual ~TextSource() = default;
  // Puts the text of `row` into *text; false when the row has no value.
  virtual bool Read(size_t row, std::string* text) const = 0;
};

// One input column, decoded for its field. Numeric and date/time fields
// read `numbers` (NaN: no value): for date/time fields stored seconds (since
// 1970-01-01, or since midnight for times of day), or with `typed` numbers
// written as the field's date/time type says. String fields read `texts`.
struct InputColumn {
  std::string name;
  MCOrvane_600::ScoreDictVar::VariableType var_type = MCOrvane_600::ScoreDictVar::kNUMERIC_VAR;
  MCOrvane_600::ScoreDictVar::DateTimeType datetime_type = MCOrvane_600::ScoreDictVar::kNO_DATETIME;
  const double* numbers = nullptr;     // lent; one per row; null for texts
  const TextSource* texts = nullptr;   // lent; null for numbers
  bool typed = false;
};

// The distinct texts of one chunk of an output column, numbered in order of
// first use, so that a column of category labels keeps a few strings rather
// than one a row. A cache line of its own: each thread updates its chunk's.
class alignas(64) TextTable {
 public:
  uint32_t Code(const std::string& text);
  const std::vector<std::string>& texts() const { return texts_; }

 private:
  std::vector<std::string> texts_;
  std::unordered_map<std::string, uint32_t> index_;  // each text's code
  uint32_t last_ = 0;                                // the code given last
};

// One output column: each row's value as the library gave it. Rows come in
// contiguous chunks, one per thread, each thread writing only its own rows
// and its own chunk's text table. Every row is written by the batch.
struct OutputColumn {
  enum Cell : uint8_t { kMissing = 0, kNumber = 1, kText = 2, kDateTime = 3 };

  std::string name;
  size_t rows = 0;                    // of the batch
  std::unique_ptr<uint8_t[]> cells;   // a Cell per row
  std::unique_ptr<double[]> numbers;  // kNumber: the number; kDateTime: stored seconds; else NaN
  std::unique_ptr<int8_t[]> kinds;    // kDateTime: DateTimeValue::DateTimeValType
  std::unique_ptr<uint32_t[]> codes;  // kText: the text's code in its chunk's table

  // `begins`: the first row of each chunk, ascending, the first 0.
  void Resize(size_t rows, const std::vector<size_t>& begins);
  void Put(size_t chunk, size_t row, const MCOrvane_600::ScoreValue* value);
  size_t Chunks() const { return begins_.size(); }
  size_t Begin(size_t chunk) const { return begins_[chunk]; }
  size_t End(size_t chunk) const;
  // The texts of a chunk, by code.
  const std::vector<std::string>& Texts(size_t chunk) const { return tables_[chunk].texts(); }
  // True when every non-missing cell is `cell`.
  bool Only(Cell cell) const;

 private:
  std::vector<size_t> begins_;
  std::vector<TextTable> tables_;  // by chunk
  std::vector<uint8_t> seen_;      // by chunk: a bit for each Cell put
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
  std::unique_ptr<Scorer> Acquire();  // an idle scorer, or null when none is idle
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
