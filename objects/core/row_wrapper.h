#pragma once

#include <string>

#include "common/field_coercion.h"
#include "common/ids.h"
#include "platform/ostrel/row.h"
#include "platform/ostrel/sub_section.h"
#include "platform/ostrel/sub_section_collection.h"

namespace vorlane {

// The base of every wrapper over one row: it holds the row and nothing
// else, and every property is one GetField or SetField at the moment of the
// call. A wrapper that has no row (a creatable class made by a client)
// fails on every use with 0x800A005B "Object variable not set".
class RowWrapper {
 public:
  void SetRow(com::Ref<ostrel::Row> row) { row_ = std::move(row); }
  bool HasRow() const { return static_cast<bool>(row_); }
  ostrel::Row& row() const;

  // The row's own identity (Row.GetID), normalised.
  std::string GetRowID() const { return NormalizeID(row().GetID()); }
  // Writes the "ID" field.
  void SetID(const std::string& id) const { Put("ID", com::Variant(id)); }

 protected:
  com::Variant Get(const char* field) const { return row().GetField(field); }
  void Put(const char* field, const com::Variant& value) const { row().SetField(field, value); }

  std::string GetText(const char* field) const { return FieldToString(Get(field)); }
  void PutText(const char* field, const std::string& value) const { Put(field, com::Variant(value)); }
  // An ID field read through FieldToString: an empty field reads "{}".
  std::string GetLooseID(const char* field) const { return NormalizeID(GetText(field)); }
  // An ID field converted straight to text: an empty (Null) field fails.
  std::string GetStrictID(const char* field) const;
  bool GetBool(const char* field) const { return FieldToBoolean(Get(field)); }
  void PutBool(const char* field, bool value) const { Put(field, com::Variant(value)); }
  int32_t GetLong(const char* field) const { return FieldToLong(Get(field)); }
  void PutLong(const char* field, int32_t value) const { Put(field, com::Variant(value)); }
  // FieldToLong narrowed to its low 16 bits without a range check.
  int16_t GetLowWord(const char* field) const { return static_cast<int16_t>(FieldToLong(Get(field)) & 0xFFFF); }
  void PutShort(const char* field, int16_t value) const { Put(field, com::Variant(value)); }

  // The first row of this row's one-row sub-section `section_id` (a spare row).
  com::Ref<ostrel::Row> SubRow(const char* section_id) const {
    return row().GetSubSections()->Item(section_id)->GetFirstRow();
  }

 private:
  com::Ref<ostrel::Row> row_;
};

}  // namespace vorlane
