#pragma once

#include <string>

#include "platform/com/dispatch.h"

namespace vorlane {

// _LogValue: one dated value of a variable's history, a live wrapper over
// one row. Creatable, but an object made by a client has no row and fails
// on every member with 0x800A005B.
class LogValue : public virtual com::Dispatch {
 public:
  static constexpr com::Guid kIID{"{B8B4E29C-6F66-4F85-956F-CCAD44F23048}"};
  static constexpr com::Guid kCLSID{"{103F88D4-1A38-4394-B5F1-805E1F425EAD}"};
  static const com::TypeInfo& DispatchInfo();

  // Fails on an empty field (Null does not convert to a date).
  virtual com::Date ChangeDate() = 0;
  virtual void SetChangeDate(com::Date value) = 0;
  virtual std::string Value() = 0;
  virtual void SetValue(const std::string& value) = 0;
  // Re-reads the card; DeepRefresh is not used.
  virtual void Refresh(bool deep_refresh) = 0;
};

}  // namespace vorlane
