#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/com/dispatch.h"
#include "platform/pellory/card_ui.h"
#include "platform/pellory/host.h"

// A card host driven by a script instead of a person: its services answer
// from a policy (answers queued per member, defaults for the rest) and
// record every call with its arguments, in order. Tests drive card
// controls through it, and the demo shows what a person would have seen.
namespace embedded {

class ScriptedServices final : public com::Object<pellory::Pellory> {
 public:
  struct Call {
    std::string member;
    std::vector<com::Variant> args;
  };
  // Plays the person in front of a form (frmMessageBox...): it clicks or
  // closes; a form left open is closed when it returns.
  using FormPlayer = std::function<void(const com::Ref<com::Unknown>& form)>;

  // The next call of `member` answers `value` (queued in order).
  void Answer(const std::string& member, com::Variant value) { answers_[member].push_back(std::move(value)); }
  // What `member` answers when nothing is queued for it. Unless set: a
  // message box answers yes, a question's cancel is never chosen for the
  // person; SelectFolder, ChooseFile answer "" (cancelled) and the
  // instance dialog 2 (cancelled).
  void Default(const std::string& member, com::Variant value) { defaults_[member] = std::move(value); }
  void PlayForms(FormPlayer player) { form_player_ = std::move(player); }
  // Looks at a shown form each time it says it changed (a host redraws it
  // then): how a person sees a progress bar move.
  void WatchForms(FormPlayer watcher) { form_watcher_ = std::move(watcher); }

  const std::vector<Call>& calls() const { return calls_; }
  std::vector<Call> CallsOf(const std::string& member) const;
  // The texts of the messages shown, in order.
  std::vector<std::string> Messages() const;
  void Record(std::string member, std::vector<com::Variant> args) {
    calls_.push_back({std::move(member), std::move(args)});
  }
  void ClearCalls() { calls_.clear(); }

  // pellory::Pellory.
  int32_t ShowMessage(const std::string& caption, const std::string& text, const std::string& details, int32_t icon,
                      int32_t buttons, int32_t owner_window) override;
  std::string SelectFolder(const std::string& prompt, int32_t flags, const std::string& initial_folder) override;
  void OpenCard(const std::string& card_id, const std::string& mode_id, int32_t flags, const com::Variant& params,
                const com::Variant& extra) override;
  std::string GetFolderCardID() override;
  void ShowForm(const com::Variant& form) override;
  int32_t ShowInstanceDialog(const com::Variant& process) override;
  bool ShowProperties(const com::Variant& process) override;
  void ShowLog(const com::Variant& process) override;
  std::string ChooseFile(bool save, const std::string& title, const std::string& filter,
                         const std::string& default_name, const std::string& default_ext, int32_t flags) override;
  void SavePicture(const std::string& svg, const std::string& default_name) override;
  void PrintDocument(const std::string& title, const std::string& html) override;

  // The folder card's ID the host reports (the store's).
  std::string folder_card_id;

 private:
  com::Variant Next(const std::string& member, com::Variant fallback);

  std::map<std::string, std::deque<com::Variant>> answers_;
  std::map<std::string, com::Variant> defaults_;
  FormPlayer form_player_;
  FormPlayer form_watcher_;
  std::vector<Call> calls_;
};

// The frame that shows one card, over the services above.
class ScriptedFrame final : public com::Object<pellory::Frame> {
 public:
  explicit ScriptedFrame(com::Ref<ScriptedServices> services) : services_(std::move(services)) {}

  com::Ref<pellory::Pellory> GetPellory() override { return com::Ref<pellory::Pellory>(services_.get()); }
  void SetCaption(const std::string& caption) override;
  void ShowCard(const std::string& card_id, bool flag) override;
  void CloseCard() override;
  int32_t GetFrameValue() override { return 0; }

  ScriptedServices& services() { return *services_; }
  const std::string& caption() const { return caption_; }
  bool closed() const { return closed_; }
  // The card the frame was asked to show instead (ShowCard), "" for none.
  const std::string& shown_card() const { return shown_card_; }

 private:
  com::Ref<ScriptedServices> services_;
  std::string caption_;
  bool closed_ = false;
  std::string shown_card_;
};

// Drives a card control through a host's calls, in the host's order:
// Init, Load, QueryActivate and Activate; later QueryClose, Close, Unload.
class CardDriver {
 public:
  // `card` is a card control (any object answering the host interfaces).
  CardDriver(com::Ref<com::Unknown> card, com::Ref<ScriptedFrame> frame) : card_(std::move(card)), frame_(std::move(frame)) {}

  // Answers QueryActivate's result; activates only when it takes it.
  int32_t Open(const com::Variant& session, const com::Variant& card_data, int32_t flags,
               const std::string& folder_id = "", const com::Variant& params = com::Variant::Missing());
  // QueryClose, and when it may close, Close and Unload: the QueryClose result.
  int32_t Close();
  // Calls of the window.
  void Click(const std::string& key);
  void Tick();

  com::Unknown* card() { return card_.get(); }
  ScriptedFrame& frame() { return *frame_; }
  ScriptedServices& services() { return frame_->services(); }

 private:
  com::Ref<com::Unknown> card_;
  com::Ref<ScriptedFrame> frame_;
};

}  // namespace embedded
