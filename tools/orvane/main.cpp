// orvane: reads a model document and shows the library at work on it.
#include <unistd.h>

#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "orvane/commands.h"

namespace {

const char kUsage[] =
    "usage: orvane derive DOCUMENT [CASES] [--format csv|jsonl] [-o FILE]\n"
    "       orvane describe DOCUMENT [--raw]\n"
    "       orvane score DOCUMENT CASES --models FILE [-o FILE]\n"
    "       orvane --help | --version\n"
    "\n"
    "derive    computes every derived field of the document's TransformationDictionary\n"
    "          for each case of CASES (CSV with a header row of field names; an empty\n"
    "          cell is no value; '-' or no CASES reads standard input) and writes the\n"
    "          input columns and the derived fields, CSV or JSON Lines\n"
    "describe  summarises the data dictionary and the derived fields; --raw prints\n"
    "          the library's own dumps\n"
    "score     loads the model through its plug-in (names file FILE) and writes each\n"
    "          case's result and advice\n"
    "-o FILE   writes to FILE, which appears only when the output is complete\n";

int UsageError(const std::string& why) {
  std::cerr << "orvane: " << why << "\n" << kUsage;
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  std::ios::sync_with_stdio(false);
  orvane_cli::Options options;
  std::vector<std::string> positional;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    auto value = [&](const char* flag) -> const char* {
      if (i + 1 >= argc) return nullptr;
      (void)flag;
      return argv[++i];
    };
    if (arg == "--help" || arg == "-h") {
      std::cout << kUsage;
      return 0;
    } else if (arg == "--version") {
      std::cout << "orvane " ORVANE_VERSION "\n";
      return 0;
    } else if (arg == "--raw") {
      options.raw = true;
    } else if (arg == "--format") {
      const char* v = value("--format");
      if (v == nullptr) return UsageError("--format needs a value");
      if (std::strcmp(v, "csv") == 0) {
        options.format = orvane_cli::Format::kCsv;
      } else if (std::strcmp(v, "jsonl") == 0) {
        options.format = orvane_cli::Format::kJsonLines;
      } else {
        return UsageError(std::string("unknown format '") + v + "'");
      }
    } else if (arg == "--models") {
      const char* v = value("--models");
      if (v == nullptr) return UsageError("--models needs a file");
      options.models_file = v;
    } else if (arg == "-o" || arg == "--output") {
      const char* v = value("-o");
      if (v == nullptr) return UsageError("-o needs a file");
      options.output = v;
    } else if (arg.size() > 1 && arg[0] == '-') {
      return UsageError("unknown option '" + arg + "'");
    } else {
      positional.push_back(arg);
    }
  }
  if (positional.empty()) return UsageError("no command");
  const std::string command = positional[0];
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
    if (options.models_file.empty()) return UsageError("score: needs --models FILE");
    return orvane_cli::RunScore(options, std::cout, std::cerr);
  }
  return UsageError("unknown command '" + command + "'");
}
