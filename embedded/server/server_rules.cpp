#include "embedded/server/server_rules.h"

#include "embedded/store/session_state.h"
#include "platform/com/text.h"
#include "platform/ostrel/errors.h"

namespace embedded::server {
namespace {

constexpr std::string_view kRefusalPrefix = "Korvessa.Platform.StorageServer.SoapError: 1873, ";

}  // namespace

bool InGroup(const SessionState& session, std::string_view group) {
  for (const std::string& g : session.groups()) {
    if (text::EqualNoCase(g, group)) return true;
  }
  return false;
}

void Refuse(SessionState& session, int code, const std::string& text) {
  session.Raise(ostrel::err::kRefused, ostrel::err::RefusalText(code, text));
}

bool IsServerRefusal(std::string_view error_text) { return error_text.starts_with(kRefusalPrefix); }

}  // namespace embedded::server
