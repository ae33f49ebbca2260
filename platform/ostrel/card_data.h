#pragma once

#include <string>

#include "platform/com/dispatch.h"

namespace ostrel {

class CardType;
class SectionCollection;

// One open card. The same object also offers CardLock and CardUpdate
// (com::Query), and its dispatch description carries their members too.
//
// Changes made outside an update bracket are written at once; inside one
// they are written by UpdateNow or EndUpdate (see CardUpdate).
class CardData : public virtual com::Dispatch {
 public:
  static constexpr com::Guid kIID{"{A87344B4-F234-4655-BF47-E1F46FD0FE83}"};
  static const com::TypeInfo& DispatchInfo();

  // "{UPPER-CASE}" form.
  virtual std::string GetID() = 0;
  virtual com::Ref<CardType> GetCardType() = 0;
  // The card's display text (its digest).
  virtual std::string GetDescription() = 0;
  virtual void SetDescription(const std::string& value) = 0;
  // The template flag. For a card type with a template field (the process
  // card's MainInfo "Template") the field follows the flag and the flag
  // follows the field.
  virtual bool GetIsTemplate() = 0;
  virtual void SetIsTemplate(bool value) = 0;
  virtual com::Date GetDateCreated() = 0;
  // When the card was last written.
  virtual com::Date GetDateModified() = 0;
  // The card's name, as SetCardName gave it ("" when never set).
  virtual std::string GetCardName() = 0;
  // True for cards whose name the platform keeps (dictionaries, the folder
  // card); SetCardName then fails with err::kRefused.
  virtual bool GetNameFixed() = 0;
  virtual void SetCardName(const std::string& name) = 0;
  // The process card that this card works for ("" when none).
  virtual std::string GetOwnerProcess() = 0;
  virtual void SetOwnerProcess(const std::string& process_id) = 0;
  // A new card of the same type holding a deep copy of this card as this
  // session sees it: every row with a new row ID and the same field values
  // (row references into the card follow their rows). Written at once.
  virtual com::Ref<CardData> CopyCard() = 0;
  virtual com::Ref<SectionCollection> GetSections() = 0;
  // The card in the platform's XML form. With `follow_links` the cards that
  // card-reference fields name are embedded, each once.
  virtual std::string GetXML(bool follow_links) = 0;
  // Re-reads the card's written state; inside an update bracket this
  // session's unsaved edits are applied on top again. Refresh is always
  // deep: the flag is accepted and has no effect.
  virtual void Refresh(bool deep) = 0;
};

}  // namespace ostrel
