// The dispatch descriptions of the card host's interfaces, in slot order.
#include "platform/com/describe.h"
#include "platform/pellory/card_ui.h"
#include "platform/pellory/host.h"

namespace pellory {

using com::Arg;
using com::Describe;
using com::Optional;
using com::TypeInfo;

const TypeInfo& Pellory::DispatchInfo() {
  static const TypeInfo info =
      Describe<Pellory>("Pellory")
          .Method("ShowMessage", &Pellory::ShowMessage,
                  {Arg("Caption"), Arg("Text"), Arg("Details"), Arg("Icon"), Arg("Buttons"), Optional("Owner", 0)})
          .Method("SelectFolder", &Pellory::SelectFolder, {Arg("Prompt"), Arg("Flags"), Optional("InitialFolder", "")})
          .Method("OpenCard", &Pellory::OpenCard,
                  {Arg("CardID"), Optional("ModeID", ""), Optional("Flags", 1), Optional("Params"), Optional("Extra")})
          .Method("GetFolderCardID", &Pellory::GetFolderCardID)
          .Method("ShowForm", &Pellory::ShowForm, {Arg("Form")})
          .Method("ShowInstanceDialog", &Pellory::ShowInstanceDialog, {Arg("Process")})
          .Method("ShowProperties", &Pellory::ShowProperties, {Arg("Process")})
          .Method("ShowLog", &Pellory::ShowLog, {Arg("Process")})
          .Method("ChooseFile", &Pellory::ChooseFile,
                  {Arg("Save"), Arg("Title"), Arg("Filter"), Arg("DefaultName"), Arg("DefaultExt"), Arg("Flags")})
          .Method("SavePicture", &Pellory::SavePicture, {Arg("Svg"), Arg("DefaultName")})
          .Method("PrintDocument", &Pellory::PrintDocument, {Arg("Title"), Arg("Html")})
          .Build();
  return info;
}

const TypeInfo& Frame::DispatchInfo() {
  static const TypeInfo info = Describe<Frame>("Frame")
                                   .Method("GetPellory", &Frame::GetPellory)
                                   .Method("SetCaption", &Frame::SetCaption, {Arg("Caption")})
                                   .Method("ShowCard", &Frame::ShowCard, {Arg("CardID"), Optional("Flag", false)})
                                   .Method("CloseCard", &Frame::CloseCard)
                                   .Method("GetFrameValue", &Frame::GetFrameValue)
                                   .Build();
  return info;
}

const TypeInfo& CardInitialize::DispatchInfo() {
  static const TypeInfo info = Describe<CardInitialize>("ICardInitialize")
                                   .Method("Init", &CardInitialize::Init, {Arg("Session"), Arg("CardData")})
                                   .Build();
  return info;
}

const TypeInfo& CardUI::DispatchInfo() {
  static const TypeInfo info =
      Describe<CardUI>("ICardUI")
          .Method("Load", &CardUI::Load, {Arg("Frame")})
          .Method("Unload", &CardUI::Unload)
          .Method("QueryActivate", &CardUI::QueryActivate,
                  {Arg("Pellory"), Arg("ActivateFlags"), Optional("ModeID", ""), Optional("ShortcutID", ""),
                   Optional("FolderID", ""), Optional("Params")})
          .Method("Activate", &CardUI::Activate,
                  {Arg("ActivateFlags"), Optional("ModeID", ""), Optional("ShortcutID", ""), Optional("FolderID", ""),
                   Optional("Params")})
          .Method("QueryClose", &CardUI::QueryClose)
          .Method("Close", &CardUI::Close)
          .Method("GetWindowSize", &CardUI::GetWindowSize)
          .Build();
  return info;
}

const TypeInfo& CardUIAction::DispatchInfo() {
  static const TypeInfo info =
      Describe<CardUIAction>("ICardUIAction")
          .Method("Perform", &CardUIAction::Perform, {Arg("Pellory"), Arg("ActionID"), Optional("ModeID", "")})
          .Build();
  return info;
}

const TypeInfo& CardWindow::DispatchInfo() {
  static const TypeInfo info = Describe<CardWindow>("ICardWindow")
                                   .Method("Controls", &CardWindow::Controls, {Arg("Name")})
                                   .Method("ButtonClick", &CardWindow::ButtonClick, {Arg("Key")})
                                   .Method("KeyDown", &CardWindow::KeyDown, {Arg("KeyCode"), Optional("Shift", 0)})
                                   .Method("KeyUp", &CardWindow::KeyUp, {Arg("KeyCode"), Optional("Shift", 0)})
                                   .Method("Resize", &CardWindow::Resize, {Arg("Width"), Arg("Height")})
                                   .Method("TimerTick", &CardWindow::TimerTick)
                                   .Get("MousePointer", &CardWindow::MousePointer)
                                   .Get("Caption", &CardWindow::Caption)
                                   .Build();
  return info;
}

const TypeInfo& CardWindowEvents::DispatchInfo() {
  static const TypeInfo info = Describe<CardWindowEvents>("__CardWindow")
                                   .Method("WindowChanged", &CardWindowEvents::WindowChanged, {}, kWindowChanged)
                                   .Build();
  return info;
}

}  // namespace pellory
