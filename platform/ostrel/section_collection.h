#pragma once

#include <cstdint>
#include <string>

#include "platform/com/dispatch.h"

namespace ostrel {

class Section;

// The sections of an open card.
class SectionCollection : public virtual com::Dispatch {
 public:
  static constexpr com::Guid kIID{"{D5846FC1-BFAB-4781-A7FE-3FC10F74D768}"};
  static const com::TypeInfo& DispatchInfo();

  // The number of the card type's card-level sections.
  virtual int32_t Count() = 0;
  // The section of that ID (any letter case, braces optional). The ID of a
  // sub-section type gives a section over that sub-section's rows under
  // every parent row, in parent order. Fails with err::kUnknownSchemaItem
  // for an ID the card type does not have.
  virtual com::Ref<Section> Item(const std::string& section_id) = 0;
};

}  // namespace ostrel
