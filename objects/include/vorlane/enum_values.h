#pragma once

#include "vorlane/enum_value.h"

namespace vorlane {

// _EnumValues: the allowed values of an enumeration variable, in ascending
// order of their numbers, reached by 1-based position only (the list has no
// keys). Creatable, but a list made by a client has no rows to list and
// fails on every member with 0x800A005B.
class EnumValues : public virtual com::Dispatch {
 public:
  static constexpr com::Guid kIID{"{07A974FC-A677-46CC-BF25-84843638BE83}"};
  static constexpr com::Guid kCLSID{"{88120CF4-50B4-4E9C-9030-83438D7DB487}"};
  static const com::TypeInfo& DispatchInfo();

  virtual int32_t Count() = 0;
  // By 1-based position; a text index fails (there are no keys).
  virtual com::Ref<EnumValue> Item(const com::Variant& index) = 0;
  // The first listed value of that number; Nothing (a null reference) when none.
  virtual com::Ref<EnumValue> GetByNumericValue(int32_t numeric_value) = 0;
  virtual com::Ref<com::Unknown> NewEnum() = 0;
  // A new value with a new ID, the text `value` and the number after the
  // largest one stored (1 in an empty list).
  virtual com::Ref<EnumValue> AddNew(const std::string& value) = 0;
  virtual void Remove(const com::Variant& index) = 0;
  // Removes the first listed value of that number; nothing when none has it.
  virtual void RemoveByNumericValue(int32_t numeric_value) = 0;
  virtual void Refresh(bool deep_refresh) = 0;
};

}  // namespace vorlane
