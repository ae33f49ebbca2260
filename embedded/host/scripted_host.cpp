#include "embedded/host/scripted_host.h"

#include "platform/com/events.h"

namespace embedded {
std::vector<ScriptedServices::Call> ScriptedServices::CallsOf(const std::string& member) const {
  std::vector<Call> out;
  for (const Call& c : calls_) {
    if (c.member == member) out.push_back(c);
  }
  return out;
}

std::vector<std::string> ScriptedServices::Messages() const {
  std::vector<std::string> out;
  for (const Call& c : calls_) {
    if (c.member == "ShowMessage") out.push_back(c.args[1].ToText());
  }
  return out;
}

com::Variant ScriptedServices::Next(const std::string& member, com::Variant fallback) {
  auto queued = answers_.find(member);
  if (queued != answers_.end() && !queued->second.empty()) {
    com::Variant v = std::move(queued->second.front());
    queued->second.pop_front();
    return v;
  }
  auto set = defaults_.find(member);
  return set != defaults_.end() ? set->second : fallback;
}

int32_t ScriptedServices::ShowMessage(const std::string& caption, const std::string& text, const std::string& details,
                                      int32_t icon, int32_t buttons, int32_t owner_window) {
  Record("ShowMessage", {com::Variant(caption), com::Variant(text), com::Variant(details), com::Variant(icon),
                         com::Variant(buttons), com::Variant(owner_window)});
  return Next("ShowMessage", com::Variant(pellory::answer::kYes)).ToI4();
}

std::string ScriptedServices::SelectFolder(const std::string& prompt, int32_t flags, const std::string& initial) {
  Record("SelectFolder", {com::Variant(prompt), com::Variant(flags), com::Variant(initial)});
  return Next("SelectFolder", com::Variant("")).ToText();
}

void ScriptedServices::OpenCard(const std::string& card_id, const std::string& mode_id, int32_t flags,
                                const com::Variant& params, const com::Variant& extra) {
  Record("OpenCard", {com::Variant(card_id), com::Variant(mode_id), com::Variant(flags), params, extra});
}

std::string ScriptedServices::GetFolderCardID() {
  Record("GetFolderCardID", {});
  return folder_card_id;
}

namespace {

// Hears a shown form's window-changed event for the form watcher.
class FormSink final : public com::Object<pellory::CardWindowEvents> {
 public:
  FormSink(com::Ref<com::Unknown> form, ScriptedServices::FormPlayer& watcher)
      : form_(std::move(form)), watcher_(watcher) {}
  void WindowChanged() override {
    if (watcher_) watcher_(form_);
  }

 private:
  com::Ref<com::Unknown> form_;
  ScriptedServices::FormPlayer& watcher_;
};

}  // namespace

void ScriptedServices::ShowForm(const com::Variant& form) {
  Record("ShowForm", {form});
  com::Ref<com::Unknown> object = form.ToObject();
  // On screen: the host hears the form's changes, then activates it.
  uint32_t cookie = 0;
  auto sink = com::Make<FormSink>(com::Ref<com::Unknown>(object.get()), form_watcher_);
  if (com::Query<com::ConnectionPointContainer>(object)) {
    cookie = com::Advise(object.get(), pellory::CardWindowEvents::kIID, com::Ref<com::Dispatch>(sink.get()));
  }
  try {
    com::CallMethod(object.get(), "Activate");
    if (form_player_) form_player_(object);
  } catch (...) {
    if (cookie) com::Unadvise(object.get(), pellory::CardWindowEvents::kIID, cookie);
    throw;
  }
  if (cookie) com::Unadvise(object.get(), pellory::CardWindowEvents::kIID, cookie);
  // A form is modal: whatever the player did, it is closed on return.
  if (com::GetProperty(object.get(), "Visible").ToBool()) com::CallMethod(object.get(), "Close");
}

int32_t ScriptedServices::ShowInstanceDialog(const com::Variant& process) {
  Record("ShowInstanceDialog", {process});
  return Next("ShowInstanceDialog", com::Variant(2)).ToI4();
}

bool ScriptedServices::ShowProperties(const com::Variant& process) {
  Record("ShowProperties", {process});
  return false;  // nobody edits them here
}

void ScriptedServices::ShowLog(const com::Variant& process) { Record("ShowLog", {process}); }

std::string ScriptedServices::ChooseFile(bool save, const std::string& title, const std::string& filter,
                                         const std::string& default_name, const std::string& default_ext,
                                         int32_t flags) {
  Record("ChooseFile", {com::Variant(save), com::Variant(title), com::Variant(filter), com::Variant(default_name),
                        com::Variant(default_ext), com::Variant(flags)});
  return Next("ChooseFile", com::Variant("")).ToText();
}

void ScriptedServices::SavePicture(const std::string& svg, const std::string& default_name) {
  Record("SavePicture", {com::Variant(svg), com::Variant(default_name)});
}

void ScriptedServices::PrintDocument(const std::string& title, const std::string& html) {
  Record("PrintDocument", {com::Variant(title), com::Variant(html)});
}

void ScriptedFrame::SetCaption(const std::string& caption) {
  services_->Record("SetCaption", {com::Variant(caption)});
  caption_ = caption;
}

void ScriptedFrame::ShowCard(const std::string& card_id, bool flag) {
  services_->Record("ShowCard", {com::Variant(card_id), com::Variant(flag)});
  shown_card_ = card_id;
}

void ScriptedFrame::CloseCard() {
  services_->Record("CloseCard", {});
  closed_ = true;
}

int32_t CardDriver::Open(const com::Variant& session, const com::Variant& card_data, int32_t flags,
                         const std::string& folder_id, const com::Variant& params) {
  com::CallMethod(card_.get(), "Init", std::vector{session, card_data});
  const com::Variant frame(com::Ref<com::Unknown>(static_cast<com::Unknown*>(static_cast<pellory::Frame*>(frame_.get()))));
  com::CallMethod(card_.get(), "Load", std::vector{frame});
  const com::Variant services(com::Ref<com::Unknown>(
      static_cast<com::Unknown*>(static_cast<pellory::Pellory*>(&frame_->services()))));
  const int32_t answer = com::CallMethod(card_.get(), "QueryActivate",
                                         std::vector{services, com::Variant(flags), com::Variant(""), com::Variant(""),
                                                     com::Variant(folder_id), params})
                             .ToI4();
  if (answer == 0x4001) {
    com::CallMethod(card_.get(), "Activate",
                    std::vector{com::Variant(flags), com::Variant(""), com::Variant(""), com::Variant(folder_id), params});
  }
  return answer;
}

int32_t CardDriver::Close() {
  const int32_t answer = com::CallMethod(card_.get(), "QueryClose").ToI4();
  if (answer != 0) {
    com::CallMethod(card_.get(), "Close");
    com::CallMethod(card_.get(), "Unload");
  }
  return answer;
}

void CardDriver::Click(const std::string& key) { com::CallMethod(card_.get(), "ButtonClick", std::vector{com::Variant(key)}); }

void CardDriver::Tick() { com::CallMethod(card_.get(), "TimerTick"); }

}  // namespace embedded
