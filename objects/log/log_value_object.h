#pragma once

#include "objects/core/row_wrapper.h"
#include "vorlane/log_value.h"

namespace vorlane {

class LogValueObject final : public com::Object<LogValue>, public RowWrapper {
 public:
  // Read without a check for Null: a logged value has its date.
  com::Date ChangeDate() override { return Get("ChangeDate").ToDate(); }
  void SetChangeDate(com::Date v) override { Put("ChangeDate", com::Variant(v)); }
  std::string Value() override { return GetText("Value"); }
  void SetValue(const std::string& v) override { PutText("Value", v); }
  void Refresh(bool /*deep_refresh: not used*/) override { row().Refresh(false); }
};

}  // namespace vorlane
