// A nearest-neighbour plug-in: its translator reads the model document from
// the stream itself, and it keeps its one translator for the life of the
// process (the factory does not destroy it).

#include <iterator>
#include <sstream>
#include <string>

#include "live_counts.h"
#include "orvane/translate/base_translator.h"
#include "plugin_model.h"

namespace orvane_test_plugin {
namespace {

class NearestNeighborTranslator : public MCOrvane_600::BaseTranslator, private CountedTranslator {
 public:
  using MCOrvane_600::BaseTranslator::ParseFromTree;

  MCOrvane_600::ScoreModel* ParseFromTree(xercesc::DOMDocument*, const std::string&) override {
    return nullptr;
  }

  // Describes what it read: the byte count, the first line, and both arguments.
  MCOrvane_600::ScoreModel* ParseFromTree(std::istream& in, const std::string& arg1,
                                          const std::string& arg2) override {
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::ostringstream description;
    description << "bytes=" << text.size() << " first-line=" << text.substr(0, text.find('\n'))
                << " arg1=" << arg1 << " arg2=" << arg2;
    return new EchoModel("NearestNeighborModel", description.str());
  }
};

}  // namespace
}  // namespace orvane_test_plugin

ORVANE_PLUGIN_EXPORT MCOrvane_600::ScoreTranslator* GiveMyTranslator() {
  static orvane_test_plugin::NearestNeighborTranslator translator;
  return &translator;
}
