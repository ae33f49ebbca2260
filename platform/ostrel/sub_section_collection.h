#pragma once

#include <cstdint>
#include <string>

#include "platform/com/dispatch.h"

namespace ostrel {

class SubSection;

// The sub-sections of one row.
class SubSectionCollection : public virtual com::Dispatch {
 public:
  static constexpr com::Guid kIID{"{61E5218C-C089-48B1-8A77-3FC45B00222F}"};
  static const com::TypeInfo& DispatchInfo();

  // The number of sub-section types of the row's section.
  virtual int32_t Count() = 0;
  // The row's sub-section of that type ID (any letter case, braces
  // optional); fails with err::kUnknownSchemaItem for an ID that is not a
  // sub-section of the row's section.
  virtual com::Ref<SubSection> Item(const std::string& section_id) = 0;
};

}  // namespace ostrel
