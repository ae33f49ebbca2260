#pragma once

#include <optional>

#include "objects/core/row_wrapper.h"
#include "platform/ostrel/section_reader.h"
#include "vorlane/log_message.h"

namespace vorlane {

// A log message, live over its row (SetRow) or a snapshot of a reader's
// record (Fill); with neither it fails on every member with 0x800A005B.
class LogMessageObject final : public com::Object<LogMessage>, public RowWrapper {
 public:
  // Copies the reader's current record: its "RowID" (which must not be
  // Null: a conversion error), and each field that is not Null. The message
  // then answers from the copy, never from a row.
  void Fill(ostrel::SectionReader& reader);

  std::string ID() override;
  std::string FunctionName() override { return TextOf("FunctionName", &Snapshot::function_name); }
  std::string ChangeState() override { return TextOf("ChangeState", &Snapshot::change_state); }
  std::string Action() override { return TextOf("Action", &Snapshot::action); }
  std::string InputParameters() override { return TextOf("InputParameters", &Snapshot::input_parameters); }
  std::string OutputParameters() override { return TextOf("OutputParameters", &Snapshot::output_parameters); }
  std::string Message() override { return TextOf("Message", &Snapshot::message); }
  com::Date MessageDate() override;
  int16_t Priority() override;
  ActionTypeEnum ActionType() override;
  com::Variant Timestamp() override;

 private:
  // The copied record; each value stays at its type's empty value when the
  // record's field was Null.
  struct Snapshot {
    std::string id;
    std::string function_name;
    std::string change_state;
    std::string action;
    std::string input_parameters;
    std::string output_parameters;
    std::string message;
    com::Date message_date;
    int16_t priority = 0;
    ActionTypeEnum action_type = ActionTypeEnum::Error;
    com::Variant timestamp;
  };

  std::string TextOf(const char* field, std::string Snapshot::*member) const;

  std::optional<Snapshot> snapshot_;
};

}  // namespace vorlane
