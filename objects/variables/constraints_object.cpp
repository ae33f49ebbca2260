// The constraints of a pass state.
#include "objects/core/describe_list.h"
#include "objects/variables/constraints_object.h"

namespace vorlane {

com::Ref<Constraint> ConstraintsObject::AddNew(const std::string& prev_function) {
  com::Ref<ConstraintObject> item = list_.NewRow();
  // The new row's own identity (a new GUID) becomes its "ID" too, so that it
  // is found by the same key whether it was read from rows or added here.
  item->SetID(item->GetRowID());
  item->SetPrevFunction(prev_function);
  list_.AppendIfRead(item);
  return item;
}

const com::TypeInfo& Constraints::DispatchInfo() {
  using L = Constraints;
  static const com::TypeInfo info = DescribeList<L>("_Constraints")
                                        .Method("AddNew", &L::AddNew, {com::Arg("PrevFunction")})
                                        .Method("Remove", &L::Remove, {com::Arg("Index")})
                                        .Method("Refresh", &L::Refresh, {com::Optional("DeepRefresh", false)})
                                        .Build();
  return info;
}

}  // namespace vorlane
