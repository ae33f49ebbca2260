#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "platform/com/dispatch.h"
#include "platform/pellory/host.h"

namespace card::testing {

// A card host that records every message it is asked to show and answers
// from a queue (yes when the queue is empty); forms are handed to a
// function that plays the person.
class RecordingHost final : public com::Object<pellory::Pellory> {
 public:
  struct Shown {
    std::string caption, text, details;
    int32_t icon, buttons, owner;
  };

  int32_t ShowMessage(const std::string& caption, const std::string& text, const std::string& details,
                      int32_t icon, int32_t buttons, int32_t owner) override {
    if (fail) throw com::Error(com::hr::kFail, "host", "the host's window is gone");
    shown.push_back({caption, text, details, icon, buttons, owner});
    if (answers.empty()) return pellory::answer::kYes;
    int32_t a = answers.front();
    answers.pop_front();
    return a;
  }
  std::string SelectFolder(const std::string&, int32_t, const std::string&) override { return ""; }
  void OpenCard(const std::string&, const std::string&, int32_t, const com::Variant&, const com::Variant&) override {}
  std::string GetFolderCardID() override { return ""; }
  void ShowForm(const com::Variant& form) override {
    if (person) person(form.ToObject());
  }
  int32_t ShowInstanceDialog(const com::Variant&) override { return 2; }
  bool ShowProperties(const com::Variant&) override { return false; }
  void ShowLog(const com::Variant&) override {}
  std::string ChooseFile(bool, const std::string&, const std::string&, const std::string&, const std::string&,
                         int32_t) override {
    return "";
  }
  void SavePicture(const std::string&, const std::string&) override {}
  void PrintDocument(const std::string&, const std::string&) override {}

  std::vector<Shown> shown;
  std::deque<int32_t> answers;
  bool fail = false;
  std::function<void(const com::Ref<com::Unknown>& form)> person;
};

// The code a call fails with, 0 when it does not fail.
inline com::HResult CodeOf(const std::function<void()>& call) {
  try {
    call();
  } catch (const com::Error& e) {
    return e.code();
  }
  return 0;
}

}  // namespace card::testing
