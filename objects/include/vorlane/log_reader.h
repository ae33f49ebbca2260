#pragma once

#include "platform/ostrel/section_reader.h"
#include "vorlane/log_message.h"

namespace vorlane {

// _LogReader: a process log read forward, record by record, through a
// platform section reader. Each record read becomes a snapshot LogMessage
// kept in reading order; no record is read twice, and messages already read
// are served without touching the platform. Handed out by
// Process.GetLogReader, a new reader on every call.
//
// States: not initialised (Closed) -> open (after Initialize) -> closed (at
// the end of the data or after CloseReader); the messages read stay.
class LogReader : public virtual com::Dispatch {
 public:
  static constexpr com::Guid kIID{"{690A56D8-39D7-485B-B8AD-19F30D5713C2}"};
  static constexpr com::Guid kCLSID{"{2B07A27F-0054-4C23-8160-D88D91F7B7C3}"};
  static const com::TypeInfo& DispatchInfo();

  // Reads from `section_reader` from now on, starting a new list.
  virtual void Initialize(com::Ref<ostrel::SectionReader> section_reader) = 0;
  // Message `index` (1-based) in reading order, reading on only as far as
  // that. An index below 1 or beyond the records there are fails with
  // 0x800A0009 (the reader is closed by then, having reached the end).
  virtual com::Ref<LogMessage> GetLogMessage(int32_t index) = 0;
  // Reads the next record: True when there was one; False at the end of the
  // data (the reader closes) or when the reader is closed.
  virtual bool Read() = 0;
  // Stops reading; the messages read stay. Nothing happens when closed.
  virtual void CloseReader() = 0;
  // The message read last; Nothing before the first Read and after the end.
  virtual com::Ref<LogMessage> Current() = 0;
  // True when there is nothing to read from: before Initialize, after the
  // end of the data, after CloseReader.
  virtual bool Closed() = 0;
  // The number of messages read so far.
  virtual int32_t ReadCount() = 0;
};

}  // namespace vorlane
