// The log classes of the library in the process's class registry. The
// messages and logged values, item and list, are creatable; an object made
// that way has no row or section and fails on every member with 0x800A005B.
// The reader is handed out by Process.GetLogReader.
#include "objects/common/module_info.h"
#include "objects/log/log_messages_object.h"
#include "objects/log/log_reader_object.h"
#include "objects/log/log_values_object.h"
#include "platform/com/registry.h"

namespace vorlane {
namespace {

com::ClassInfo Class(const com::Guid& clsid, const char* name) {
  com::ClassInfo info;
  info.clsid = clsid;
  info.progid = std::string("QXVorlane.") + name;
  info.creatable = false;
  info.module = std::string(ThisModule().name);
  return info;
}

// A creatable class whose factory makes an object attached to nothing.
template <class Impl>
com::ClassInfo Creatable(const com::Guid& clsid, const char* name) {
  com::ClassInfo info = Class(clsid, name);
  info.creatable = true;
  info.factory = [] { return com::Ref<com::Unknown>(com::Make<Impl>()); };
  return info;
}

const com::ClassRegistrar kClasses[] = {
    com::ClassRegistrar(Creatable<LogMessagesObject>(LogMessages::kCLSID, "LogMessages")),
    com::ClassRegistrar(Creatable<LogMessageObject>(LogMessage::kCLSID, "LogMessage")),
    com::ClassRegistrar(Creatable<LogValuesObject>(LogValues::kCLSID, "LogValues")),
    com::ClassRegistrar(Creatable<LogValueObject>(LogValue::kCLSID, "LogValue")),
    com::ClassRegistrar(Class(LogReader::kCLSID, "LogReader")),
};

}  // namespace
}  // namespace vorlane
