// The values of a multi-valued variable.
#include "objects/core/describe_list.h"
#include "objects/variables/values_object.h"

namespace vorlane {
namespace {

constexpr char kIdentityField[] = "Identity";

}  // namespace

ValuesObject::ValuesObject()
    : RowListCollection({.key = KeyBy::RowIdentity, .sort_field = kIdentityField},
                        [this](com::Ref<ostrel::Row> row) { return Wrap(std::move(row)); }) {}

void ValuesObject::Attach(RowContainer container, com::Ref<VariableNotificator> notificator,
                          std::string variable_id, VarTypeEnum type) {
  list_.Attach(std::move(container));
  notificator_ = std::move(notificator);
  variable_id_ = std::move(variable_id);
  type_ = type;
}

com::Ref<ValueObject> ValuesObject::Wrap(com::Ref<ostrel::Row> row) {
  com::Ref<ValueObject> item = com::Make<ValueObject>();
  item->Attach(std::move(row), notificator_, variable_id_, type_);
  return item;
}

int32_t ValuesObject::NextIdentity() {
  com::Ref<ostrel::RowCollection> sorted = list_.container().Rows()->GetSortedRows(kIdentityField, true);
  const int32_t count = sorted->Count();
  if (count < 1) return 1;
  return FieldToLong(sorted->Item(com::Variant(count - 1))->GetField(kIdentityField)) + 1;
}

com::Ref<vorlane::Value> ValuesObject::AddNew(const com::Variant& variable_value) {
  const int32_t identity = NextIdentity();
  com::Ref<ValueObject> item = list_.NewRow();
  item->SetIdentity(identity);
  list_.AppendIfRead(item);
  // Compared with what the fresh row reads as: a value that differs from it
  // is a change of the variable.
  item->SetValue(variable_value);
  return item;
}

void ValuesObject::Remove(const com::Variant& index) {
  list_.Remove(index);
  notificator_->NotifyValueChange(variable_id_);
}

void ValuesObject::Clear() {
  list_.GetList().Clear();
  list_.container().Rows()->Clear();
  // Reported even when the list was empty.
  notificator_->NotifyValueChange(variable_id_);
}

void ValuesObject::Swap(int32_t first, int32_t second) {
  com::Ref<ValueObject> a = list_.Item(com::Variant(first));
  com::Ref<ValueObject> b = list_.Item(com::Variant(second));
  const int32_t identity_a = a->Identity();
  const int32_t identity_b = b->Identity();
  a->SetIdentity(identity_b);
  b->SetIdentity(identity_a);
  list_.Drop();
}

void ValuesObject::MoveUp(int32_t index) {
  if (index > 1) Swap(index, index - 1);
}

void ValuesObject::MoveDown(int32_t index) {
  if (index < Count()) Swap(index, index + 1);
}

const com::TypeInfo& Values::DispatchInfo() {
  using L = Values;
  static const com::TypeInfo info = DescribeList<L>("_Values")
                                        .Method("AddNew", &L::AddNew, {com::Arg("VariableValue")})
                                        .Method("Remove", &L::Remove, {com::Arg("Index")})
                                        .Method("Clear", &L::Clear)
                                        .Method("MoveUp", &L::MoveUp, {com::Arg("Index")})
                                        .Method("MoveDown", &L::MoveDown, {com::Arg("Index")})
                                        .Method("Refresh", &L::Refresh, {com::Optional("DeepRefresh", false)})
                                        .Build();
  return info;
}

}  // namespace vorlane
