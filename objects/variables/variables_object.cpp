// The variables of a process.
#include "objects/core/describe_list.h"
#include "objects/variables/variables_object.h"

namespace vorlane {

VariablesObject::VariablesObject()
    : RowListCollection({.key = KeyBy::ID, .on_error = OnLoadError::Skip},
                        [this](com::Ref<ostrel::Row> row) { return Wrap(std::move(row)); }) {}

void VariablesObject::Attach(RowContainer container, com::Ref<VariableNotificator> notificator) {
  list_.Attach(std::move(container));
  notificator_ = std::move(notificator);
}

com::Ref<VariableObject> VariablesObject::Wrap(com::Ref<ostrel::Row> row) {
  com::Ref<VariableObject> item = com::Make<VariableObject>();
  item->Attach(std::move(row), notificator_);
  return item;
}

com::Ref<Variable> VariablesObject::AddNew() {
  com::Ref<VariableObject> item = list_.NewRowWithID();
  item->SetHiddenInParentProcess(true);
  list_.AppendIfRead(item);
  return item;
}

void VariablesObject::Remove(const com::Variant& index) {
  // The ID is read while the row exists; listeners are told which variable
  // went, whether it was named by ID or by position.
  std::string id = list_.Item(index)->ID();
  list_.Remove(index);
  notificator_->NotifyVariableRemove(id);
}

const com::TypeInfo& Variables::DispatchInfo() {
  static const com::TypeInfo info = DescribeEditableList<Variables>("_Variables");
  return info;
}

}  // namespace vorlane
