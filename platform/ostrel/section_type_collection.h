#pragma once

#include <cstdint>

#include "platform/com/dispatch.h"

namespace ostrel {

class SectionType;

// A list of section types, in schema order.
class SectionTypeCollection : public virtual com::Dispatch {
 public:
  static constexpr com::Guid kIID{"{6CD5683A-84C9-4DE6-8768-B7EB4A1F7ED8}"};
  static const com::TypeInfo& DispatchInfo();

  virtual int32_t Count() = 0;
  // By zero-based position (a number), or by name or ID (a text; names
  // without regard to case). Fails with err::kUnknownSchemaItem when absent
  // and 0x800A0009 for a position out of range.
  virtual com::Ref<SectionType> Item(const com::Variant& index) = 0;
  // True when Item would find the name or ID.
  virtual bool Contains(const std::string& name_or_id) = 0;
};

}  // namespace ostrel
