#pragma once

#include <cstddef>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>

#include "embedded/designer/edit_history.h"
#include "embedded/designer/graph_layout.h"
#include "platform/com/events.h"
#include "platform/com/registry.h"
#include "platform/designer/designer.h"
#include "platform/ostrel/card_data.h"
#include "platform/ostrel/session.h"
#include "vorlane/library.h"
#include "vorlane/process.h"

namespace designer {

// The designer control ("QXDesigner.Designer", creatable). It holds the
// process it shows, the library and the host's services object until Reset
// (the process) or Shutdown (all of them), and its sinks until they
// unadvise. Every editing call either changes the process and raises
// Changed once, or fails having changed nothing the caller asked for.
class DesignerObject final : public com::Object<Designer, com::ConnectionPointContainer> {
 public:
  static constexpr com::Guid kCLSID{"{7D3B1F60-2C84-4E9A-B5D7-91A06E4C8F23}"};
  // The scales ZoomIn and ZoomOut move along; ZoomIn at the last and
  // ZoomOut at the first stay where they are.
  static constexpr double kZoomSteps[] = {0.25, 0.33, 0.5, 0.67, 0.75, 1, 1.25, 1.5, 2, 3, 4};
  static constexpr size_t kDefaultZoom = 5;  // 100%

  void Reset() override;
  void Initialize(const com::Variant& session, const com::Variant& pellory, const com::Variant& library,
                  const com::Variant& process, int32_t frame_value) override;
  int32_t ShowInstanceDialog(const com::Variant& process, bool modal) override;
  void ShowProperties() override;
  void ZoomIn() override;
  void ZoomOut() override;
  void ExportPicture() override;
  void ShowLog() override;
  void ShowLinkText(bool show) override { link_text_shown_ = show; }
  void Shutdown() override;
  std::string ProcessName() override;
  std::string FileName() override;
  bool ReadOnly() override { return read_only_; }
  void SetReadOnly(bool value) override { read_only_ = value; }

  double Zoom() override { return kZoomSteps[zoom_]; }
  bool LinkTextShown() override { return link_text_shown_; }
  std::string Picture() override;
  std::string Graph() override;
  int32_t Revision() override { return revision_; }

  std::string AddFunction(const std::string& type_id, double x, double y) override;
  std::string AddGate(const std::string& type_id, double x, double y) override;
  void MoveNode(const std::string& id, double x, double y) override;
  void ResizeNode(const std::string& id, double width, double height) override;
  std::string Connect(const std::string& from_id, const std::string& to_id, int32_t link_type) override;
  void RemoveItem(const std::string& id) override;
  void SetItemCaption(const std::string& id, const std::string& caption) override;
  void SetItemDescription(const std::string& id, const std::string& description) override;
  std::string ApplyEdits(const std::string& edits) override;
  std::string CopyPart(const std::string& function_ids) override;
  std::string Paste(const std::string& part, double x, double y) override;
  void Undo() override;
  void Redo() override;
  bool CanUndo() override { return history_.CanUndo(); }
  bool CanRedo() override { return history_.CanRedo(); }
  std::string Palette() override;
  std::string Findings() override;

  // The one outgoing interface, DesignerEvents; 0x80040200 for any other.
  com::Ref<com::ConnectionPoint> FindConnectionPoint(const com::Guid& iid) override;
  std::vector<com::Guid> ConnectionInterfaces() override { return {DesignerEvents::kIID}; }

 private:
  // The shown process, for a change: fails with 0x80070005 while read-only
  // or with no process.
  vorlane::Process& Editable();
  vorlane::Library& RequireLibrary();
  // The session the designer was given, and the shown process's card in it.
  com::Ref<ostrel::Session> RequireSession();
  com::Ref<ostrel::CardData> ProcessCard();
  // The IDs of every function, gate, link and variable, by kind, in row order.
  std::map<ItemKind, std::vector<std::string>> ItemIds();
  // The item of that ID in the shown process, null when there is none. An
  // item that undo or redo made again is found by its first ID too.
  com::Ref<vorlane::ProcFunction> FindFunction(const std::string& id);
  com::Ref<vorlane::Gate> FindGate(const std::string& id);
  com::Ref<vorlane::Link> FindLink(const std::string& id);
  // The box of a function or gate as drawn; fails naming the ID when no
  // node has it.
  Box NodeBox(const std::string& id);
  com::Error UnknownItem(const std::string& id, const char* what);
  void RaiseChanged();

  // Runs `edit` as one step of the history: what it records goes together,
  // and a failure puts back what it did before it passes on. Changed is
  // raised once when it succeeds.
  void AsOneStep(const std::function<void(vorlane::Process&)>& edit);
  // The edits, each recording what it changes in the step being made.
  std::string DoAddFunction(const std::string& type_id, double x, double y);
  std::string DoAddGate(const std::string& type_id, double x, double y);
  std::string DoAddVariable(const std::string& name, double var_type);
  void DoMoveNode(const std::string& id, double x, double y);
  void DoResizeNode(const std::string& id, double width, double height);
  std::string DoConnect(const std::string& from_id, const std::string& to_id, int32_t link_type);
  void DoRemoveItem(const std::string& id);
  // A field a person sets on the item of that ID ("" for the process).
  void DoSetField(const std::string& id, const std::string& field, const com::Variant& value);
  // A variable's values (each as its type holds it) or its enumeration
  // values (text and number), the whole list replaced.
  void DoSetValues(const std::string& id, const std::vector<com::Variant>& values);
  void DoSetEnumValues(const std::string& id, const std::vector<EnumEntry>& entries);
  // The process's document types: type IDs, each once.
  void DoSetDocTypes(const std::vector<std::string>& type_ids);
  // The variable of that ID (the first ID an undone item had reaches it too).
  com::Ref<vorlane::Variable> RequireVariable(const std::string& id);
  // Recording: fields set on an item, an item made, an item about to go.
  void SetFields(ItemKind kind, com::Unknown* item, const Fields& values);
  void Made(ItemKind kind, com::Unknown* item);
  void Removing(ItemKind kind, com::Unknown* item);
  void PlaceGate(const std::string& id, const Box& box);
  // The lists of a variable, or the document types of the process,
  // replaced by those of `after`.
  void SetLists(ItemKind kind, com::Unknown* item, ItemState after);
  // A link's stored route no longer meets a node that moved: the links of
  // the nodes the step moved go straight again (as part of the step).
  void ForgetRoutesOfMoved();
  // Calls `member` of the host with the shown process and answers what it
  // answers; nothing when there is no host or no process to call it with.
  std::optional<com::Variant> CallHostWithProcess(const char* member);

  com::ModuleObjectCount::Token token_{com::ModuleObjects("Designer")};
  com::Ref<com::EventSource> events_ = com::Make<com::EventSource>(DesignerEvents::DispatchInfo());
  com::Variant session_;
  com::Ref<com::Unknown> pellory_;
  com::Ref<vorlane::Library> library_;
  com::Ref<vorlane::Process> process_;
  int32_t frame_value_ = 0;
  bool read_only_ = false;
  // Link labels show while the card's "ShowLinkText" button is pressed; it
  // starts unpressed.
  bool link_text_shown_ = false;
  size_t zoom_ = kDefaultZoom;
  GatePlaces gate_places_;
  int32_t revision_ = 0;
  EditHistory history_;
  EditStep* recording_ = nullptr;  // the step being made, while one is
  std::set<std::string> moved_;    // the nodes the step moved (normalised IDs)
};

}  // namespace designer
