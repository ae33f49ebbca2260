#pragma once

#include <string>

#include "objects/core/row_list.h"
#include "objects/variables/value_object.h"
#include "vorlane/values.h"

namespace vorlane {

// Listed in ascending "Identity" order, keyed by row identity.
class ValuesObject final : public RowListCollection<Values, vorlane::Value, ValueObject> {
 public:
  ValuesObject();
  // The values sub-section of a variable row, the process's notificator
  // (never null), the variable's ID and its type at this moment.
  void Attach(RowContainer container, com::Ref<VariableNotificator> notificator, std::string variable_id,
              VarTypeEnum type);

  com::Ref<vorlane::Value> AddNew(const com::Variant& variable_value) override;
  // Hides the shared Remove: a removal is a change of the variable.
  void Remove(const com::Variant& index) override;
  void Clear() override;
  void MoveUp(int32_t index) override;
  void MoveDown(int32_t index) override;

 private:
  com::Ref<ValueObject> Wrap(com::Ref<ostrel::Row> row);
  // The "Identity" after the largest one stored; 1 when there is none.
  int32_t NextIdentity();
  // Swaps the identities of the values at two positions and drops the list,
  // so that the next use reads it in the new order.
  void Swap(int32_t first, int32_t second);

  com::Ref<VariableNotificator> notificator_;
  std::string variable_id_;
  VarTypeEnum type_ = VarTypeEnum::Generic;
};

}  // namespace vorlane
