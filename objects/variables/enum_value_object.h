#pragma once

#include "objects/core/row_wrapper.h"
#include "vorlane/enum_value.h"

namespace vorlane {

class EnumValueObject final : public com::Object<EnumValue>, public RowWrapper {
 public:
  std::string ID() override { return GetStrictID("ID"); }
  std::string Value() override { return GetText("Value"); }
  void SetValue(const std::string& v) override { PutText("Value", v); }
  int32_t NumericValue() override { return GetLong("NumValue"); }
  void SetNumericValue(int32_t v) override { PutLong("NumValue", v); }
  void Refresh(bool /*deep_refresh: not used*/) override { row().Refresh(false); }
};

}  // namespace vorlane
