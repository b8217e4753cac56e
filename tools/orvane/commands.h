#ifndef ORVANE_TOOLS_COMMANDS_H_
#define ORVANE_TOOLS_COMMANDS_H_

#include <iosfwd>
#include <string>

#include "orvane/row_writer.h"

namespace orvane_cli {

struct Options {
  std::string document;
  std::string cases;        // "-" for standard input
  std::string output;       // empty for standard output
  std::string models_file;  // names file of `score`; empty: the shipped plug-ins
  Format format = Format::kCsv;
  bool raw = false;
  bool standard_pmml = false;  // read the document as standard PMML 4.4
  bool progress = false;    // report progress on `err`
};

// Each command writes its result to `out` and one line per failure to `err`,
// and returns the process exit status: 0 on success, 1 on bad input.
int RunDerive(const Options& options, std::ostream& out, std::ostream& err);
int RunDescribe(const Options& options, std::ostream& out, std::ostream& err);
int RunScore(const Options& options, std::ostream& out, std::ostream& err);

}  // namespace orvane_cli

#endif  // ORVANE_TOOLS_COMMANDS_H_
