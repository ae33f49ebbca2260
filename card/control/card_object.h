#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "card/window/control.h"
#include "platform/com/collection.h"
#include "platform/com/events.h"
#include "platform/designer/designer.h"
#include "platform/ostrel/ostrel.h"
#include "platform/pellory/card_ui.h"
#include "vorlane/library.h"
#include "vorlane/process.h"

namespace card {

// The card control's own interface: it has no members; a host drives the
// control through the host interfaces, all of which its dispatch
// description carries, so a script reaches every member by name.
class CardApi : public virtual com::Dispatch {
 public:
  static constexpr com::Guid kIID{"{579DFC78-0ACD-45E7-A1E0-A7B2262CCB75}"};
  static constexpr com::Guid kCLSID{"{2B4BE5DE-D63B-469A-9115-6F23F396E221}"};
  static const com::TypeInfo& DispatchInfo();
};

// The card control of a process card (Card): a host initialises it with the
// session and the card's data, loads it into a frame, activates it and
// closes it; in between the person works through its toolbar, and a timer
// keeps an instance's state in view. It reaches the object model only as a
// client does, through a Library it creates, and shows the process in a
// designer control it embeds. Every window it opens is a call on the host's
// services object. Every host call catches its own errors and shows them:
// nothing fails back to the host. Its members are implemented by aspect,
// in card_object_lifecycle.cpp, _modes, _commands, _setup and _version.
class CardObject final : public com::Object<CardApi, pellory::CardInitialize, pellory::CardUI, pellory::CardUIAction,
                                            pellory::CardWindow, com::ConnectionPointContainer> {
 public:
  CardObject();
  ~CardObject() override;

  // ICardInitialize.
  void Init(const com::Variant& session, const com::Variant& card_data) override;
  // ICardUI.
  void Load(const com::Variant& frame) override;
  void Unload() override;
  int32_t QueryActivate(const com::Variant& pellory, int32_t flags, const std::string& mode_id,
                        const std::string& shortcut_id, const std::string& folder_id,
                        const com::Variant& params) override;
  void Activate(int32_t flags, const std::string& mode_id, const std::string& shortcut_id,
                const std::string& folder_id, const com::Variant& params) override;
  int32_t QueryClose() override;
  void Close() override;
  com::Variant GetWindowSize() override;
  // ICardUIAction.
  void Perform(const com::Variant& pellory, const std::string& action_id, const std::string& mode_id) override;
  // The window.
  com::Ref<com::Unknown> Controls(const std::string& name) override;
  void ButtonClick(const std::string& key) override;
  void KeyDown(int32_t key_code, int32_t shift) override;
  void KeyUp(int32_t key_code, int32_t shift) override;
  void Resize(int32_t width, int32_t height) override;
  void TimerTick() override;
  int32_t MousePointer() override;
  std::string Caption() override { return caption_; }
  // ConnectionPointContainer: the window's event (CardWindowEvents).
  com::Ref<com::ConnectionPoint> FindConnectionPoint(const com::Guid& iid) override;
  std::vector<com::Guid> ConnectionInterfaces() override;

  // The designer's Changed event: the process has unsaved changes, and
  // "Save" is offered at once (not only at the next toolbar update, which a
  // template without a running timer might not see for a long time).
  void DesignerChanged();

  // The state a host or a test may look at.
  bool modified() const { return modified_; }
  bool saved() const { return saved_; }
  bool deleted() const { return deleted_; }
  bool locked_by_me() const { return locked_by_me_; }
  Control& window() { return *window_; }
  Control& toolbar() { return *toolbar_; }
  Control& status_bar() { return *status_; }
  Control& timer() { return *timer_; }

 private:
  class DesignerSink;

  // ---- binding and lifecycle ----
  // The card's process, made on first use.
  com::Ref<vorlane::Process> GetProcess();
  // The host's services object: the frame's, or the one a host call passed.
  com::Unknown* Host();
  designer::Designer& Designer();
  void InitializeDesigner();
  // The steps of Activate; false when the card closed itself on the way.
  void ActivateSteps(int32_t flags, const std::string& folder_id, const com::Variant& params);
  void CloseCard();
  void Layout();
  // A host call ends: a host hears once that the window changed.
  void WindowChanged();
  // Reads a session property ("LocaleID", "AccountName", "ClientVersion").
  com::Variant SessionProperty(const char* name);
  std::string Account();
  int16_t ClientVersion();

  // ---- edit modes ----
  bool IsWorkflowCreator();
  bool IsWorkflowServiceRunning();
  int32_t LockStatus();
  bool IsReadOnly();
  std::string ReadOnlyReason();
  bool CanLock();
  bool TryLock(bool show_locked_message, bool show_edit_message);
  void ReleaseLock();
  void UpdateModePanel();
  void ShowEditModeMessage();
  // The card was deleted by someone else.
  void TakeAsDeleted();

  // ---- commands ----
  void RunCommand(const std::string& key);
  bool QuerySaveChanges(bool reload);
  bool SaveCard();
  void ReloadDesigner();
  bool ValidateForStart(std::string& text);
  void CreateAndStartInstance();
  void StartProcess();
  void PauseProcess();
  void StopProcess();
  void ExportToXml();
  void ImportFromXml();
  std::string ChooseFile(bool save, const std::string& default_name);
  // Asks whether sub-processes go along (frmMessageBox), as the settings say.
  bool AskSubprocesses(bool for_export);
  void OpenLinkedCard(const std::string& card_id);
  void PrintCard();
  void UpdateToolbar();
  void UpdateCaption();
  void EnableButtons(bool enabled);
  void UpdateParentCardButton();
  // Shows a failure of a command: its own description (0x80040567), the
  // platform's refusal text (0x80040751) or `message` with the error.
  void ShowFailure(const com::Error& error, int32_t message);
  com::Ref<ostrel::ProcessControl> ProcessControlOf(const std::string& card_id);
  Control& Button(const char* key);
  Control& Panel(const char* key);

  // ---- versions ----
  // A process written by an older version: asks the person whether to
  // convert it (message 1023) and converts it on yes. Always answers true:
  // the caller goes on either way.
  bool CheckVersion(const com::Ref<vorlane::Process>& process);
  // Converts the process in frmConvertProcess; the card is then modified,
  // so that the next save keeps the converted process. A conversion that
  // fails keeps nothing of itself.
  void ConvertProcess(const com::Ref<vorlane::Process>& process);

  // ---- setup ----
  void InitNewTemplate();
  void InitNewInstance();
  void ApplyInitialDocument(const std::string& document_id, const std::string& file_card_id);
  int32_t NextVariableNumber(const std::string& prefix);
  // Files a shortcut to every card an import created (after a commit).
  void ShortcutsOfCreatedCards();
  void ForgetCreatedCards();
  void CreateShortcut(const std::string& card_id);
  void ShowFolder(const std::string& folder_id);
  com::Ref<ostrel::Folder> FindFolder(const std::string& folder_id);
  // A commit of the card's bracket, with the shortcuts that follow it.
  void Commit(bool end);

  // What the host gave.
  com::Ref<com::Unknown> frame_;
  com::Ref<com::Unknown> action_host_;  // the services object of the host call being served
  com::Ref<ostrel::Session> session_;
  com::Ref<ostrel::CardData> card_data_;
  com::Ref<ostrel::CardUpdate> update_;
  com::Ref<ostrel::CardLock> lock_;
  com::Ref<vorlane::Library> library_;
  com::Ref<vorlane::Process> process_;
  com::Ref<com::KeyedList> created_;

  int32_t kind_ = 0;
  bool modified_ = false;
  bool saved_ = false;
  bool show_toolbar_ = true;
  bool new_card_ = false;
  bool locked_by_me_ = false;
  bool deleted_ = false;
  std::string folder_id_;
  bool shift_ = false;
  std::optional<bool> creator_;
  int32_t session_locale_ = 0;
  std::string caption_;

  // The window: the control itself, its toolbar, status bar, timer, image
  // list and the designer's place.
  com::Ref<Control> window_;
  com::Ref<Control> toolbar_, status_, timer_, images_, designer_place_;
  com::Ref<designer::Designer> designer_;
  com::Ref<DesignerSink> designer_sink_;
  uint32_t designer_cookie_ = 0;
  com::Ref<com::EventSource> events_;
  bool window_changed_ = false;
  int32_t width_ = 9000, height_ = 7000;  // twips
};

}  // namespace card
