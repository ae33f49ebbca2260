#pragma once

#include <string>

#include "platform/com/dispatch.h"

namespace ostrel {

class Row;
class RowCollection;
class SectionType;

// The rows of one sub-section type under one parent row.
class SubSection : public virtual com::Dispatch {
 public:
  static constexpr com::Guid kIID{"{92B8247B-801B-4CBD-81FF-89DEB3BCEEFC}"};
  static const com::TypeInfo& DispatchInfo();

  virtual std::string GetID() = 0;
  virtual com::Ref<RowCollection> GetRows() = 0;
  // As Section.GetFirstRow: a single-row sub-section gets its row now.
  virtual com::Ref<Row> GetFirstRow() = 0;
  virtual com::Ref<SectionType> GetSchema() = 0;
  // Refreshes the card (CardData.Refresh).
  virtual void Refresh(bool deep) = 0;
};

}  // namespace ostrel
