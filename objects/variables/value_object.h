#pragma once

#include <string>

#include "objects/variables/value_row_wrapper.h"
#include "vorlane/value.h"
#include "vorlane/variable_notificator.h"

namespace vorlane {

class ValueObject final : public com::Object<vorlane::Value>, public ValueRowWrapper {
 public:
  ValueObject();
  // The row, the process's notificator (never null), the owning variable's
  // ID and its type as it was when its Values were made (fixed from then on).
  void Attach(com::Ref<ostrel::Row> row, com::Ref<VariableNotificator> notificator, std::string variable_id,
              VarTypeEnum type);

  com::Variant GetValue() override { return ReadValue(); }
  void SetValue(const com::Variant& value) override;
  void Refresh(bool /*deep_refresh: not used*/) override { row().Refresh(false); }

  // The ordering key of the list.
  int32_t Identity() const { return GetLong("Identity"); }
  void SetIdentity(int32_t identity) const { PutLong("Identity", identity); }

 private:
  VarTypeEnum ValueType() override { return type_; }

  com::Ref<VariableNotificator> notificator_;
  std::string variable_id_;
  VarTypeEnum type_ = VarTypeEnum::Generic;
};

}  // namespace vorlane
