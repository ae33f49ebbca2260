#pragma once

#include <cstdint>
#include <string>

#include "platform/com/dispatch.h"

namespace ostrel {

// The shortcuts of one folder: the cards filed there.
class Shortcuts : public virtual com::Dispatch {
 public:
  static constexpr com::Guid kIID{"{8897E6EE-40DA-4738-83FD-10649CA9D6BE}"};
  static const com::TypeInfo& DispatchInfo();

  virtual int32_t Count() = 0;
  // The card ID of the shortcut at the zero-based position, "{UPPER-CASE}".
  virtual std::string Item(int32_t index) = 0;
  // Files the card in the folder. A hard shortcut stands for the card's
  // place of residence; a card has at most one hard shortcut.
  virtual void AddShortcut(const std::string& card_id, bool hard) = 0;
};

}  // namespace ostrel
