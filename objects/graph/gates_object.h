#pragma once

#include "objects/core/row_list.h"
#include "objects/graph/gate_object.h"
#include "vorlane/gates.h"

namespace vorlane {

class GatesObject final : public RowListCollection<Gates, Gate, GateObject> {
 public:
  GatesObject() : RowListCollection({.key = KeyBy::ID}) {}
  com::Ref<Gate> AddNew() override;
};

}  // namespace vorlane
