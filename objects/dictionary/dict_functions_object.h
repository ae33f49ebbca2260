#pragma once

#include "objects/core/row_list.h"
#include "objects/dictionary/dict_function_object.h"
#include "vorlane/dict_functions.h"

namespace vorlane {

// Keyed by ID, in row order; every failure while reading is swallowed.
class DictFunctionsObject final : public RowListCollection<DictFunctions, DictFunction, DictFunctionObject> {
 public:
  DictFunctionsObject();
};

}  // namespace vorlane
