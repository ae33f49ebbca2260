// One enumeration value of a variable.
#include "objects/variables/enum_value_object.h"
#include "platform/com/describe.h"

namespace vorlane {

const com::TypeInfo& EnumValue::DispatchInfo() {
  using V = EnumValue;
  static const com::TypeInfo info = com::Describe<V>("_EnumValue")
                                        .Get("ID", &V::ID)
                                        .GetLet("Value", &V::Value, &V::SetValue)
                                        .GetLet("NumericValue", &V::NumericValue, &V::SetNumericValue)
                                        .Method("Refresh", &V::Refresh, {com::Optional("DeepRefresh", false)})
                                        .Build();
  return info;
}

}  // namespace vorlane
