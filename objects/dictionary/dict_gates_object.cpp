// The gate types of the dictionary.
#include "objects/core/describe_list.h"
#include "objects/dictionary/dict_gates_object.h"
#include "objects/dictionary/dictionary_rules.h"

namespace vorlane {

DictGatesObject::DictGatesObject() : RowListCollection(kDictionaryRules) {}

const com::TypeInfo& DictGates::DispatchInfo() {
  using L = DictGates;
  static const com::TypeInfo info = DescribeList<L>("_DictGates")
                                        .Method("Refresh", &L::Refresh, {com::Optional("DeepRefresh", false)})
                                        .Build();
  return info;
}

}  // namespace vorlane
