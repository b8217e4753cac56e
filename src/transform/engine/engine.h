#ifndef ORVANE_SRC_TRANSFORM_ENGINE_ENGINE_H_
#define ORVANE_SRC_TRANSFORM_ENGINE_ENGINE_H_

// The evaluation engine as the object model sees it: this is the one header
// of src/transform/engine/ that the dictionaries and variables include. Plans,
// programs, the general walk and the fast lane stay behind it.

namespace MCOrvane_600 {

class ScoreCaseRecord;
class ScoreDictionary;
class TransformationDictionary;

namespace internal {

class Engine {
 public:
  // Computes, in document order, every derived name of `owner` that is not
  // stored yet for the case in `record`, into owner's derived record. Names
  // are resolved against `data` (may be null) first, then against `owner`.
  static void DeriveCase(TransformationDictionary& owner, const ScoreCaseRecord& record,
                         const ScoreDictionary* data);
};

}  // namespace internal
}  // namespace MCOrvane_600

#endif  // ORVANE_SRC_TRANSFORM_ENGINE_ENGINE_H_
