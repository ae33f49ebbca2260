#pragma once

#include <optional>
#include <string>

#include "vorlane/log_message.h"

namespace vorlane {

// _LogMessages: the log of a process, one live LogMessage per row of the
// card's log section, in row order, keyed by message ID. The list is read on
// first use and kept until Refresh. The process's logging settings are not
// consulted: AddNew writes every message it is given. Handed out by
// Process.LogMessages; creatable, but a list made by a client has no
// section and fails on every member with 0x800A005B. For a log read once,
// front to back, Process.GetLogReader costs less.
class LogMessages : public virtual com::Dispatch {
 public:
  static constexpr com::Guid kIID{"{FDF0B134-836F-4855-BFAC-D77B9AEE2DDC}"};
  static constexpr com::Guid kCLSID{"{8CE592CB-9F38-4836-983B-48A492B6F48D}"};
  static const com::TypeInfo& DispatchInfo();

  virtual int32_t Count() = 0;
  // By 1-based position, or by message ID (any case, braces optional).
  virtual com::Ref<LogMessage> Item(const com::Variant& index) = 0;
  virtual com::Ref<com::Unknown> NewEnum() = 0;
  // Adds a message dated now; texts left out are stored empty. Either the
  // whole message is added or none: when a write fails, the new row is
  // removed again and the error reaches the caller.
  virtual com::Ref<LogMessage> AddNew(ActionTypeEnum action_type, const std::string& action, int16_t priority,
                                      const std::string& function_name, std::optional<std::string> change_state,
                                      std::optional<std::string> input_parameters,
                                      std::optional<std::string> output_parameters,
                                      std::optional<std::string> message) = 0;
  // Re-reads the card and drops the list.
  virtual void Refresh(bool deep_refresh) = 0;
  // Removes the message whose ID is `id` in the form LogMessage.ID gives
  // (with its braces; letter case is free). An unknown ID fails before
  // anything changes.
  virtual void Remove(const std::string& id) = 0;
  // Removes every message of the log.
  virtual void Clear() = 0;
};

}  // namespace vorlane
