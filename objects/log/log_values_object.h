#pragma once

#include "objects/core/row_list.h"
#include "objects/log/log_value_object.h"
#include "vorlane/log_values.h"

namespace vorlane {

// In row order, keyed by the row's own identity.
class LogValuesObject final : public RowListCollection<LogValues, LogValue, LogValueObject> {
 public:
  LogValuesObject() : RowListCollection({.key = KeyBy::RowIdentity}) {}
  com::Ref<LogValue> AddNew(const std::string& value) override;
};

}  // namespace vorlane
