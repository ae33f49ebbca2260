// One value of a multi-valued variable.
#include "objects/core/card_layout.h"
#include "objects/variables/value_object.h"
#include "platform/com/describe.h"

namespace vorlane {

ValueObject::ValueObject() : ValueRowWrapper(layout::kValueSpare) {}

void ValueObject::Attach(com::Ref<ostrel::Row> row, com::Ref<VariableNotificator> notificator,
                         std::string variable_id, VarTypeEnum type) {
  SetRow(std::move(row));
  notificator_ = std::move(notificator);
  variable_id_ = std::move(variable_id);
  type_ = type;
}

void ValueObject::SetValue(const com::Variant& value) {
  // A value's change is reported as a change of its variable.
  if (WriteValue(value)) notificator_->NotifyValueChange(variable_id_);
}

const com::TypeInfo& vorlane::Value::DispatchInfo() {
  using V = vorlane::Value;
  static const com::TypeInfo info = com::Describe<V>("_Value")
                                        .GetLet("Value", &V::GetValue, &V::SetValue)
                                        .Method("Refresh", &V::Refresh, {com::Optional("DeepRefresh", false)})
                                        .Build();
  return info;
}

}  // namespace vorlane
