#pragma once

#include "objects/core/row_list.h"
#include "objects/variables/enum_value_object.h"
#include "vorlane/enum_values.h"

namespace vorlane {

// Listed in ascending "NumValue" order, without keys.
class EnumValuesObject final : public RowListCollection<EnumValues, EnumValue, EnumValueObject> {
 public:
  EnumValuesObject();

  com::Ref<EnumValue> GetByNumericValue(int32_t numeric_value) override;
  com::Ref<EnumValue> AddNew(const std::string& value) override;
  void RemoveByNumericValue(int32_t numeric_value) override;

 private:
  // The number after the largest one stored; 1 when there is none.
  int32_t NextNumericValue();
};

}  // namespace vorlane
