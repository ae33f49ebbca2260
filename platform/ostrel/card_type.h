#pragma once

#include <string>

#include "platform/com/dispatch.h"

namespace ostrel {

class SectionTypeCollection;

// The schema of a card type: its sections, sub-sections and fields.
class CardType : public virtual com::Dispatch {
 public:
  static constexpr com::Guid kIID{"{C167600D-0BBF-4626-A2CB-1FAADEC1C423}"};
  static const com::TypeInfo& DispatchInfo();

  // "{UPPER-CASE}".
  virtual std::string GetID() = 0;
  // The name the XML form gives the card element ("Process").
  virtual std::string GetName() = 0;
  // The name users see ("Business process").
  virtual std::string GetDisplayName() = 0;
  // The card-level section types.
  virtual com::Ref<SectionTypeCollection> GetSectionTypes() = 0;
  // Every section and sub-section type at any depth, parents before their
  // sub-sections.
  virtual com::Ref<SectionTypeCollection> GetAllSectionTypes() = 0;
};

}  // namespace ostrel
