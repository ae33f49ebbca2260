#pragma once

#include <string>
#include <string_view>

namespace embedded {
class SessionState;
}

// The rules the workflow server keeps: the groups that grant rights over
// process instances, and the sub-codes of its refusals.
namespace embedded::server {

// Members may create and edit process templates, and control any instance.
inline constexpr std::string_view kCreatorsGroup = "Korvessa Workflow Process Creators";
// Members may control any instance.
inline constexpr std::string_view kAdministratorsGroup = "Korvessa Administrators";

// Sub-codes of the server's refusals (ostrel::err::kRefused). The refusal's
// text, which is also the session's last error text, reads
// "Korvessa.Platform.StorageServer.SoapError: 1873, <sub-code>, <text>";
// clients show their message 4000 + sub-code where they have one, and the
// text as it stands otherwise.
namespace subcode {
// The account neither started the instance nor belongs to the
// administrators or the creators group.
inline constexpr int kNotController = 1383;
// Another account holds the card's lock.
inline constexpr int kLockedByOther = 1384;
// The card is no process instance: a process template, or a card of
// another type.
inline constexpr int kNotInstance = 1385;
// The instance's state does not allow the call (pausing an instance that
// is not active, starting one that is).
inline constexpr int kWrongState = 1386;
}  // namespace subcode

// True when the session's account belongs to `group` (names compare
// without regard to case, as account names do).
bool InGroup(const SessionState& session, std::string_view group);

// Refuses the request: sets the session's last error text to the refusal's
// text and throws ostrel::err::kRefused with it.
[[noreturn]] void Refuse(SessionState& session, int code, const std::string& text);

// True when `error_text` is a refusal of this server (it carries a sub-code).
bool IsServerRefusal(std::string_view error_text);

}  // namespace embedded::server
