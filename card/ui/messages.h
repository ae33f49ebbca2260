#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>

#include "platform/com/error.h"
#include "platform/com/unknown.h"

namespace ostrel {
class Session;
}

// The card library's texts and the ways it shows them: every message goes
// through the host's ShowMessage (pellory::Pellory, called by name, so any
// dispatch object can be the host); without a host, through the plain
// message box of the process (PlainMessageBox). Showing never fails: a
// message that cannot be shown is dropped, as the person could not have
// read it anyway.
namespace card {

// Message numbers of the library's string table.
namespace msg {
inline constexpr int32_t kTitle = 101;
inline constexpr int32_t kSaveChanges = 104;
inline constexpr int32_t kSelectFolder = 105;
inline constexpr int32_t kInstancePrefix = 106;
inline constexpr int32_t kActivationFailed = 501;
inline constexpr int32_t kSaveFailed = 503;
inline constexpr int32_t kCloseFailed = 504;
inline constexpr int32_t kCreateInstanceFailed = 505;
inline constexpr int32_t kPrintFailed = 507;
inline constexpr int32_t kStartFailed = 509;
inline constexpr int32_t kPauseFailed = 510;
inline constexpr int32_t kStopFailed = 511;
inline constexpr int32_t kUpdateStateFailed = 512;
inline constexpr int32_t kDeleted = 513;
inline constexpr int32_t kLockedByOther = 514;
inline constexpr int32_t kLockFailed = 515;
inline constexpr int32_t kReadOnly = 516;
inline constexpr int32_t kEditAllowed = 517;
inline constexpr int32_t kCreatorsOnly = 518;
inline constexpr int32_t kReadOnlyDeleted = 519;
inline constexpr int32_t kReadOnlyNotCreator = 520;
inline constexpr int32_t kReadOnlyLockedBy = 521;
inline constexpr int32_t kReadOnlyActive = 522;
inline constexpr int32_t kNoStartFunction = 533;
inline constexpr int32_t kCannotStart = 534;
inline constexpr int32_t kUnknownFunctionTypes = 535;
inline constexpr int32_t kUnknownGateTypes = 536;
inline constexpr int32_t kServiceUnknown = 538;
inline constexpr int32_t kExportTitle = 601;
inline constexpr int32_t kImportTitle = 602;
inline constexpr int32_t kFileFilter = 603;
inline constexpr int32_t kExportFailed = 1010;
inline constexpr int32_t kImportFailed = 1011;
inline constexpr int32_t kExported = 1012;
inline constexpr int32_t kImported = 1013;
inline constexpr int32_t kConfirmImport = 1019;
inline constexpr int32_t kNoTemplateInFile = 1020;
inline constexpr int32_t kInstanceCreated = 1021;
inline constexpr int32_t kConvertQuestion = 1023;
inline constexpr int32_t kConvertCaption = 1024;
inline constexpr int32_t kConverting = 1025;
inline constexpr int32_t kConvertFailed = 1026;
inline constexpr int32_t kExportWithSubprocesses = 1029;
inline constexpr int32_t kImportWithSubprocesses = 1030;
inline constexpr int32_t kModeReadOnly = 1033;
inline constexpr int32_t kModeEdit = 1034;
inline constexpr int32_t kModeEditLimited = 1035;
inline constexpr int32_t kLimitedEdit = 1036;
inline constexpr int32_t kYes = 2000;
inline constexpr int32_t kNo = 2001;
inline constexpr int32_t kOnlyWithShift = 2002;
// Platform refusals with a sub-code n are message 4000 + n.
inline constexpr int32_t kPlatformBase = 4000;
}  // namespace msg

// Message `id` in the current user's language (LoadLocalizedString).
std::string Message(int32_t id);

// Each argument in order replaces the first "%s" left in the text; the
// arguments past the last "%s" are dropped.
std::string FormatText(std::string format, std::span<const std::string> args);
// A name made fit for a file: the ten characters " ' ? ; : * / \ | < each
// become a space, then blanks at both ends go.
std::string MakeFileName(std::string_view name);
// The session's last error text; a platform refusal that carries a
// sub-code ("Korvessa.Platform.StorageServer.SoapError: 1873, <n>, ...")
// becomes message 4000 + n when the library has one. A null session or
// one that cannot answer gives "".
std::string PlatformErrorText(ostrel::Session* session);

// The plain message box of a process without a card host: where a card
// runs with no host (a script, a test). The default writes the message to
// standard error and answers the safest button it offers (cancel, else no,
// else the only one); a program with a person at hand may set its own.
struct PlainBox {
  std::string title;
  std::string text;
  int32_t icon;     // pellory::icon codes
  int32_t buttons;  // pellory::buttons codes
};
using PlainMessageBox = std::function<int32_t(const PlainBox& box)>;
// Sets the process's plain message box (the default again when empty).
void SetPlainMessageBox(PlainMessageBox box);

// A message with one button: `host` is the Pellory services object or null.
void ShowMessage(com::Unknown* host, int32_t window, const std::string& text, int32_t icon);
// The same with a details text (or a key string) and a buttons code.
void ShowMessageEx(com::Unknown* host, int32_t window, const std::string& text, const std::string& details,
                   int32_t icon, int32_t buttons);
// A question: answers pellory::answer::kYes, kNo or kCancel. Without a host,
// yes/no/cancel for buttons code 3, yes/no otherwise.
int32_t AskQuestion(com::Unknown* host, int32_t window, const std::string& text, int32_t buttons);
// Message `message_id` for a failure `error`: the details read the error's
// number in upper-case hexadecimal, ": " and its description (for a storage
// failure, with the session's last error text after it).
void ShowError(com::Unknown* host, int32_t window, int32_t message_id, const com::Error& error,
               ostrel::Session* session);

}  // namespace card
