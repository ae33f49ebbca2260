#pragma once

#include <string>

#include "platform/com/dispatch.h"

namespace vorlane {

// _Constraint: one function that must come before a pass, with its
// completion flag; a live wrapper over one row of the pass state's
// constraints sub-section. Handed out by Constraints.
class Constraint : public virtual com::Dispatch {
 public:
  static constexpr com::Guid kIID{"{F71B556C-2DBE-4E54-ADAF-69DA521E2822}"};
  static constexpr com::Guid kCLSID{"{D240A6AC-6635-4334-AFB3-5860B56D33AC}"};
  static const com::TypeInfo& DispatchInfo();

  // The "ID" field, normalised; fails when the field is empty.
  virtual std::string ID() = 0;
  // The preceding function's ID, normalised: an empty field reads "{}".
  // Stored as given.
  virtual std::string PrevFunction() = 0;
  virtual void SetPrevFunction(const std::string& value) = 0;
  virtual bool Completed() = 0;
  virtual void SetCompleted(bool value) = 0;
  virtual void Refresh(bool deep_refresh) = 0;
};

}  // namespace vorlane
