#pragma once

#include "objects/core/row_list.h"
#include "objects/graph/proc_function_object.h"
#include "vorlane/functions.h"

namespace vorlane {

class FunctionsObject final : public RowListCollection<Functions, ProcFunction, ProcFunctionObject> {
 public:
  FunctionsObject() : RowListCollection({.key = KeyBy::ID}) {}
  com::Ref<ProcFunction> AddNew() override;
};

}  // namespace vorlane
