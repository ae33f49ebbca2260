// One dated value in a variable's history.
#include "objects/log/log_value_object.h"
#include "platform/com/describe.h"

namespace vorlane {

const com::TypeInfo& LogValue::DispatchInfo() {
  using V = LogValue;
  static const com::TypeInfo info = com::Describe<V>("_LogValue")
                                        .GetLet("ChangeDate", &V::ChangeDate, &V::SetChangeDate)
                                        .GetLet("Value", &V::Value, &V::SetValue)
                                        .Method("Refresh", &V::Refresh, {com::Optional("DeepRefresh", false)})
                                        .Build();
  return info;
}

}  // namespace vorlane
