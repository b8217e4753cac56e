// orvane: reads a model document and shows the library at work on it.
#include <unistd.h>

#include <iostream>
#include <string>

#include <CLI/CLI.hpp>

#include "orvane/commands.h"

namespace {

const char kUsage[] =
    "usage: orvane derive DOCUMENT [CASES] [--format csv|jsonl] [-o FILE] [--standard-pmml]\n"
    "       orvane describe DOCUMENT [--raw] [--standard-pmml]\n"
    "       orvane score DOCUMENT CASES [--models FILE] [-o FILE]\n"
    "       orvane --help | --version\n"
    "\n"
    "derive    computes every derived field of the document's TransformationDictionary\n"
    "          for each case of CASES (CSV with a header row of field names; an empty\n"
    "          cell is no value; '-' or no CASES reads standard input) and writes the\n"
    "          input columns and the derived fields, CSV or JSON Lines\n"
    "describe  summarises the data dictionary and the derived fields; --raw prints\n"
    "          the library's own dumps\n"
    "score     loads the model through its plug-in and writes each case's input\n"
    "          columns, result fields and advice; the shipped plug-ins serve it unless\n"
    "          --models names another names file\n"
    "--standard-pmml  reads the document as standard PMML 4.4\n"
    "-o FILE   writes to FILE, which appears only when the output is complete\n";

int UsageError(const std::string& why) {
  std::cerr << "orvane: " << why << "\n" << kUsage;
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  std::ios::sync_with_stdio(false);
  orvane_cli::Options options;
  std::string command;
  std::string format = "csv";
  bool help = false;
  bool version = false;

  CLI::App app("orvane");
  app.set_help_flag();  // the tool's own usage text
  app.add_flag("-h,--help", help);
  app.add_flag("--version", version);
  app.add_flag("--raw", options.raw);
  app.add_flag("--standard-pmml", options.standard_pmml);
  app.add_option("--format", format);
  app.add_option("--models", options.models_file);
  app.add_option("-o,--output", options.output);
  std::vector<std::string> positional;
  app.add_option("words", positional);
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    return UsageError(e.what());
  }
  if (help) {
    std::cout << kUsage;
    return 0;
  }
  if (version) {
    std::cout << "orvane " ORVANE_VERSION "\n";
    return 0;
  }
  if (format == "csv") {
    options.format = orvane_cli::Format::kCsv;
  } else if (format == "jsonl") {
    options.format = orvane_cli::Format::kJsonLines;
  } else {
    return UsageError("unknown format '" + format + "'");
  }
  if (positional.empty()) return UsageError("no command");
  command = positional[0];
  if (positional.size() < 2) return UsageError(command + ": no DOCUMENT");
  options.document = positional[1];
  options.cases = positional.size() > 2 ? positional[2] : "-";
  options.progress = !isatty(STDOUT_FILENO) && isatty(STDERR_FILENO);

  if (command == "derive") {
    if (positional.size() > 3) return UsageError("derive: too many arguments");
    return orvane_cli::RunDerive(options, std::cout, std::cerr);
  }
  if (command == "describe") {
    if (positional.size() > 2) return UsageError("describe: too many arguments");
    return orvane_cli::RunDescribe(options, std::cout, std::cerr);
  }
  if (command == "score") {
    if (positional.size() != 3) return UsageError("score: needs DOCUMENT and CASES");
    return orvane_cli::RunScore(options, std::cout, std::cerr);
  }
  return UsageError("unknown command '" + command + "'");
}
