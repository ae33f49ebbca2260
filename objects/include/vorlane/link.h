#pragma once

#include <string>

#include "platform/com/dispatch.h"
#include "vorlane/enums.h"

namespace vorlane {

// _Link: one directed link from a function or gate to another, a live
// wrapper over one row of the links section. Handed out by Links.
class Link : public virtual com::Dispatch {
 public:
  static constexpr com::Guid kIID{"{FA95891A-2C48-4656-A7D3-B8F0CCCF824D}"};
  static constexpr com::Guid kCLSID{"{FF7EFBEF-EBB2-4393-AAF5-4091F8883B07}"};
  static const com::TypeInfo& DispatchInfo();

  virtual std::string ID() = 0;
  virtual std::string Caption() = 0;
  virtual void SetCaption(const std::string& value) = 0;
  virtual std::string Description() = 0;
  virtual void SetDescription(const std::string& value) = 0;
  // IDs of the nodes at the start and end, normalised ("{}" when empty).
  virtual std::string Source() = 0;
  virtual void SetSource(const std::string& value) = 0;
  virtual std::string Destination() = 0;
  virtual void SetDestination(const std::string& value) = 0;
  // The drawn route, stored as given.
  virtual std::string Points() = 0;
  virtual void SetPoints(const std::string& value) = 0;
  virtual LinkTypeEnum LinkType() = 0;
  virtual void SetLinkType(LinkTypeEnum value) = 0;
  // Fails while the field is empty.
  virtual bool Disabled() = 0;
  virtual void SetDisabled(bool value) = 0;
  virtual int16_t Style() = 0;
  virtual void SetStyle(int16_t value) = 0;
  virtual void Refresh(bool deep_refresh) = 0;
};

}  // namespace vorlane
