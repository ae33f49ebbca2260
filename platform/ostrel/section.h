#pragma once

#include <cstdint>
#include <string>

#include "platform/com/dispatch.h"

namespace ostrel {

class Row;
class RowCollection;
class SectionReader;
class SectionType;

// Which rows a selection takes (Section.SelectRows, Section.OpenReader,
// Section.SetSectionMode), bit values. Without kRootRowsOnly a selection
// takes every row at every depth, a tree's rows depth-first, parents before
// their children. Other bits have no effect.
namespace row_selection {
inline constexpr int32_t kEveryRow = 0;
// Only the top-level rows of a tree section.
inline constexpr int32_t kRootRowsOnly = 1;
}  // namespace row_selection

// A section of an open card: a card-level section, or the rows of a
// sub-section type under every parent row.
class Section : public virtual com::Dispatch {
 public:
  static constexpr com::Guid kIID{"{561D55A8-A224-4EDA-83DB-73BB6AB979FA}"};
  static const com::TypeInfo& DispatchInfo();

  // The section type's ID, "{UPPER-CASE}".
  virtual std::string GetID() = 0;
  // The rows GetRows lists follow the section mode (row_selection bits):
  // by default kRootRowsOnly, so a tree section lists its top-level rows;
  // mode 0 (or 2) lists every row at every depth.
  virtual com::Ref<RowCollection> GetRows() = 0;
  virtual void SetSectionMode(int32_t mode) = 0;
  virtual int32_t GetSectionMode() = 0;
  // The rows that `flags` (row_selection bits) select, at most `limit` of
  // them (0: all). SelectRows(0, 0) gives every row of the section.
  virtual com::Ref<RowCollection> SelectRows(int32_t flags, int32_t limit) = 0;
  // The section's first row. A single-row section that has no row gets it
  // now (a change, written as any other); an empty table section fails
  // with 0x800A0009.
  virtual com::Ref<Row> GetFirstRow() = 0;
  virtual com::Ref<SectionType> GetSchema() = 0;
  // Refreshes the card (CardData.Refresh).
  virtual void Refresh(bool deep) = 0;
  // A forward-only reader over the rows that `flags` select, in row order,
  // after skipping `skip` rows and for at most `limit` rows (0: all). It
  // reads the open card's rows where they are, copying nothing.
  virtual com::Ref<SectionReader> OpenReader(int32_t flags, int32_t skip, int32_t limit) = 0;
};

}  // namespace ostrel
