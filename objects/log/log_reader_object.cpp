// A process log read forward through the platform's section reader.
#include "objects/log/log_reader_object.h"
#include "platform/com/describe.h"
#include "platform/com/error.h"

namespace vorlane {

bool LogReaderObject::FirstOfItsID(std::string_view id) {
  // "{GUID}" exactly: two such texts are equal without regard to case when
  // their GUIDs are.
  if (id.size() == 38 && id.front() == '{') {
    if (const std::optional<com::Guid> guid = com::Guid::Parse(id)) return guids_.insert(*guid).second;
  }
  return texts_.emplace(id).second;
}

void LogReaderObject::Initialize(com::Ref<ostrel::SectionReader> section_reader) {
  reader_ = std::move(section_reader);
  read_.clear();
  guids_.clear();
  texts_.clear();
  current_.reset();
}

bool LogReaderObject::Read() {
  if (!reader_) return false;
  if (!reader_->ReadNext()) {
    // The end of the data closes the reader; what was read stays.
    reader_->Close();
    reader_.reset();
    current_.reset();
    return false;
  }
  com::Ref<LogMessageObject> message = com::Make<LogMessageObject>();
  message->Fill(*reader_);
  // A record whose row ID was read before fails here, the reader having
  // moved past it.
  if (!FirstOfItsID(message->ID())) throw com::Error(com::hr::kDuplicateKey);
  read_.push_back(message);
  current_ = std::move(message);
  return true;
}

com::Ref<LogMessage> LogReaderObject::GetLogMessage(int32_t index) {
  while (ReadCount() < index) {
    if (!Read()) break;
  }
  if (index < 1 || index > ReadCount()) throw com::Error(com::hr::kSubscriptOutOfRange);
  return read_[static_cast<size_t>(index - 1)];
}

void LogReaderObject::CloseReader() {
  if (!reader_) return;
  reader_->Close();
  reader_.reset();
  current_.reset();
}

const com::TypeInfo& LogReader::DispatchInfo() {
  using R = LogReader;
  static const com::TypeInfo info = com::Describe<R>("_LogReader")
                                        .Method("Initialize", &R::Initialize, {com::Arg("SectionReader")})
                                        .Method("GetLogMessage", &R::GetLogMessage, {com::Arg("Index")})
                                        .Method("Read", &R::Read)
                                        .Method("CloseReader", &R::CloseReader)
                                        .Get("Current", &R::Current)
                                        .Get("Closed", &R::Closed)
                                        .Get("ReadCount", &R::ReadCount)
                                        .Build();
  return info;
}

}  // namespace vorlane
