#pragma once

#include <string>

#include "platform/com/dispatch.h"

namespace vorlane {

// _DocType: one document type ID kept with a process, a live wrapper over
// one row of the main row's document-types sub-section. The object model
// gives the ID no further meaning. Creatable, but an object made by a client
// has no row and fails on every member with 0x800A005B.
class DocType : public virtual com::Dispatch {
 public:
  static constexpr com::Guid kIID{"{C6FA5D80-6821-453F-BC4F-A73899B458F9}"};
  static constexpr com::Guid kCLSID{"{148F9ADA-878E-4221-8A41-341C64F699C6}"};
  static const com::TypeInfo& DispatchInfo();

  // The "ID" field, normalised; fails when the field is empty.
  virtual std::string ID() = 0;
  // Normalised on reading, stored as given; fails when the field is empty.
  virtual std::string TypeID() = 0;
  virtual void SetTypeID(const std::string& value) = 0;
  virtual void Refresh(bool deep_refresh) = 0;
};

}  // namespace vorlane
