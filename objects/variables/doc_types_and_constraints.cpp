// The document types of a process and the constraints of a pass state.
#include "objects/core/describe_list.h"
#include "objects/variables/constraints_object.h"
#include "objects/variables/doc_types_object.h"

namespace vorlane {

com::Ref<DocType> DocTypesObject::AddNew() {
  com::Ref<DocTypeObject> item = list_.NewRowWithID();
  list_.AppendIfRead(item);
  return item;
}

com::Ref<Constraint> ConstraintsObject::AddNew(const std::string& prev_function) {
  com::Ref<ConstraintObject> item = list_.NewRow();
  // The new row's own identity (a new GUID) becomes its "ID" too, so that it
  // is found by the same key whether it was read from rows or added here.
  item->SetID(item->GetRowID());
  item->SetPrevFunction(prev_function);
  list_.AppendIfRead(item);
  return item;
}

const com::TypeInfo& DocType::DispatchInfo() {
  using T = DocType;
  static const com::TypeInfo info = com::Describe<T>("_DocType")
                                        .Get("ID", &T::ID)
                                        .GetLet("TypeID", &T::TypeID, &T::SetTypeID)
                                        .Method("Refresh", &T::Refresh, {com::Optional("DeepRefresh", false)})
                                        .Build();
  return info;
}

const com::TypeInfo& DocTypes::DispatchInfo() {
  using L = DocTypes;
  static const com::TypeInfo info = DescribeList<L>("_DocTypes")
                                        .Method("AddNew", &L::AddNew)
                                        .Method("Remove", &L::Remove, {com::Arg("Index")})
                                        .Method("Refresh", &L::Refresh, {com::Optional("DeepRefresh", false)})
                                        .Build();
  return info;
}

const com::TypeInfo& Constraint::DispatchInfo() {
  using C = Constraint;
  static const com::TypeInfo info = com::Describe<C>("_Constraint")
                                        .Get("ID", &C::ID)
                                        .GetLet("PrevFunction", &C::PrevFunction, &C::SetPrevFunction)
                                        .GetLet("Completed", &C::Completed, &C::SetCompleted)
                                        .Method("Refresh", &C::Refresh, {com::Optional("DeepRefresh", false)})
                                        .Build();
  return info;
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
