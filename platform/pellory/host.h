#pragma once

#include <cstdint>
#include <string>

#include "platform/com/dispatch.h"

// The card host: the frame that shows one card and the services object of
// the host, as a card control reaches them. A control calls them through
// dispatch, by name, so that a host written as any dispatch object (a C++
// object, a script's object) serves it; these classes are the typed form
// for hosts written in C++.
namespace pellory {

// Icon codes of ShowMessage.
namespace icon {
inline constexpr int32_t kError = 1;
inline constexpr int32_t kQuestion = 2;
inline constexpr int32_t kWarning = 3;  // refusals and warnings
inline constexpr int32_t kSuccess = 4;
}  // namespace icon

// Buttons codes of ShowMessage, and its answers.
namespace buttons {
inline constexpr int32_t kOk = 0;
inline constexpr int32_t kYesNoCancel = 3;
inline constexpr int32_t kYesNo = 4;
// An informational message that carries its own key string in the details
// argument; a host may offer not to show that message again.
inline constexpr int32_t kKeyed = 0x10000000;
}  // namespace buttons
namespace answer {
inline constexpr int32_t kCancel = 2;
inline constexpr int32_t kYes = 6;
inline constexpr int32_t kNo = 7;
}  // namespace answer

// The host's services. Every window a card control opens is one of these
// calls; the person's answer is the call's result.
class Pellory : public virtual com::Dispatch {
 public:
  static constexpr com::Guid kIID{"{6F1C2E0B-3A57-4C8E-9D41-2B7A5E90C3D4}"};
  static const com::TypeInfo& DispatchInfo();

  // A message box: `caption`, `text`, `details` (or a key string with
  // buttons::kKeyed), an icon code, a buttons code and the owner window.
  // Answers answer::kYes, kNo or kCancel (kYes for a box of one button).
  virtual int32_t ShowMessage(const std::string& caption, const std::string& text, const std::string& details,
                              int32_t icon, int32_t buttons, int32_t owner_window) = 0;
  // Lets the person pick a folder; "" when they cancel.
  virtual std::string SelectFolder(const std::string& prompt, int32_t flags, const std::string& initial_folder) = 0;
  // Opens another card in a frame of its own.
  virtual void OpenCard(const std::string& card_id, const std::string& mode_id, int32_t flags,
                        const com::Variant& params, const com::Variant& extra) = 0;
  // The ID of the store's folder card.
  virtual std::string GetFolderCardID() = 0;

  // Shows a form model (frmMessageBox, frmConvertProcess) modally: returns
  // when the form has been closed.
  virtual void ShowForm(const com::Variant& form) = 0;
  // The person fills in a new instance's variables: 1 accepted, 2 cancelled.
  virtual int32_t ShowInstanceDialog(const com::Variant& process) = 0;
  // The process's own fields for the person to edit: true when the person
  // changed any of them.
  virtual bool ShowProperties(const com::Variant& process) = 0;
  virtual void ShowLog(const com::Variant& process) = 0;
  // A file dialog: the chosen path, "" when cancelled. `filter` is
  // "Description|*.ext|..." pairs.
  virtual std::string ChooseFile(bool save, const std::string& title, const std::string& filter,
                                 const std::string& default_name, const std::string& default_ext,
                                 int32_t flags) = 0;
  // Offers a picture (SVG text) to be saved under a name of the person's choice.
  virtual void SavePicture(const std::string& svg, const std::string& default_name) = 0;
  // Offers a printable document (HTML text) to be printed.
  virtual void PrintDocument(const std::string& title, const std::string& html) = 0;
};

// The frame that shows one card.
class Frame : public virtual com::Dispatch {
 public:
  static constexpr com::Guid kIID{"{0B9E4A6D-71C2-4F38-A5E9-3D86C17F2B05}"};
  static const com::TypeInfo& DispatchInfo();

  virtual com::Ref<Pellory> GetPellory() = 0;
  // The frame's title; "" for none.
  virtual void SetCaption(const std::string& caption) = 0;
  // Shows another card in this frame instead of the current one.
  virtual void ShowCard(const std::string& card_id, bool flag) = 0;
  // Closes the frame and the card in it.
  virtual void CloseCard() = 0;
  // A value the control only passes on to its designer.
  virtual int32_t GetFrameValue() = 0;
};

}  // namespace pellory
