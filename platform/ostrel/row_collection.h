#pragma once

#include <cstdint>
#include <string>

#include "platform/com/dispatch.h"

namespace ostrel {

class Row;

// AddNew flags, bit values.
namespace add_flag {
// The new row's fields start Null instead of at the schema's defaults.
inline constexpr int32_t kNoDefaults = 1;
}  // namespace add_flag

// Rows of a section, a sub-section or a selection. A collection over a
// container (GetRows) is live: it always lists the rows there are. A sorted
// or selected collection (GetSortedRows, SelectRows) lists the rows chosen
// when it was made, less those removed since.
class RowCollection : public virtual com::Dispatch {
 public:
  static constexpr com::Guid kIID{"{5A4D4B07-FB09-4F2F-AF8B-DA19E8464CB3}"};
  static const com::TypeInfo& DispatchInfo();

  virtual int32_t Count() = 0;
  // By zero-based position (a number; 0x800A0009 outside 0..Count-1) or by
  // row ID (a text in any letter case, braces optional; 0x800A0005 when the
  // collection has no such row).
  virtual com::Ref<Row> Item(const com::Variant& index) = 0;
  // A new row at the end of the container, its fields at the schema's
  // defaults (Null where none is given) unless `flags` has
  // add_flag::kNoDefaults. A sorted or selected collection adds to the
  // container it was made from and lists the new row last. Fails with
  // err::kSingleRowTaken on a single-row container that has its row, and
  // with err::kRefused on rows of several parents (a sub-section type
  // addressed at card level, a selection of every depth), which have no one
  // container to add to.
  virtual com::Ref<Row> AddNew(int32_t flags) = 0;
  // Removes the row (by ID or position, as Item) with its sub-section rows
  // and child rows.
  virtual void Remove(const com::Variant& index) = 0;
  // Removes every row of the collection.
  virtual void Clear() = 0;
  // The rows ordered by the field's value: a stable sort, Null first when
  // ascending (last when descending), numbers before texts, texts compared
  // binary.
  virtual com::Ref<RowCollection> GetSortedRows(const std::string& field_name, bool ascending) = 0;
  // An enumerator over the rows, for "for each" loops.
  virtual com::Ref<com::Unknown> NewEnum() = 0;
};

}  // namespace ostrel
