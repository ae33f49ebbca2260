#pragma once

#include "objects/core/row_list.h"
#include "objects/variables/variable_object.h"
#include "vorlane/variables.h"

namespace vorlane {

// Listed in row order, keyed by ID; rows that cannot be listed are skipped.
class VariablesObject final : public RowListCollection<Variables, Variable, VariableObject> {
 public:
  VariablesObject();
  // The variables section and the process's notificator (never null).
  void Attach(RowContainer container, com::Ref<VariableNotificator> notificator);

  com::Ref<Variable> AddNew() override;
  void Remove(const com::Variant& index) override;

 private:
  com::Ref<VariableObject> Wrap(com::Ref<ostrel::Row> row);

  com::Ref<VariableNotificator> notificator_;
};

}  // namespace vorlane
