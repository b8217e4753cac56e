#include "live_counts.h"

namespace orvane_test_plugin {
namespace {

int live_translators = 0;
int live_models = 0;

}  // namespace

void AddLiveTranslators(int delta) { live_translators += delta; }
void AddLiveModels(int delta) { live_models += delta; }

}  // namespace orvane_test_plugin

int OrvaneTestLiveTranslators() { return orvane_test_plugin::live_translators; }
int OrvaneTestLiveModels() { return orvane_test_plugin::live_models; }
