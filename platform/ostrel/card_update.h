#pragma once

#include <string>

#include "platform/com/dispatch.h"

namespace ostrel {

// The card's update bracket: another interface of the card data
// (com::Query). One bracket per open card, shared by everything in the
// session that holds the card.
//
// Outside a bracket every change is written at once. BeginUpdate opens a
// bracket (brackets nest: a count); changes are then kept until UpdateNow
// (write, stay open) or the EndUpdate that closes the outermost bracket
// (write, close). CancelUpdate closes every level, restores the state last
// written and deletes the cards marked with MarkCardForDeletion. A write
// that fails raises err::kStorageFailure and keeps the changes unsaved.
class CardUpdate : public virtual com::Dispatch {
 public:
  static constexpr com::Guid kIID{"{B1D159CD-44B1-418E-8E8A-4D39799D2928}"};
  static const com::TypeInfo& DispatchInfo();

  virtual void BeginUpdate() = 0;
  // Without a bracket open, nothing happens.
  virtual void EndUpdate() = 0;
  // Without a bracket open, nothing happens.
  virtual void CancelUpdate() = 0;
  // Writes what changed since the last write; marks are kept no longer (the
  // cards they name are now part of the written state).
  virtual void UpdateNow() = 0;
  virtual bool GetInUpdate() = 0;
  // Marks a card (typically one made for this card's edits) to be deleted
  // if the bracket is cancelled. Outside a bracket a mark has no effect.
  virtual void MarkCardForDeletion(const std::string& card_id) = 0;
};

}  // namespace ostrel
