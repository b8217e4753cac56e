#ifndef ORVANE_BENCH_BENCH_SUPPORT_H_
#define ORVANE_BENCH_BENCH_SUPPORT_H_

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "orvane/dictionary/case_record.h"
#include "orvane/dictionary/score_dictionary.h"
#include "orvane/transform/transformation_dictionary.h"

// What the benchmark programs share: the generated cases decoded once, the
// host's per-case filling of a case record, and the process's memory figures.
namespace orvane_bench {

// One input cell, decoded once before any timing: a number for a numeric
// field, a text otherwise; an empty CSV cell is missing.
struct Cell {
  enum Kind { kMissing, kNumber, kText };
  Kind kind = kMissing;
  double number = 0;
  std::string text;
};

// The cases of a generator CSV, decoded against a data dictionary. Columns
// the dictionary does not know are dropped.
struct Cases {
  std::vector<std::string> names;       // one per kept column
  std::vector<std::vector<Cell>> rows;  // one cell per kept column
};

// Exits the process with a message when the file cannot be read.
Cases ReadCases(const std::string& path, const MCOrvane_600::ScoreDictionary& data);

// Adds every column name to `record` without a value, as a host does once.
void PrepareRecord(const Cases& cases, MCOrvane_600::ScoreCaseRecord* record);

// What a host does for every case: each number and text goes in with
// SetValue, a missing cell leaves its name without a value.
void FillRecord(const Cases& cases, std::size_t row, MCOrvane_600::ScoreCaseRecord* record);

// A loaded document: its data dictionary and its transformation dictionary,
// both owned. Exits the process with the library's message on failure.
struct Loaded {
  std::unique_ptr<MCOrvane_600::ScoreDictionary> data;
  std::unique_ptr<MCOrvane_600::TransformationDictionary> derived;
};
// `standard`: read as standard PMML (PMMLReadOptions::standardPMML).
Loaded LoadDocument(const std::string& path, bool standard = false);

// Share of the derived values of `derived` that are missing (or absent)
// for the case last computed; a sanity figure, so that a benchmark that
// computes nothing is noticed.
double MissingShare(const MCOrvane_600::TransformationDictionary& derived);

// Resident set size and its peak (VmHWM) of this process, in bytes.
std::size_t ResidentBytes();
std::size_t PeakResidentBytes();
// Bytes the C allocator has handed out and not yet been given back.
std::size_t HeapInUseBytes();

// "--name=value" from argv; `fallback` when absent.
std::string Flag(int argc, char** argv, const std::string& name, const std::string& fallback);
// Every value of a repeated "--name=value".
std::vector<std::string> Flags(int argc, char** argv, const std::string& name);

}  // namespace orvane_bench

#endif  // ORVANE_BENCH_BENCH_SUPPORT_H_
