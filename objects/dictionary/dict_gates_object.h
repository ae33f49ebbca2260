#pragma once

#include "objects/core/row_list.h"
#include "objects/dictionary/dict_gate_object.h"
#include "vorlane/dict_gates.h"

namespace vorlane {

// Keyed by ID, in row order; every failure while reading is swallowed.
class DictGatesObject final : public RowListCollection<DictGates, DictGate, DictGateObject> {
 public:
  DictGatesObject();
};

}  // namespace vorlane
