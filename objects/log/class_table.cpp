// The log classes of the library in the process's class registry. The
// messages and logged values, item and list, are creatable; an object made
// that way has no row or section and fails on every member with 0x800A005B.
// The reader is handed out by Process.GetLogReader.
#include "objects/core/class_info.h"
#include "objects/log/log_messages_object.h"
#include "objects/log/log_reader_object.h"
#include "objects/log/log_values_object.h"

namespace vorlane {
namespace {

const com::ClassRegistrar kClasses[] = {
    com::ClassRegistrar(Creatable<LogMessagesObject>(LogMessages::kCLSID, "LogMessages")),
    com::ClassRegistrar(Creatable<LogMessageObject>(LogMessage::kCLSID, "LogMessage")),
    com::ClassRegistrar(Creatable<LogValuesObject>(LogValues::kCLSID, "LogValues")),
    com::ClassRegistrar(Creatable<LogValueObject>(LogValue::kCLSID, "LogValue")),
    com::ClassRegistrar(HandedOut(LogReader::kCLSID, "LogReader")),
};

}  // namespace
}  // namespace vorlane
