#pragma once

#include <boost/unordered/unordered_flat_set.hpp>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "objects/log/log_message_object.h"
#include "platform/com/guid.h"
#include "platform/com/text.h"
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
  // Enters the ID of a message read; false when a message of that ID, its
  // letters matched without regard to case, was read before.
  bool FirstOfItsID(std::string_view id);

  com::Ref<ostrel::SectionReader> reader_;  // null when closed
  std::vector<com::Ref<LogMessageObject>> read_;  // in reading order
  // The IDs read: those in the platform's form of a GUID by value, any
  // other by its text.
  boost::unordered_flat_set<com::Guid, com::GuidHash> guids_;
  std::unordered_set<std::string, text::NoCaseHash, text::NoCaseEqual> texts_;
  com::Ref<LogMessageObject> current_;
};

}  // namespace vorlane
