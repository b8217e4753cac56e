// A library that is no plug-in: it lacks "GiveMyTranslator".

#include "orvane/translate/plugin_library.h"

ORVANE_PLUGIN_EXPORT int GiveMyTranslatorMissing() { return 0; }
