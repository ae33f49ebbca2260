// The dated history of a variable's values.
#include "objects/core/describe_list.h"
#include "objects/log/log_values_object.h"

namespace vorlane {

com::Ref<LogValue> LogValuesObject::AddNew(const std::string& value) {
  com::Ref<LogValueObject> item = list_.NewRow();
  item->SetChangeDate(com::Now());
  item->SetValue(value);
  list_.AppendIfRead(item);
  return item;
}

const com::TypeInfo& LogValues::DispatchInfo() {
  using L = LogValues;
  static const com::TypeInfo info = DescribeList<L>("_LogValues")
                                        .Method("AddNew", &L::AddNew, {com::Arg("Value")})
                                        .Method("Remove", &L::Remove, {com::Arg("Index")})
                                        .Method("Refresh", &L::Refresh, {com::Optional("DeepRefresh", false)})
                                        .Build();
  return info;
}

}  // namespace vorlane
