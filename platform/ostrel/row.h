#pragma once

#include <string>

#include "platform/com/dispatch.h"

namespace ostrel {

class RowCollection;
class Section;
class SubSectionCollection;

// One row of an open card. The same object also offers RowEx (com::Query),
// and its dispatch description carries RowEx's members too.
//
// A row stays valid across refreshes of its card; once the row is removed,
// every call fails with err::kRowDeleted, and once its card is deleted with
// err::kCardDeleted.
class Row : public virtual com::Dispatch {
 public:
  static constexpr com::Guid kIID{"{0E746FE7-8FA5-4C63-BCA1-B94E9A1214DC}"};
  static const com::TypeInfo& DispatchInfo();

  // The row's ID, "{UPPER-CASE}".
  virtual std::string GetID() = 0;
  // The field's value; Null when the field is empty. Field names match
  // without regard to case; an unknown name fails with
  // err::kUnknownSchemaItem.
  virtual com::Variant GetField(const std::string& name) = 0;
  // Stores the value converted to the field's type (a variant field keeps
  // the value as given); fails with 0x800A000D type mismatch when it does
  // not convert, leaving the field as it was. The value is taken whole, so
  // that a caller's temporary (a long text) is moved in, not copied.
  virtual void SetField(const std::string& name, com::Variant value) = 0;
  // The section of the row's type (for a sub-section row, the section over
  // that sub-section's rows under every parent).
  virtual com::Ref<Section> GetSection() = 0;
  // The row's child rows in a tree section (none in other sections).
  virtual com::Ref<RowCollection> GetChildRows() = 0;
  virtual com::Ref<SubSectionCollection> GetSubSections() = 0;
  // Refreshes the card (CardData.Refresh).
  virtual void Refresh(bool deep) = 0;
};

// Setting a field from a value of an explicit platform type.
class RowEx : public virtual com::Dispatch {
 public:
  static constexpr com::Guid kIID{"{D61417FB-00CF-413C-8731-241C19988E87}"};
  static const com::TypeInfo& DispatchInfo();

  // The value is first converted to what a field of `type_code` (a code of
  // field_type_codes.h) stores and then stored as SetField stores it: into a
  // variant field, SetFieldOfType("Value", 5, 9) stores the text "5".
  virtual void SetFieldOfType(const std::string& name, const com::Variant& value, int32_t type_code) = 0;
  // Sets the field at zero-based `position` among the fields of the row's
  // section type (SectionType.GetFieldTypes, in schema order) as SetField
  // sets it by name: for a caller that resolved the names once for many
  // rows. A position outside 0..Count-1 fails with 0x800A0009.
  virtual void SetFieldAt(int32_t position, com::Variant value) = 0;
};

}  // namespace ostrel
