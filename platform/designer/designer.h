#pragma once

#include <cstdint>
#include <string>

#include "platform/com/dispatch.h"

// The graphical process designer: the control a process card embeds to
// show and edit the process graph. It owns the drawing state (zoom, link
// labels, read-only) and the editing operations, which change the process
// only through the object model; it tells its container of every change
// through its event (DesignerEvents). Its windows (the instance dialog,
// properties, the log, saving a picture) go through the card host's
// services object it is initialised with.
namespace designer {

class Designer : public virtual com::Dispatch {
 public:
  static constexpr com::Guid kIID{"{9A4E6C21-5B38-4F0D-8E72-1C3B5D7A9F46}"};
  static const com::TypeInfo& DispatchInfo();

  // Forgets the process it shows.
  virtual void Reset() = 0;
  // Shows `process` (a vorlane::Process) of `library` in `session`; windows
  // go through `pellory` (the host's services object). `frame_value` is
  // the host frame's value, passed on as it is.
  virtual void Initialize(const com::Variant& session, const com::Variant& pellory, const com::Variant& library,
                          const com::Variant& process, int32_t frame_value) = 0;
  // The instance dialog over `process` (a new instance): 1 accepted, 2
  // cancelled.
  virtual int32_t ShowInstanceDialog(const com::Variant& process, bool modal) = 0;
  virtual void ShowProperties() = 0;
  virtual void ZoomIn() = 0;
  virtual void ZoomOut() = 0;
  // Hands the picture of the graph (Picture) to the host to be saved.
  virtual void ExportPicture() = 0;
  virtual void ShowLog() = 0;
  virtual void ShowLinkText(bool show) = 0;
  // Lets go of the process, the session and the host.
  virtual void Shutdown() = 0;
  // The shown process's name; "" when none is shown.
  virtual std::string ProcessName() = 0;
  // A name for files of the shown process (its name); "" when none is shown.
  virtual std::string FileName() = 0;
  virtual bool ReadOnly() = 0;
  virtual void SetReadOnly(bool value) = 0;

  // The drawing state.
  // The scale, 1.0 for 100%; ZoomIn and ZoomOut move it along fixed steps.
  virtual double Zoom() = 0;
  virtual bool LinkTextShown() = 0;
  // The graph as an SVG document: functions and gates at their places and
  // sizes with their captions, links along their points with their labels
  // when link labels are shown.
  virtual std::string Picture() = 0;
  // The graph's shapes as a JSON document, for a container that draws them
  // itself: nodes with their boxes and captions, links with their routes,
  // nodes, type and whether they are disabled.
  virtual std::string Graph() = 0;
  // Moves on each time what the graph shows may have changed: a process
  // given or reset, and every change the designer makes. A container that
  // draws the graph itself reads Graph again when it moves.
  virtual int32_t Revision() = 0;

  // Editing. Each changes the process through the object model, raises
  // Changed, and fails with 0x80070005 while ReadOnly (or with no process).
  // A function or gate of a dictionary type at (x, y); answers its ID.
  virtual std::string AddFunction(const std::string& type_id, double x, double y) = 0;
  virtual std::string AddGate(const std::string& type_id, double x, double y) = 0;
  // A function or gate by ID.
  virtual void MoveNode(const std::string& id, double x, double y) = 0;
  virtual void ResizeNode(const std::string& id, double width, double height) = 0;
  // A link of `link_type` (LinkTypeEnum) from one node to another; answers its ID.
  virtual std::string Connect(const std::string& from_id, const std::string& to_id, int32_t link_type) = 0;
  // A function, gate or link; a node's links go with it.
  virtual void RemoveItem(const std::string& id) = 0;
  // The caption or description of a function, gate or link.
  virtual void SetItemCaption(const std::string& id, const std::string& caption) = 0;
  virtual void SetItemDescription(const std::string& id, const std::string& description) = 0;
  // Edits as a JSON array, made as one step: either all of them or, when
  // one fails, none. Each is an object with "op":
  //   "add" (kind "function" or "gate", type, x, y; or kind "variable",
  //   name, varType), "move" (id, x, y), "resize" (id, width, height),
  //   "connect" (from, to, linkType), "remove" (id; a function, gate,
  //   link or variable), "set" (id, field, value; no id for the process).
  // An ID may be "$n", the item the n-th edit (from 0) made. Answers the
  // IDs the edits made, as a JSON array, in order.
  virtual std::string ApplyEdits(const std::string& edits) = 0;
  // The functions of `function_ids` (a JSON array) as a part of a process
  // document: the links between them, the variables and gates they need.
  // What Paste takes, here or in another process.
  virtual std::string CopyPart(const std::string& function_ids) = 0;
  // Adds such a part to the process, its IDs made anew and its references
  // following them, its functions moved so that their top-left corner is at
  // (x, y); one step. Answers the new functions' IDs as a JSON array.
  virtual std::string Paste(const std::string& part, double x, double y) = 0;
  // Every edit is a step of one history, whichever way it came: Undo puts
  // the process back as it was before the last step, Redo makes it again.
  // Either raises Changed; neither does anything with nothing to undo or
  // redo. Showing another process forgets the history.
  virtual void Undo() = 0;
  virtual void Redo() = 0;
  virtual bool CanUndo() = 0;
  virtual bool CanRedo() = 0;

  // The dictionary's types a person adds from, as a JSON document:
  // {"functions": [{"id", "name", "start"}], "gates": [{"id", "name"}]},
  // obsolete function types left out.
  virtual std::string Palette() = 0;
  // What stands in the way of starting the shown process, and other
  // faults of the graph, as a JSON array of {"id", "message"} (id "" for
  // the process as a whole): no start function, functions and gates of
  // types the dictionary does not know, links whose ends are missing,
  // functions no start function reaches.
  virtual std::string Findings() = 0;
};

// The designer's outgoing interface: a sink implements it (or answers its
// names through dispatch).
class DesignerEvents : public virtual com::Dispatch {
 public:
  static constexpr com::Guid kIID{"{2F7C9E15-6A43-4B8D-9C06-E5A1B3D7F284}"};
  static constexpr com::DispId kChanged = 1;
  static const com::TypeInfo& DispatchInfo();

  // The person (or a program) changed the process in the designer.
  virtual void Changed() = 0;
};

}  // namespace designer
