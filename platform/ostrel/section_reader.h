#pragma once

#include <string>

#include "platform/com/dispatch.h"

namespace ostrel {

// A forward-only reader over rows of a section (Section.OpenReader).
class SectionReader : public virtual com::Dispatch {
 public:
  static constexpr com::Guid kIID{"{39982A43-6AE8-459B-91E6-767CCE03861C}"};
  static const com::TypeInfo& DispatchInfo();

  // Moves to the next row; false when there is none (or the reader is
  // closed). Rows added behind the position while reading are read too;
  // removed ones are skipped.
  virtual bool ReadNext() = 0;
  // A field of the current row by name ("RowID": the row's ID); fails with
  // 0x800A0009 when there is no current row.
  virtual com::Variant GetField(const std::string& name) = 0;
  // Ends reading; ReadNext then answers false.
  virtual void Close() = 0;
};

}  // namespace ostrel
