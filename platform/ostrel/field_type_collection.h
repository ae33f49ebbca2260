#pragma once

#include <cstdint>
#include <string>

#include "platform/com/dispatch.h"

namespace ostrel {

class FieldType;

// The fields of a section type, in schema order.
class FieldTypeCollection : public virtual com::Dispatch {
 public:
  static constexpr com::Guid kIID{"{EE784B1C-7179-4CC1-8029-6D7A496D1320}"};
  static const com::TypeInfo& DispatchInfo();

  virtual int32_t Count() = 0;
  // By zero-based position (a number) or by name (a text, without regard to
  // case). Fails with err::kUnknownSchemaItem for an unknown name and
  // 0x800A0009 for a position out of range.
  virtual com::Ref<FieldType> Item(const com::Variant& index) = 0;
  virtual bool Contains(const std::string& name) = 0;
};

}  // namespace ostrel
