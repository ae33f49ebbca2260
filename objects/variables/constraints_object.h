#pragma once

#include "objects/core/row_list.h"
#include "objects/variables/constraint_object.h"
#include "vorlane/constraints.h"

namespace vorlane {

// Listed in row order, keyed by row identity: the ID of a constraint added
// here is its row's identity, so read and added constraints share one key.
class ConstraintsObject final : public RowListCollection<Constraints, Constraint, ConstraintObject> {
 public:
  ConstraintsObject() : RowListCollection({.key = KeyBy::RowIdentity}) {}
  com::Ref<Constraint> AddNew(const std::string& prev_function) override;
};

}  // namespace vorlane
