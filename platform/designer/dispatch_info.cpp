// The dispatch descriptions of the designer control's interfaces.
#include "platform/com/describe.h"
#include "platform/designer/designer.h"
#include "platform/designer/variable_service.h"

namespace designer {

using com::Arg;
using com::Describe;
using com::Optional;
using com::TypeInfo;

const TypeInfo& Designer::DispatchInfo() {
  static const TypeInfo info =
      Describe<Designer>("_Designer")
          .Method("Reset", &Designer::Reset)
          .Method("Initialize", &Designer::Initialize,
                  {Arg("Session"), Arg("Pellory"), Arg("Library"), Arg("Process"), Optional("FrameValue", 0)})
          .Method("ShowInstanceDialog", &Designer::ShowInstanceDialog, {Arg("Process"), Optional("Modal", true)})
          .Method("ShowProperties", &Designer::ShowProperties)
          .Method("ZoomIn", &Designer::ZoomIn)
          .Method("ZoomOut", &Designer::ZoomOut)
          .Method("ExportPicture", &Designer::ExportPicture)
          .Method("ShowLog", &Designer::ShowLog)
          .Method("ShowLinkText", &Designer::ShowLinkText, {Arg("Show")})
          .Method("Shutdown", &Designer::Shutdown)
          .Get("ProcessName", &Designer::ProcessName)
          .Get("FileName", &Designer::FileName)
          .GetLet("ReadOnly", &Designer::ReadOnly, &Designer::SetReadOnly)
          .Get("Zoom", &Designer::Zoom)
          .Get("LinkTextShown", &Designer::LinkTextShown)
          .Get("Picture", &Designer::Picture)
          .Get("Graph", &Designer::Graph)
          .Get("Revision", &Designer::Revision)
          .Method("AddFunction", &Designer::AddFunction, {Arg("TypeID"), Arg("X"), Arg("Y")})
          .Method("AddGate", &Designer::AddGate, {Arg("TypeID"), Arg("X"), Arg("Y")})
          .Method("MoveNode", &Designer::MoveNode, {Arg("ID"), Arg("X"), Arg("Y")})
          .Method("ResizeNode", &Designer::ResizeNode, {Arg("ID"), Arg("Width"), Arg("Height")})
          .Method("Connect", &Designer::Connect, {Arg("FromID"), Arg("ToID"), Optional("LinkType", 0)})
          .Method("RemoveItem", &Designer::RemoveItem, {Arg("ID")})
          .Method("SetItemCaption", &Designer::SetItemCaption, {Arg("ID"), Arg("Caption")})
          .Method("SetItemDescription", &Designer::SetItemDescription, {Arg("ID"), Arg("Description")})
          .Method("ApplyEdits", &Designer::ApplyEdits, {Arg("Edits")})
          .Method("CopyPart", &Designer::CopyPart, {Arg("FunctionIDs")})
          .Method("Paste", &Designer::Paste, {Arg("Part"), Arg("X"), Arg("Y")})
          .Method("Undo", &Designer::Undo)
          .Method("Redo", &Designer::Redo)
          .Get("CanUndo", &Designer::CanUndo)
          .Get("CanRedo", &Designer::CanRedo)
          .Get("Palette", &Designer::Palette)
          .Get("Findings", &Designer::Findings)
          .Build();
  return info;
}

const TypeInfo& DesignerEvents::DispatchInfo() {
  static const TypeInfo info =
      Describe<DesignerEvents>("__Designer").Method("Changed", &DesignerEvents::Changed, {}, kChanged).Build();
  return info;
}

const TypeInfo& VariableService::DispatchInfo() {
  static const TypeInfo info =
      Describe<VariableService>("_VariableService")
          .Method("Initialize", &VariableService::Initialize,
                  {Arg("Session"), Arg("Pellory"), Arg("Library"), Arg("Process"), Optional("FrameValue", 0)})
          .Method("CheckVariable", &VariableService::CheckVariable, {Arg("VariableID")})
          .Get("Findings", &VariableService::Findings)
          .Build();
  return info;
}

}  // namespace designer
