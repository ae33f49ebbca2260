#pragma once

#include "objects/log/log_message_object.h"
#include "platform/com/keyed.h"
#include "vorlane/log_reader.h"

namespace vorlane {

class LogReaderObject final : public com::Object<LogReader> {
 public:
  void Initialize(com::Ref<ostrel::SectionReader> section_reader) override;
  com::Ref<LogMessage> GetLogMessage(int32_t index) override;
  bool Read() override;
  void CloseReader() override;
  com::Ref<LogMessage> Current() override { return current_; }
  bool Closed() override { return !reader_; }
  int32_t ReadCount() override { return static_cast<int32_t>(read_.size()); }

 private:
  com::Ref<ostrel::SectionReader> reader_;  // null when closed
  com::Keyed<com::Ref<LogMessageObject>> read_;
  com::Ref<LogMessageObject> current_;
};

}  // namespace vorlane
