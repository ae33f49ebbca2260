#include "card/ui/messages.h"

#include <cstdio>
#include <iostream>
#include <mutex>

#include "common/localized_strings.h"
#include "platform/com/dispatch.h"
#include "platform/ostrel/errors.h"
#include "platform/ostrel/session.h"
#include "platform/pellory/host.h"

namespace card {
namespace {

constexpr std::string_view kRefusalPrefix = "Korvessa.Platform.StorageServer.SoapError: 1873, ";

int32_t DefaultPlainBox(const PlainBox& box) {
  std::cerr << box.title << ": " << box.text << std::endl;
  if (box.buttons == pellory::buttons::kYesNoCancel) return pellory::answer::kCancel;
  if (box.buttons == pellory::buttons::kYesNo) return pellory::answer::kNo;
  return pellory::answer::kYes;
}

std::mutex& PlainMutex() {
  static std::mutex m;
  return m;
}

PlainMessageBox& Plain() {
  static PlainMessageBox box = DefaultPlainBox;
  return box;
}

int32_t ShowPlain(PlainBox box) {
  PlainMessageBox show;
  {
    std::lock_guard lock(PlainMutex());
    show = Plain();
  }
  return show(box);
}

// The host's ShowMessage; its answer, or nullopt when it failed.
std::optional<int32_t> HostMessage(com::Unknown* host, int32_t window, const std::string& text,
                                   const std::string& details, int32_t icon, int32_t buttons) {
  try {
    const com::Variant args[] = {com::Variant(Message(msg::kTitle)), com::Variant(text), com::Variant(details),
                                 com::Variant(icon), com::Variant(buttons), com::Variant(window)};
    com::Variant answer = com::CallMethod(host, "ShowMessage", args);
    return answer.IsEmpty() ? 0 : answer.ToI4();
  } catch (const com::Error&) {
    // A message the host cannot show is dropped: showing never fails.
    return std::nullopt;
  }
}

// Upper-case hexadecimal without leading zeros, as error numbers are shown.
std::string Hex(com::HResult code) {
  char out[16];
  std::snprintf(out, sizeof out, "%X", static_cast<unsigned>(code));
  return out;
}

}  // namespace

std::string Message(int32_t id) { return vorlane::LoadLocalizedString(id, 0); }

std::string FormatText(std::string format, std::span<const std::string> args) {
  size_t from = 0;
  for (const std::string& arg : args) {
    size_t at = format.find("%s", from);
    if (at == std::string::npos) break;
    format.replace(at, 2, arg);
    // An argument that itself holds "%s" is not filled in again.
    from = at + arg.size();
  }
  return format;
}

std::string MakeFileName(std::string_view name) {
  std::string out(name);
  for (char& c : out) {
    if (std::string_view("\"'?;:*/\\|<").find(c) != std::string_view::npos) c = ' ';
  }
  size_t first = out.find_first_not_of(' ');
  if (first == std::string::npos) return "";
  size_t last = out.find_last_not_of(' ');
  return out.substr(first, last - first + 1);
}

std::string PlatformErrorText(ostrel::Session* session) {
  if (!session) return "";
  std::string text;
  try {
    text = session->GetLastErrorText();
  } catch (const com::Error&) {
    // A session that cannot tell has nothing to show.
    return "";
  }
  if (!text.starts_with(kRefusalPrefix)) return text;
  int32_t number = 0;
  for (size_t i = kRefusalPrefix.size(); i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    if (number > 100'000'000) break;  // no message has such a number
    number = number * 10 + (text[i] - '0');
  }
  if (number == 0) return text;
  std::string message = Message(msg::kPlatformBase + number);
  return message == vorlane::kNoResourceFound ? text : message;
}

void SetPlainMessageBox(PlainMessageBox box) {
  std::lock_guard lock(PlainMutex());
  Plain() = box ? std::move(box) : PlainMessageBox(DefaultPlainBox);
}

void ShowMessage(com::Unknown* host, int32_t window, const std::string& text, int32_t icon) {
  ShowMessageEx(host, window, text, "", icon, pellory::buttons::kOk);
}

void ShowMessageEx(com::Unknown* host, int32_t window, const std::string& text, const std::string& details,
                   int32_t icon, int32_t buttons) {
  if (host) {
    HostMessage(host, window, text, details, icon, buttons);
    return;
  }
  // The plain box has no room for a key string: it shows the text alone.
  ShowPlain({Message(msg::kTitle), text, icon, pellory::buttons::kOk});
}

int32_t AskQuestion(com::Unknown* host, int32_t window, const std::string& text, int32_t buttons) {
  if (host) {
    // A question nobody could see is not answered yes.
    return HostMessage(host, window, text, "", pellory::icon::kQuestion, buttons).value_or(pellory::answer::kCancel);
  }
  const int32_t offered = buttons == pellory::buttons::kYesNoCancel ? buttons : pellory::buttons::kYesNo;
  const int32_t answer = ShowPlain({Message(msg::kTitle), text, pellory::icon::kQuestion, offered});
  if (answer == pellory::answer::kCancel) return pellory::answer::kCancel;
  return answer == pellory::answer::kYes ? pellory::answer::kYes : pellory::answer::kNo;
}

void ShowError(com::Unknown* host, int32_t window, int32_t message_id, const com::Error& error,
               ostrel::Session* session) {
  std::string description(error.description());
  if (session && error.code() == ostrel::err::kStorageFailure) {
    try {
      description += " " + session->GetLastErrorText();
    } catch (const com::Error&) {
      // The error's own description is still worth showing.
    }
  }
  const std::string details = Hex(error.code()) + ": " + description;
  if (host) {
    HostMessage(host, window, Message(message_id), details, pellory::icon::kError, pellory::buttons::kOk);
    return;
  }
  ShowPlain({Message(msg::kTitle), Message(message_id) + "\r\n" + details, pellory::icon::kWarning,
             pellory::buttons::kOk});
}

}  // namespace card
