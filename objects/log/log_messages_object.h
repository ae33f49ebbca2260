#pragma once

#include "objects/core/row_list.h"
#include "objects/log/log_message_object.h"
#include "vorlane/log_messages.h"

namespace vorlane {

// Live messages in row order, keyed by their ID (the row's own identity).
class LogMessagesObject final : public RowListCollection<LogMessages, LogMessage, LogMessageObject> {
 public:
  LogMessagesObject() : RowListCollection({.key = KeyBy::RowIdentity}) {}

  com::Ref<LogMessage> AddNew(ActionTypeEnum action_type, const std::string& action, int16_t priority,
                              const std::string& function_name, std::optional<std::string> change_state,
                              std::optional<std::string> input_parameters,
                              std::optional<std::string> output_parameters,
                              std::optional<std::string> message) override;
  void Remove(const std::string& id) override;
  void Clear() override;
};

}  // namespace vorlane
