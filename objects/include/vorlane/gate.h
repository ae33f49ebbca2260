#pragma once

#include <string>

#include "platform/com/dispatch.h"

namespace vorlane {

// _Gate: one gate of a process (a node that branches or joins the flow), a
// live wrapper over one row of the gates section. Handed out by Gates.
class Gate : public virtual com::Dispatch {
 public:
  static constexpr com::Guid kIID{"{AC03CB76-B07D-4EB0-B97C-B519D1DBDCA6}"};
  static constexpr com::Guid kCLSID{"{83757D69-2E0C-4F71-99CF-8B844D036464}"};
  static const com::TypeInfo& DispatchInfo();

  // The "ID" field, normalised; fails when the field is empty.
  virtual std::string ID() = 0;
  virtual std::string Caption() = 0;
  virtual void SetCaption(const std::string& value) = 0;
  virtual std::string Description() = 0;
  virtual void SetDescription(const std::string& value) = 0;
  // The gate type (a DictGate's ID), normalised: an empty field reads "{}".
  virtual std::string TypeID() = 0;
  virtual void SetTypeID(const std::string& value) = 0;
  // The gate's settings text, of any length.
  virtual std::string Data() = 0;
  virtual void SetData(const std::string& value) = 0;
  virtual void Refresh(bool deep_refresh) = 0;
};

}  // namespace vorlane
