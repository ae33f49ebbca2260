// The enumeration values of a variable, in ascending numeric order.
#include "objects/variables/enum_values_object.h"
#include "platform/com/describe.h"

namespace vorlane {
namespace {

constexpr char kNumberField[] = "NumValue";

}  // namespace

EnumValuesObject::EnumValuesObject() : RowListCollection({.key = KeyBy::None, .sort_field = kNumberField}) {}

com::Ref<EnumValue> EnumValuesObject::GetByNumericValue(int32_t numeric_value) {
  com::Keyed<com::Ref<EnumValueObject>>& list = list_.GetList();
  for (size_t i = 0; i < list.size(); ++i) {
    if (list.at(i)->NumericValue() == numeric_value) return list.at(i);
  }
  return nullptr;
}

int32_t EnumValuesObject::NextNumericValue() {
  com::Ref<ostrel::RowCollection> sorted = list_.container().Rows()->GetSortedRows(kNumberField, true);
  const int32_t count = sorted->Count();
  if (count < 1) return 1;
  return FieldToLong(sorted->Item(com::Variant(count - 1))->GetField(kNumberField)) + 1;
}

com::Ref<EnumValue> EnumValuesObject::AddNew(const std::string& value) {
  const int32_t number = NextNumericValue();
  // A new value gets a new ID, as every other new row of the process does,
  // so that its ID reads.
  com::Ref<EnumValueObject> item = list_.NewRowWithID();
  item->SetValue(value);
  item->SetNumericValue(number);
  list_.AppendIfRead(item);
  return item;
}

void EnumValuesObject::RemoveByNumericValue(int32_t numeric_value) {
  const int32_t count = Count();
  for (int32_t pos = 1; pos <= count; ++pos) {
    if (list_.Item(com::Variant(pos))->NumericValue() == numeric_value) {
      list_.Remove(com::Variant(pos));
      return;
    }
  }
}

const com::TypeInfo& EnumValues::DispatchInfo() {
  using L = EnumValues;
  static const com::TypeInfo info =
      com::Describe<L>("_EnumValues")
          .Get("Count", &L::Count)
          .Get("Item", &L::Item, {com::Arg("Index")}, com::kDispIdValue)
          .Method("GetByNumericValue", &L::GetByNumericValue, {com::Arg("NumericValue")})
          .Get("NewEnum", &L::NewEnum, {}, com::kDispIdNewEnum)
          .Method("AddNew", &L::AddNew, {com::Arg("Value")})
          .Method("Remove", &L::Remove, {com::Arg("Index")})
          .Method("RemoveByNumericValue", &L::RemoveByNumericValue, {com::Arg("NumericValue")})
          .Method("Refresh", &L::Refresh, {com::Optional("DeepRefresh", false)})
          .Build();
  return info;
}

}  // namespace vorlane
