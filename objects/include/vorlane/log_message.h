#pragma once

#include <string>

#include "platform/com/dispatch.h"
#include "vorlane/enums.h"

namespace vorlane {

// _LogMessage: one message of a process's log, read only. A message handed
// out by LogMessages is live: each property reads the message's row at the
// moment of the call, and fails once the row is gone. One read by a
// LogReader is a snapshot: it holds the values of the record it was read
// from and keeps working whatever happens to the row. Creatable, but an
// object made by a client has neither and fails on every member with
// 0x800A005B. An empty field reads as its type's empty value.
class LogMessage : public virtual com::Dispatch {
 public:
  static constexpr com::Guid kIID{"{004035EB-6E0B-42D2-9CEA-1B818A66CFDB}"};
  static constexpr com::Guid kCLSID{"{EC023AC7-EF70-4FE8-913B-80ADA8E04EB7}"};
  static const com::TypeInfo& DispatchInfo();

  // The message's row ID, normalised.
  virtual std::string ID() = 0;
  virtual std::string FunctionName() = 0;
  virtual std::string ChangeState() = 0;
  virtual std::string Action() = 0;
  virtual std::string InputParameters() = 0;
  virtual std::string OutputParameters() = 0;
  virtual std::string Message() = 0;
  // The local date and time when the message was added.
  virtual com::Date MessageDate() = 0;
  // A number rounded to a whole one, halves to even; a field that holds no
  // number reads 0.
  virtual int16_t Priority() = 0;
  virtual ActionTypeEnum ActionType() = 0;
  // The row's timestamp as the platform keeps it ("SysRowTimestamp").
  virtual com::Variant Timestamp() = 0;
};

}  // namespace vorlane
