// A process log read forward through the platform's section reader.
#include "objects/log/log_reader_object.h"
#include "platform/com/describe.h"

namespace vorlane {

void LogReaderObject::Initialize(com::Ref<ostrel::SectionReader> section_reader) {
  reader_ = std::move(section_reader);
  read_.Clear();
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
  std::string id = message->ID();
  read_.Add(message, std::move(id));
  current_ = std::move(message);
  return true;
}

com::Ref<LogMessage> LogReaderObject::GetLogMessage(int32_t index) {
  while (ReadCount() < index) {
    if (!Read()) break;
  }
  return read_.Item(com::Variant(index));
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
