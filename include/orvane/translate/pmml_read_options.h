#ifndef ORVANE_TRANSLATE_PMML_READ_OPTIONS_H_
#define ORVANE_TRANSLATE_PMML_READ_OPTIONS_H_

namespace MCOrvane_600 {

// How the PMML readers read a document. The default is the library's own
// dialect, exactly as it has always been read.
struct PMMLReadOptions {
  // Read standard PMML 4.4: its built-in functions, DefineFunction, every
  // expression kind, several Intervals per DataField, an empty
  // TransformationDictionary.
  bool standardPMML = false;
};

}  // namespace MCOrvane_600

#endif  // ORVANE_TRANSLATE_PMML_READ_OPTIONS_H_
