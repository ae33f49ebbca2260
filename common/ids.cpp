#include "common/ids.h"

#include <optional>
#include <system_error>

#include "common/error_codes.h"
#include "platform/com/error.h"
#include "platform/com/guid.h"
#include "platform/com/text.h"

namespace vorlane {
namespace {

// The code of a system failure as an HRESULT of the Win32 facility, as the
// platform reports operating-system errors.
com::HResult CodeOf(const std::system_error& e) {
  return com::MakeHResult(0x80070000u | (static_cast<uint32_t>(e.code().value()) & 0xFFFFu));
}

// The formatted text is used only in the registry form, never cut or padded.
bool IsRegistryForm(const std::string& s) { return s.size() == 38 && s.front() == '{' && s.back() == '}'; }

}  // namespace

std::string CreateGUID() {
  com::Guid guid;
  try {
    guid = com::Guid::Generate();
  } catch (const std::system_error& e) {
    // The system's random source failed: raised with the generator's own code.
    throw com::Error(CodeOf(e), "CreateGUID", "CreateGUID failed.");
  }
  std::string text = guid.ToString();
  if (!IsRegistryForm(text)) throw com::Error(err::kLibraryError, "CreateGUID", "StringFromGUID2 failed");
  return text;
}

std::string NormalizeID(std::string_view id) {
  std::string out(id);
  NormalizeIDInPlace(out);
  return out;
}

void NormalizeIDInPlace(std::string& id) {
  if (const std::string_view trimmed = text::Trim(id); trimmed.size() != id.size()) id = std::string(trimmed);
  // ASCII letters are upper-cased where they are; a text with other
  // characters is upper-cased as a whole (which leaves those letters be).
  bool ascii = true;
  for (char& c : id) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    ascii &= static_cast<unsigned char>(c) < 0x80;
  }
  if (!ascii) id = text::Upper(id);
  if (id.find('{') == std::string::npos) {
    id.insert(id.begin(), '{');
    id.push_back('}');
  }
}

bool SameID(std::string_view a, std::string_view b) {
  // Two GUIDs in any of their spellings (braces or none, either case,
  // blanks around) have equal normalised forms exactly when they are one
  // GUID: compared as such, without making the two forms.
  if (const std::optional<com::Guid> ga = com::Guid::Parse(a)) {
    if (const std::optional<com::Guid> gb = com::Guid::Parse(b)) return *ga == *gb;
  }
  return text::EqualNoCase(NormalizeID(a), NormalizeID(b));
}

}  // namespace vorlane
