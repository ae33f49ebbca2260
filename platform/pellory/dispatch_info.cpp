// The dispatch descriptions of the card host's interfaces, in slot order.
#include "platform/com/describe.h"
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

}  // namespace pellory
