// The pass states of a function.
#include "objects/core/describe_list.h"
#include "objects/graph/pass_states_object.h"

namespace vorlane {

PassStatesObject::PassStatesObject() : RowListCollection({.key = KeyBy::RowIdentity}) {}

void PassStatesObject::Attach(RowContainer container, std::string default_data) {
  list_.Attach(std::move(container));
  default_data_ = std::move(default_data);
}

com::Ref<PassState> PassStatesObject::AddNew() {
  // The list is read before the row is added, so that the new pass state is
  // listed once and numbered by the pass states that were there before it.
  com::Keyed<com::Ref<PassStateObject>>& list = list_.GetList();
  com::Ref<PassStateObject> item = list_.NewRow();
  item->SetState(FuncStateEnum::NonActive);
  item->SetPass(static_cast<int32_t>(list.size()));
  item->SetData(default_data_);
  // The new row's own identity (a new GUID) becomes its "ID" too, so that
  // it is found by the same key whether it was read from rows or added here.
  std::string id = item->GetRowID();
  item->SetID(id);
  list_.Append(item, id);
  return item;
}

const com::TypeInfo& PassStates::DispatchInfo() {
  static const com::TypeInfo info = DescribeEditableList<PassStates>("_PassStates");
  return info;
}

}  // namespace vorlane
