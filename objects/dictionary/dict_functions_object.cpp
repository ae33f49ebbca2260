// The function types of the dictionary.
#include "objects/core/describe_list.h"
#include "objects/dictionary/dict_functions_object.h"
#include "objects/dictionary/dictionary_rules.h"

namespace vorlane {

DictFunctionsObject::DictFunctionsObject() : RowListCollection(kDictionaryRules) {}

const com::TypeInfo& DictFunctions::DispatchInfo() {
  using L = DictFunctions;
  static const com::TypeInfo info = DescribeList<L>("_DictFunctions")
                                        .Method("Refresh", &L::Refresh, {com::Optional("DeepRefresh", false)})
                                        .Build();
  return info;
}

}  // namespace vorlane
