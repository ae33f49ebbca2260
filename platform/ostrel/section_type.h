#pragma once

#include <cstdint>
#include <string>

#include "platform/com/dispatch.h"

namespace ostrel {

class FieldTypeCollection;
class SectionTypeCollection;

// Section kinds (SectionType.GetSectionKind).
namespace section_kind {
inline constexpr int32_t kSingleRow = 0;  // exactly one row (made on first use)
inline constexpr int32_t kTable = 1;      // any number of rows
inline constexpr int32_t kTree = 2;       // rows with child rows of the same section
}  // namespace section_kind

class SectionType : public virtual com::Dispatch {
 public:
  static constexpr com::Guid kIID{"{99151AE0-845A-4CDC-B4EF-1BF05B44EC74}"};
  static const com::TypeInfo& DispatchInfo();

  // "{UPPER-CASE}".
  virtual std::string GetID() = 0;
  // The name the XML form gives the section's element ("Functions"); its
  // rows are named this name + "Row".
  virtual std::string GetName() = 0;
  // One of section_kind.
  virtual int32_t GetSectionKind() = 0;
  virtual com::Ref<SectionTypeCollection> GetSubSectionTypes() = 0;
  virtual com::Ref<FieldTypeCollection> GetFieldTypes() = 0;
};

}  // namespace ostrel
