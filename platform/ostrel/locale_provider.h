#pragma once

#include <cstdint>

#include "platform/com/unknown.h"

namespace ostrel {

// The platform's component that knows the current user's locale. Libraries
// create it by class ID through the class registry (com::CreateInstance);
// the platform registers it as ProgID "Ostrel.LocaleProvider".
//
// Class ID {C16EFDB0-E120-422B-9B8B-F7106CD294B1}, interface ID
// {E48DBE1B-47F9-42A4-85F8-8CC641FA5F6D}.
class LocaleProvider : public virtual com::Unknown {
 public:
  static constexpr com::Guid kIID{"{E48DBE1B-47F9-42A4-85F8-8CC641FA5F6D}"};
  static constexpr com::Guid kCLSID{"{C16EFDB0-E120-422B-9B8B-F7106CD294B1}"};

  // The current user's Windows locale ID (1033, 1049, ...). Fails with a
  // com::Error when the platform cannot tell.
  virtual int32_t GetLocaleID() = 0;
};

}  // namespace ostrel
