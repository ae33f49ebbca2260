#include "embedded/designer/designer_object.h"

#include <cmath>
#include <limits>
#include <vector>

#include "embedded/designer/graph_json.h"
#include "embedded/designer/svg_picture.h"

namespace designer {
namespace {

constexpr const char* kSource = "Designer";

com::Error Refusal(const std::string& why) { return com::Error(com::hr::kAccessDenied, kSource, why); }
com::Error BadArgument(const std::string& why) { return com::Error(com::hr::kInvalidArg, kSource, why); }

bool SameId(const std::string& a, const std::string& b) { return NormalizeId(a) == NormalizeId(b); }

double Finite(double v, const char* what) {
  if (!std::isfinite(v) || std::abs(v) > std::numeric_limits<float>::max()) {
    throw BadArgument(std::string("The ") + what + " is not a usable number");
  }
  return v;
}

// A size as the card stores it: a positive whole number of a small integer.
int16_t StoredSize(double v, const char* what) {
  const double rounded = std::round(v);
  if (!std::isfinite(v) || rounded < 1 || rounded > std::numeric_limits<int16_t>::max()) {
    throw BadArgument(std::string("The ") + what + " must be a positive number up to 32767");
  }
  return static_cast<int16_t>(rounded);
}

}  // namespace

void DesignerObject::Reset() {
  process_.reset();
  gate_places_.clear();
  ++revision_;
}

void DesignerObject::Initialize(const com::Variant& session, const com::Variant& pellory, const com::Variant& library,
                                const com::Variant& process, int32_t frame_value) {
  com::Ref<vorlane::Process> shown = com::TryQuery<vorlane::Process>(process.TryObject());
  if (!shown) {
    throw com::Error(com::hr::kTypeMismatch, kSource,
                     "The designer shows a process: the Process argument is not a process of the object model");
  }
  com::Ref<vorlane::Library> lib;
  if (com::Unknown* object = library.TryObject()) {
    lib = com::TryQuery<vorlane::Library>(object);
    if (!lib) {
      throw com::Error(com::hr::kTypeMismatch, kSource,
                       "The Library argument is not a library of the object model");
    }
  }
  session_ = session;
  pellory_ = com::Ref<com::Unknown>(pellory.TryObject());
  library_ = std::move(lib);
  process_ = std::move(shown);
  frame_value_ = frame_value;
  gate_places_.clear();
  ++revision_;
}

int32_t DesignerObject::ShowInstanceDialog(const com::Variant& process, bool /*modal*/) {
  // The host's dialog answers when the person has closed it, so every
  // instance dialog is modal to the caller whatever it asked for.
  if (!pellory_) return 2;
  const com::Variant args[] = {process};
  return com::CallMethod(pellory_.get(), "ShowInstanceDialog", args).ToI4();
}

std::optional<com::Variant> DesignerObject::CallHostWithProcess(const char* member) {
  if (!pellory_ || !process_) return std::nullopt;
  const com::Variant args[] = {com::Variant(process_)};
  return com::CallMethod(pellory_.get(), member, args);
}

void DesignerObject::ShowProperties() {
  // The container hears of a change when the host says the person made
  // one; a host that answers nothing may have changed anything. A
  // read-only designer tells its container of no change.
  const std::optional<com::Variant> changed = CallHostWithProcess("ShowProperties");
  if (changed && !read_only_ && (changed->IsEmpty() || changed->ToBool())) RaiseChanged();
}

void DesignerObject::ShowLog() { CallHostWithProcess("ShowLog"); }

void DesignerObject::ZoomIn() {
  if (zoom_ + 1 < std::size(kZoomSteps)) ++zoom_;
}

void DesignerObject::ZoomOut() {
  if (zoom_ > 0) --zoom_;
}

void DesignerObject::ExportPicture() {
  if (!pellory_ || !process_) return;
  const com::Variant args[] = {com::Variant(Picture()), com::Variant(FileName() + ".svg")};
  com::CallMethod(pellory_.get(), "SavePicture", args);
}

void DesignerObject::Shutdown() {
  process_.reset();
  library_.reset();
  pellory_.reset();
  session_ = com::Variant();
  gate_places_.clear();
  ++revision_;
}

std::string DesignerObject::ProcessName() { return process_ ? process_->Name() : std::string(); }

std::string DesignerObject::FileName() {
  // The name as it is, but for what cannot stand in a file name on this
  // system: a path separator would put the file in another folder.
  std::string name = ProcessName();
  for (char& c : name) {
    if (c == '/' || (static_cast<unsigned char>(c) < 0x20)) c = '_';
  }
  return name;
}

std::string DesignerObject::Picture() {
  PictureOptions options;
  options.show_link_text = link_text_shown_;
  options.scale = Zoom();
  options.gate_places = gate_places_;
  if (!process_) {
    // An empty picture rather than a failure: a container may draw before
    // it has initialised the designer.
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<svg xmlns=\"http://www.w3.org/2000/svg\" version=\"1.1\" width=\"0\" height=\"0\" "
           "viewBox=\"0 0 0 0\"/>\n";
  }
  return SvgPicture(*process_, options);
}

std::string DesignerObject::Graph() {
  if (!process_) return R"({"nodes":[],"links":[]})";
  return GraphJson(*process_, gate_places_);
}

vorlane::Process& DesignerObject::Editable() {
  if (!process_) throw Refusal("The designer shows no process to change");
  if (read_only_) throw Refusal("The designer is read-only: the process cannot be changed");
  return *process_;
}

vorlane::Library& DesignerObject::RequireLibrary() {
  if (!library_) throw com::Error(com::hr::kObjectNotSet, kSource, "The designer was given no library");
  return *library_;
}

com::Ref<vorlane::ProcFunction> DesignerObject::FindFunction(const std::string& id) {
  auto functions = process_->Functions();
  for (int32_t i = 1, n = functions->Count(); i <= n; ++i) {
    auto f = functions->Item(com::Variant(i));
    if (SameId(f->ID(), id)) return f;
  }
  return nullptr;
}

com::Ref<vorlane::Gate> DesignerObject::FindGate(const std::string& id) {
  auto gates = process_->Gates();
  for (int32_t i = 1, n = gates->Count(); i <= n; ++i) {
    auto g = gates->Item(com::Variant(i));
    if (SameId(g->ID(), id)) return g;
  }
  return nullptr;
}

com::Ref<vorlane::Link> DesignerObject::FindLink(const std::string& id) {
  auto links = process_->Links();
  for (int32_t i = 1, n = links->Count(); i <= n; ++i) {
    auto l = links->Item(com::Variant(i));
    if (SameId(l->ID(), id)) return l;
  }
  return nullptr;
}

com::Error DesignerObject::UnknownItem(const std::string& id, const char* what) {
  return com::Error(com::hr::kInvalidProcedureCall, kSource,
                    std::string("The process has no ") + what + " with the ID " + id);
}

Box DesignerObject::NodeBox(const std::string& id) {
  const std::string key = NormalizeId(id);
  for (const NodeShape& n : PlaceNodes(*process_, gate_places_)) {
    if (n.id == key) return n.box;
  }
  throw UnknownItem(id, "function or gate");
}

void DesignerObject::RaiseChanged() {
  ++revision_;
  events_->Raise(DesignerEvents::kChanged, {});
}

std::string DesignerObject::AddFunction(const std::string& type_id, double x, double y) {
  vorlane::Process& process = Editable();
  Finite(x, "X position");
  Finite(y, "Y position");
  auto types = RequireLibrary().Dictionary()->Functions();
  com::Ref<vorlane::DictFunction> type;
  for (int32_t i = 1, n = types->Count(); i <= n && !type; ++i) {
    auto t = types->Item(com::Variant(i));
    if (SameId(t->ID(), type_id)) type = t;
  }
  if (!type) throw BadArgument("The dictionary has no function type with the ID " + type_id);

  auto f = process.Functions()->AddNew();
  f->SetTypeID(type->ID());
  f->SetCaption(type->Name());
  f->SetXPos(static_cast<float>(x));
  f->SetYPos(static_cast<float>(y));
  f->SetWidth(static_cast<int16_t>(kFunctionWidth));
  f->SetHeight(static_cast<int16_t>(kFunctionHeight));
  RaiseChanged();
  return f->ID();
}

std::string DesignerObject::AddGate(const std::string& type_id, double x, double y) {
  vorlane::Process& process = Editable();
  Finite(x, "X position");
  Finite(y, "Y position");
  auto types = RequireLibrary().Dictionary()->Gates();
  com::Ref<vorlane::DictGate> type;
  for (int32_t i = 1, n = types->Count(); i <= n && !type; ++i) {
    auto t = types->Item(com::Variant(i));
    if (SameId(t->ID(), type_id)) type = t;
  }
  if (!type) throw BadArgument("The dictionary has no gate type with the ID " + type_id);

  auto g = process.Gates()->AddNew();
  g->SetTypeID(type->ID());
  g->SetCaption(type->Name());
  const std::string id = g->ID();
  gate_places_[NormalizeId(id)] = {x, y, kGateSize, kGateSize};
  RaiseChanged();
  return id;
}

void DesignerObject::MoveNode(const std::string& id, double x, double y) {
  Editable();
  Finite(x, "X position");
  Finite(y, "Y position");
  if (auto f = FindFunction(id)) {
    f->SetXPos(static_cast<float>(x));
    f->SetYPos(static_cast<float>(y));
  } else {
    Box box = NodeBox(id);
    box.x = x;
    box.y = y;
    gate_places_[NormalizeId(id)] = box;
  }
  RaiseChanged();
}

void DesignerObject::ResizeNode(const std::string& id, double width, double height) {
  Editable();
  const int16_t w = StoredSize(width, "width");
  const int16_t h = StoredSize(height, "height");
  if (auto f = FindFunction(id)) {
    f->SetWidth(w);
    f->SetHeight(h);
  } else {
    Box box = NodeBox(id);
    box.width = w;
    box.height = h;
    gate_places_[NormalizeId(id)] = box;
  }
  RaiseChanged();
}

std::string DesignerObject::Connect(const std::string& from_id, const std::string& to_id, int32_t link_type) {
  vorlane::Process& process = Editable();
  if (link_type < static_cast<int32_t>(vorlane::LinkTypeEnum::LinkSuccess) ||
      link_type > static_cast<int32_t>(vorlane::LinkTypeEnum::LinkCompletion)) {
    throw BadArgument("There is no link type " + std::to_string(link_type));
  }
  const auto node_id = [&](const std::string& id) {
    if (auto f = FindFunction(id)) return f->ID();
    if (auto g = FindGate(id)) return g->ID();
    throw UnknownItem(id, "function or gate");
  };
  const std::string from = node_id(from_id);
  const std::string to = node_id(to_id);
  if (from == to) throw BadArgument("A link cannot go from " + from + " back to itself");

  auto l = process.Links()->AddNew();
  l->SetSource(from);
  l->SetDestination(to);
  l->SetLinkType(static_cast<vorlane::LinkTypeEnum>(link_type));
  l->SetDisabled(false);
  RaiseChanged();
  return l->ID();
}

void DesignerObject::RemoveItem(const std::string& id) {
  vorlane::Process& process = Editable();
  if (auto l = FindLink(id)) {
    process.Links()->Remove(com::Variant(l->ID()));
    RaiseChanged();
    return;
  }
  std::string node;
  if (auto f = FindFunction(id)) {
    node = f->ID();
    process.Functions()->Remove(com::Variant(node));
  } else if (auto g = FindGate(id)) {
    node = g->ID();
    process.Gates()->Remove(com::Variant(node));
    gate_places_.erase(NormalizeId(node));
  } else {
    throw UnknownItem(id, "function, gate or link");
  }
  // A link without one of its nodes means nothing: it goes with the node.
  auto links = process.Links();
  std::vector<std::string> attached;
  for (int32_t i = 1, n = links->Count(); i <= n; ++i) {
    auto l = links->Item(com::Variant(i));
    if (SameId(l->Source(), node) || SameId(l->Destination(), node)) attached.push_back(l->ID());
  }
  for (const std::string& link : attached) links->Remove(com::Variant(link));
  RaiseChanged();
}

void DesignerObject::SetItemCaption(const std::string& id, const std::string& caption) {
  Editable();
  if (auto f = FindFunction(id)) {
    f->SetCaption(caption);
  } else if (auto g = FindGate(id)) {
    g->SetCaption(caption);
  } else if (auto l = FindLink(id)) {
    l->SetCaption(caption);
  } else {
    throw UnknownItem(id, "function, gate or link");
  }
  RaiseChanged();
}

void DesignerObject::SetItemDescription(const std::string& id, const std::string& description) {
  Editable();
  if (auto f = FindFunction(id)) {
    f->SetDescription(description);
  } else if (auto g = FindGate(id)) {
    g->SetDescription(description);
  } else if (auto l = FindLink(id)) {
    l->SetDescription(description);
  } else {
    throw UnknownItem(id, "function, gate or link");
  }
  RaiseChanged();
}

com::Ref<com::ConnectionPoint> DesignerObject::FindConnectionPoint(const com::Guid& iid) {
  if (iid != DesignerEvents::kIID) throw com::Error(com::hr::kNoConnection);
  return events_;
}

}  // namespace designer
