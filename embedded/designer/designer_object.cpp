#include "embedded/designer/designer_object.h"

#include <cmath>
#include <limits>
#include <map>
#include <regex>
#include <set>
#include <vector>

#include <nlohmann/json.hpp>

#include "embedded/designer/graph_json.h"
#include "embedded/designer/svg_picture.h"
#include "embedded/designer/variable_service_object.h"
#include "platform/com/collection.h"
#include "platform/com/text.h"
#include "platform/ostrel/card_manager.h"
#include "vorlane/variable.h"
#include "vorlane/variables.h"

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
  history_.Clear();
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
  history_.Clear();
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
  history_.Clear();
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
  const std::string key = history_.Current(id);
  auto functions = process_->Functions();
  for (int32_t i = 1, n = functions->Count(); i <= n; ++i) {
    auto f = functions->Item(com::Variant(i));
    if (SameId(f->ID(), key)) return f;
  }
  return nullptr;
}

com::Ref<vorlane::Gate> DesignerObject::FindGate(const std::string& id) {
  const std::string key = history_.Current(id);
  auto gates = process_->Gates();
  for (int32_t i = 1, n = gates->Count(); i <= n; ++i) {
    auto g = gates->Item(com::Variant(i));
    if (SameId(g->ID(), key)) return g;
  }
  return nullptr;
}

com::Ref<vorlane::Link> DesignerObject::FindLink(const std::string& id) {
  const std::string key = history_.Current(id);
  auto links = process_->Links();
  for (int32_t i = 1, n = links->Count(); i <= n; ++i) {
    auto l = links->Item(com::Variant(i));
    if (SameId(l->ID(), key)) return l;
  }
  return nullptr;
}

com::Error DesignerObject::UnknownItem(const std::string& id, const char* what) {
  return com::Error(com::hr::kInvalidProcedureCall, kSource,
                    std::string("The process has no ") + what + " with the ID " + id);
}

Box DesignerObject::NodeBox(const std::string& id) {
  const std::string key = NormalizeId(history_.Current(id));
  for (const NodeShape& n : PlaceNodes(*process_, gate_places_)) {
    if (n.id == key) return n.box;
  }
  throw UnknownItem(id, "function or gate");
}

void DesignerObject::RaiseChanged() {
  ++revision_;
  events_->Raise(DesignerEvents::kChanged, {});
}

void DesignerObject::AsOneStep(const std::function<void(vorlane::Process&)>& edit) {
  vorlane::Process& process = Editable();
  EditStep step;
  recording_ = &step;
  moved_.clear();
  try {
    edit(process);
    ForgetRoutesOfMoved();
  } catch (...) {
    recording_ = nullptr;
    history_.Revert(step, process, gate_places_);
    throw;
  }
  recording_ = nullptr;
  // An item made in the step is made again, on redo, as the step left it.
  for (ItemChange& change : step) {
    if (!change.before && change.after) {
      if (auto item = FindItem(process, change.kind, change.id)) {
        const std::optional<Box> place = change.after->place;
        *change.after = ReadWholeItem(change.kind, item.get());
        change.after->place = place;
      }
    }
  }
  history_.Push(std::move(step));
  RaiseChanged();
}

void DesignerObject::ForgetRoutesOfMoved() {
  if (moved_.empty()) return;
  auto links = process_->Links();
  for (int32_t i = 1, n = links->Count(); i <= n; ++i) {
    auto l = links->Item(com::Variant(i));
    if (l->Points().empty()) continue;
    if (moved_.count(NormalizeId(l->Source())) || moved_.count(NormalizeId(l->Destination()))) {
      SetFields(ItemKind::Link, l.get(), {{"Points", com::Variant(std::string())}});
    }
  }
  moved_.clear();
}

void DesignerObject::SetFields(ItemKind kind, com::Unknown* item, const Fields& values) {
  ItemChange change{kind, kind == ItemKind::Process ? "" : com::GetProperty(item, "ID").ToText(), ItemState{},
                    ItemState{}};
  for (const auto& [name, value] : values) change.before->fields.emplace_back(name, com::GetProperty(item, name));
  // Recorded before it is written: a write that fails half-way is put back.
  recording_->push_back(change);
  for (const auto& [name, value] : values) com::SetProperty(item, name, value);
  // What the item holds now, which may be the value converted.
  for (const auto& [name, value] : values) recording_->back().after->fields.emplace_back(name, com::GetProperty(item, name));
}

void DesignerObject::Made(ItemKind kind, com::Unknown* item) {
  recording_->push_back({kind, com::GetProperty(item, "ID").ToText(), std::nullopt, ItemState{}});
}

void DesignerObject::Removing(ItemKind kind, com::Unknown* item) {
  const std::string id = com::GetProperty(item, "ID").ToText();
  ItemState state = ReadWholeItem(kind, item);
  if (kind == ItemKind::Gate) {
    auto place = gate_places_.find(NormalizeId(id));
    if (place != gate_places_.end()) state.place = place->second;
  }
  recording_->push_back({kind, id, std::move(state), std::nullopt});
}

void DesignerObject::PlaceGate(const std::string& id, const Box& box) {
  const std::string now = history_.Current(id);
  const std::string key = NormalizeId(now);
  ItemChange change{ItemKind::Gate, now, ItemState{}, ItemState{}};
  change.after->place = box;
  auto place = gate_places_.find(key);
  change.before->place = place != gate_places_.end() ? place->second : NodeBox(id);
  recording_->push_back(std::move(change));
  gate_places_[key] = box;
}

std::string DesignerObject::AddFunction(const std::string& type_id, double x, double y) {
  std::string id;
  AsOneStep([&](vorlane::Process&) { id = DoAddFunction(type_id, x, y); });
  return id;
}

std::string DesignerObject::AddGate(const std::string& type_id, double x, double y) {
  std::string id;
  AsOneStep([&](vorlane::Process&) { id = DoAddGate(type_id, x, y); });
  return id;
}

void DesignerObject::MoveNode(const std::string& id, double x, double y) {
  AsOneStep([&](vorlane::Process&) { DoMoveNode(id, x, y); });
}

void DesignerObject::ResizeNode(const std::string& id, double width, double height) {
  AsOneStep([&](vorlane::Process&) { DoResizeNode(id, width, height); });
}

std::string DesignerObject::Connect(const std::string& from_id, const std::string& to_id, int32_t link_type) {
  std::string id;
  AsOneStep([&](vorlane::Process&) { id = DoConnect(from_id, to_id, link_type); });
  return id;
}

void DesignerObject::RemoveItem(const std::string& id) {
  AsOneStep([&](vorlane::Process&) { DoRemoveItem(id); });
}

void DesignerObject::SetItemCaption(const std::string& id, const std::string& caption) {
  AsOneStep([&](vorlane::Process&) { DoSetField(id, "Caption", com::Variant(caption)); });
}

void DesignerObject::SetItemDescription(const std::string& id, const std::string& description) {
  AsOneStep([&](vorlane::Process&) { DoSetField(id, "Description", com::Variant(description)); });
}

std::string DesignerObject::DoAddFunction(const std::string& type_id, double x, double y) {
  Finite(x, "X position");
  Finite(y, "Y position");
  auto types = RequireLibrary().Dictionary()->Functions();
  com::Ref<vorlane::DictFunction> type;
  for (int32_t i = 1, n = types->Count(); i <= n && !type; ++i) {
    auto t = types->Item(com::Variant(i));
    if (SameId(t->ID(), type_id)) type = t;
  }
  if (!type) throw BadArgument("The dictionary has no function type with the ID " + type_id);

  auto f = process_->Functions()->AddNew();
  Made(ItemKind::Function, f.get());
  f->SetTypeID(type->ID());
  f->SetCaption(type->Name());
  f->SetXPos(static_cast<float>(x));
  f->SetYPos(static_cast<float>(y));
  f->SetWidth(static_cast<int16_t>(kFunctionWidth));
  f->SetHeight(static_cast<int16_t>(kFunctionHeight));
  return f->ID();
}

std::string DesignerObject::DoAddGate(const std::string& type_id, double x, double y) {
  Finite(x, "X position");
  Finite(y, "Y position");
  auto types = RequireLibrary().Dictionary()->Gates();
  com::Ref<vorlane::DictGate> type;
  for (int32_t i = 1, n = types->Count(); i <= n && !type; ++i) {
    auto t = types->Item(com::Variant(i));
    if (SameId(t->ID(), type_id)) type = t;
  }
  if (!type) throw BadArgument("The dictionary has no gate type with the ID " + type_id);

  auto g = process_->Gates()->AddNew();
  Made(ItemKind::Gate, g.get());
  g->SetTypeID(type->ID());
  g->SetCaption(type->Name());
  const std::string id = g->ID();
  recording_->back().after->place = Box{x, y, kGateSize, kGateSize};
  gate_places_[NormalizeId(id)] = {x, y, kGateSize, kGateSize};
  return id;
}

std::string DesignerObject::DoAddVariable(const std::string& name, double var_type) {
  if (var_type != std::floor(var_type) || var_type < 0 || var_type > static_cast<double>(vorlane::VarTypeEnum::Enum)) {
    throw BadArgument("There is no variable type " + std::to_string(var_type));
  }
  auto v = process_->Variables()->AddNew();
  Made(ItemKind::Variable, v.get());
  v->SetName(name);
  v->SetVarType(static_cast<vorlane::VarTypeEnum>(static_cast<int32_t>(var_type)));
  return v->ID();
}

void DesignerObject::DoMoveNode(const std::string& id, double x, double y) {
  Finite(x, "X position");
  Finite(y, "Y position");
  if (auto f = FindFunction(id)) {
    moved_.insert(NormalizeId(f->ID()));
    SetFields(ItemKind::Function, f.get(),
              {{"XPos", com::Variant(static_cast<float>(x))}, {"YPos", com::Variant(static_cast<float>(y))}});
  } else {
    Box box = NodeBox(id);
    box.x = x;
    box.y = y;
    moved_.insert(NormalizeId(history_.Current(id)));
    PlaceGate(id, box);
  }
}

void DesignerObject::DoResizeNode(const std::string& id, double width, double height) {
  const int16_t w = StoredSize(width, "width");
  const int16_t h = StoredSize(height, "height");
  if (auto f = FindFunction(id)) {
    SetFields(ItemKind::Function, f.get(), {{"Width", com::Variant(w)}, {"Height", com::Variant(h)}});
  } else {
    Box box = NodeBox(id);
    box.width = w;
    box.height = h;
    PlaceGate(id, box);
  }
}

std::string DesignerObject::DoConnect(const std::string& from_id, const std::string& to_id, int32_t link_type) {
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

  auto l = process_->Links()->AddNew();
  Made(ItemKind::Link, l.get());
  l->SetSource(from);
  l->SetDestination(to);
  l->SetLinkType(static_cast<vorlane::LinkTypeEnum>(link_type));
  l->SetDisabled(false);
  return l->ID();
}

void DesignerObject::DoRemoveItem(const std::string& id) {
  vorlane::Process& process = *process_;
  if (auto l = FindLink(id)) {
    Removing(ItemKind::Link, l.get());
    process.Links()->Remove(com::Variant(l->ID()));
    return;
  }
  if (auto v = FindItem(process, ItemKind::Variable, history_.Current(id))) {
    Removing(ItemKind::Variable, v.get());
    process.Variables()->Remove(com::Variant(com::GetProperty(v.get(), "ID")));
    return;
  }
  com::Ref<vorlane::ProcFunction> f = FindFunction(id);
  com::Ref<vorlane::Gate> g = f ? nullptr : FindGate(id);
  if (!f && !g) throw UnknownItem(id, "function, gate, link or variable");
  const std::string node = f ? f->ID() : g->ID();
  // A link without one of its nodes means nothing: it goes with the node,
  // before it, so that undo finds the node again when it puts the link back.
  auto links = process.Links();
  std::vector<com::Ref<vorlane::Link>> attached;
  for (int32_t i = 1, n = links->Count(); i <= n; ++i) {
    auto l = links->Item(com::Variant(i));
    if (SameId(l->Source(), node) || SameId(l->Destination(), node)) attached.push_back(l);
  }
  for (const auto& l : attached) {
    Removing(ItemKind::Link, l.get());
    links->Remove(com::Variant(l->ID()));
  }
  if (f) {
    Removing(ItemKind::Function, f.get());
    process.Functions()->Remove(com::Variant(node));
  } else {
    Removing(ItemKind::Gate, g.get());
    process.Gates()->Remove(com::Variant(node));
    gate_places_.erase(NormalizeId(node));
  }
}

namespace {

// The fields a person sets in the designer's properties, by kind of item.
// The others (IDs of linked cards, geometry, states) change by other edits
// or not in the designer at all.
bool Settable(ItemKind kind, const std::string& field) {
  static const std::map<ItemKind, std::vector<std::string>> fields = {
      {ItemKind::Process,
       {"Name", "Description", "Priority", "Responsible", "DeleteAfterFinish", "SynchronousSubProcess",
        "LoggingLevel", "LogLimit", "RefreshPeriod", "Calendar"}},
      {ItemKind::Function, {"Caption", "Description", "TypeID", "Data", "PoolingInterval", "ReuseStep"}},
      {ItemKind::Gate, {"Caption", "Description", "TypeID", "Data"}},
      {ItemKind::Link, {"Caption", "Description", "LinkType", "Disabled", "Points"}},
      {ItemKind::Variable,
       {"Name", "Description", "VarType", "Value", "DefaultValue", "IsRequered", "IsMultipleValued",
        "HiddenInParentProcess", "CreateCopy"}},
  };
  for (const std::string& f : fields.at(kind)) {
    if (text::NoCaseEqual()(f, field)) return true;
  }
  return false;
}

// A value a person typed for a variable, as its type holds it: a whole
// number, a number, true or false, a date; text for the other types. Text
// that is none of these is refused naming the variable, the value and the
// type, before anything is written.
com::Variant TypedValue(vorlane::Variable& variable, const com::Variant& given) {
  if (!given.IsText() || given.ToText().empty()) return given;
  using T = vorlane::VarTypeEnum;
  const T type = variable.VarType();
  if (type == T::Enum && !IsEnumValue(variable, given)) {
    throw BadArgument("The variable " + variable.Name() + " takes one of its enumeration values: \"" + given.ToText() +
                      "\" is not one");
  }
  static const std::map<T, const char*> kinds = {
      {T::Integer, "a whole number"}, {T::Float, "a number"}, {T::Boolean, "true or false"}, {T::DateTime, "a date"}};
  try {
    switch (type) {
      case T::Integer: return com::Variant(given.ToI4());
      case T::Float: return com::Variant(given.ToR8());
      case T::Boolean: return com::Variant(given.ToBool());
      case T::DateTime: return com::Variant(given.ToDate());
      default: return given;
    }
  } catch (const com::Error&) {
    throw BadArgument("The variable " + variable.Name() + " takes " + kinds.at(type) + ": \"" + given.ToText() +
                      "\" is not one");
  }
}

// The part with every row's ID ("ID" and "RowID" attributes) made anew,
// wherever the part names it (links' ends, settings that name variables):
// a paste adds rows beside the ones it was copied from, which may be in the
// same process.
std::string WithNewIds(const std::string& part) {
  static const std::regex kIdAttribute(R"re(\b(?:Row)?ID="(\{[0-9A-Fa-f-]{36}\})")re");
  std::map<std::string, std::string> renamed;  // upper case -> new
  for (auto it = std::sregex_iterator(part.begin(), part.end(), kIdAttribute); it != std::sregex_iterator(); ++it) {
    renamed.emplace(text::Upper((*it)[1].str()), com::Guid::Generate().ToString());
  }
  std::string out;
  out.reserve(part.size());
  for (size_t i = 0; i < part.size();) {
    if (part[i] == '{' && i + 38 <= part.size()) {
      auto found = renamed.find(text::Upper(part.substr(i, 38)));
      if (found != renamed.end()) {
        out += found->second;
        i += 38;
        continue;
      }
    }
    out += part[i++];
  }
  return out;
}

}  // namespace

void DesignerObject::DoSetField(const std::string& id, const std::string& field, const com::Variant& value) {
  ItemKind kind = ItemKind::Process;
  com::Ref<com::Unknown> item;
  if (id.empty()) {
    item = com::Ref<com::Unknown>(process_.get());
  } else if (auto f = FindFunction(id)) {
    kind = ItemKind::Function;
    item = f;
  } else if (auto g = FindGate(id)) {
    kind = ItemKind::Gate;
    item = g;
  } else if (auto l = FindLink(id)) {
    kind = ItemKind::Link;
    item = l;
  } else if (auto v = FindItem(*process_, ItemKind::Variable, history_.Current(id))) {
    kind = ItemKind::Variable;
    item = v;
  } else {
    throw UnknownItem(id, "function, gate, link or variable");
  }
  if (!Settable(kind, field)) throw BadArgument("The designer does not set the field \"" + field + "\" here");
  if (text::NoCaseEqual()(field, "TypeID")) {
    // A node's type is one of the dictionary's.
    const std::string type = value.ToText();
    bool known = false;
    if (kind == ItemKind::Function) {
      auto types = RequireLibrary().Dictionary()->Functions();
      for (int32_t i = 1, n = types->Count(); i <= n && !known; ++i) known = SameId(types->Item(com::Variant(i))->ID(), type);
    } else {
      auto types = RequireLibrary().Dictionary()->Gates();
      for (int32_t i = 1, n = types->Count(); i <= n && !known; ++i) known = SameId(types->Item(com::Variant(i))->ID(), type);
    }
    if (!known) throw BadArgument("The dictionary has no such type: " + type);
  }
  if (kind == ItemKind::Link && text::NoCaseEqual()(field, "LinkType")) {
    const int32_t type = value.ToI4();
    if (type < 0 || type > 2) throw BadArgument("There is no link type " + std::to_string(type));
  }
  if (kind == ItemKind::Variable && (text::NoCaseEqual()(field, "Value") || text::NoCaseEqual()(field, "DefaultValue"))) {
    SetFields(kind, item.get(), {{field, TypedValue(*com::Query<vorlane::Variable>(item), value)}});
    return;
  }
  SetFields(kind, item.get(), {{field, value}});
}

com::Ref<vorlane::Variable> DesignerObject::RequireVariable(const std::string& id) {
  auto item = FindItem(*process_, ItemKind::Variable, history_.Current(id));
  if (!item) throw UnknownItem(id, "variable");
  return com::Query<vorlane::Variable>(item);
}

void DesignerObject::DoSetValues(const std::string& id, const std::vector<com::Variant>& values) {
  auto variable = RequireVariable(id);
  ItemState after = ReadLists(*variable);
  after.values.clear();
  for (const com::Variant& v : values) after.values.push_back(TypedValue(*variable, v));
  SetLists(ItemKind::Variable, variable.get(), std::move(after));
}

void DesignerObject::DoSetEnumValues(const std::string& id, const std::vector<EnumEntry>& entries) {
  auto variable = RequireVariable(id);
  std::set<int32_t> numbers;
  std::set<std::string> texts;
  for (const EnumEntry& e : entries) {
    if (e.text.empty()) throw BadArgument("An enumeration value of " + variable->Name() + " has no text");
    if (!numbers.insert(e.number).second || !texts.insert(e.text).second) {
      throw BadArgument("The enumeration values of " + variable->Name() + " repeat \"" + e.text + "\" or its number " +
                        std::to_string(e.number));
    }
  }
  ItemState after = ReadLists(*variable);
  after.enum_values = entries;
  SetLists(ItemKind::Variable, variable.get(), std::move(after));
}

void DesignerObject::DoSetDocTypes(const std::vector<std::string>& type_ids) {
  ItemState after;
  after.lists = true;
  std::set<com::Guid> seen;
  for (const std::string& id : type_ids) {
    const std::optional<com::Guid> type = com::Guid::Parse(id);
    if (!type) throw BadArgument("A document type is a type ID such as {00000000-0000-0000-0000-000000000000}, not \"" + id + "\"");
    if (!seen.insert(*type).second) throw BadArgument("The document type " + type->ToString() + " is listed twice");
    after.doc_types.push_back(type->ToString());
  }
  SetLists(ItemKind::Process, process_.get(), std::move(after));
}

void DesignerObject::SetLists(ItemKind kind, com::Unknown* item, ItemState after) {
  const std::string id = kind == ItemKind::Process ? std::string() : com::GetProperty(item, "ID").ToText();
  ItemChange change{kind, id, ReadListsOf(*process_, kind, item), std::nullopt};
  // Recorded before it is written: a write that fails half-way is put back.
  recording_->push_back(change);
  history_.Put(*process_, gate_places_, change, after);
  recording_->back().after = ReadListsOf(*process_, kind, item);
}

std::string DesignerObject::ApplyEdits(const std::string& edits) {
  using Json = nlohmann::json;
  const Json list = Json::parse(edits, nullptr, false);
  if (!list.is_array()) throw BadArgument("The edits are not a JSON array");
  std::vector<std::string> made;
  AsOneStep([&](vorlane::Process&) {
    for (size_t i = 0; i < list.size(); ++i) {
      const Json& e = list[i];
      const std::string where = "Edit " + std::to_string(i) + ": ";
      auto text = [&](const char* key) {
        auto it = e.find(key);
        if (it == e.end() || !it->is_string()) throw BadArgument(where + "\"" + key + "\" must be a text");
        std::string value = it->get<std::string>();
        // "$n" names the item that edit n of this list made.
        if (value.size() > 1 && value[0] == '$' && value.find_first_not_of("0123456789", 1) == std::string::npos) {
          const size_t n = std::stoul(value.substr(1));
          if (n >= made.size() || made[n].empty()) throw BadArgument(where + value + " names no item made before it");
          value = made[n];
        }
        return value;
      };
      auto number = [&](const char* key) {
        auto it = e.find(key);
        if (it == e.end() || !it->is_number()) throw BadArgument(where + "\"" + key + "\" must be a number");
        return it->get<double>();
      };
      if (!e.is_object()) throw BadArgument(where + "not a JSON object");
      const std::string op = text("op");
      std::string result;
      if (op == "add") {
        const std::string kind = text("kind");
        if (kind == "function") result = DoAddFunction(text("type"), number("x"), number("y"));
        else if (kind == "gate") result = DoAddGate(text("type"), number("x"), number("y"));
        else if (kind == "variable") result = DoAddVariable(text("name"), e.contains("varType") ? number("varType") : 0);
        else throw BadArgument(where + "there is no kind of node \"" + kind + "\"");
      } else if (op == "move") {
        DoMoveNode(text("id"), number("x"), number("y"));
      } else if (op == "resize") {
        DoResizeNode(text("id"), number("width"), number("height"));
      } else if (op == "connect") {
        const double type = e.contains("linkType") ? number("linkType") : 0;
        if (type != std::floor(type) || std::abs(type) > 1e6) throw BadArgument(where + "there is no such link type");
        result = DoConnect(text("from"), text("to"), static_cast<int32_t>(type));
      } else if (op == "remove") {
        DoRemoveItem(text("id"));
      } else if (op == "values" || op == "enumValues") {
        auto list = e.find(op);
        if (list == e.end() || !list->is_array()) throw BadArgument(where + "\"" + op + "\" must be a list");
        if (op == "values") {
          std::vector<com::Variant> values;
          for (const Json& v : *list) {
            if (!v.is_string()) throw BadArgument(where + "each value must be a text");
            values.emplace_back(v.get<std::string>());
          }
          DoSetValues(text("id"), values);
        } else {
          std::vector<EnumEntry> entries;
          for (const Json& v : *list) {
            auto t = v.is_object() ? v.find("text") : v.end();
            auto n = v.is_object() ? v.find("number") : v.end();
            if (t == v.end() || !t->is_string() || n == v.end() || !n->is_number_integer() ||
                n->get<int64_t>() != static_cast<int32_t>(n->get<int64_t>())) {
              throw BadArgument(where + "each enumeration value must have a \"text\" and a whole \"number\"");
            }
            entries.push_back({"", t->get<std::string>(), static_cast<int32_t>(n->get<int64_t>())});
          }
          DoSetEnumValues(text("id"), entries);
        }
      } else if (op == "docTypes") {
        auto list = e.find(op);
        if (list == e.end() || !list->is_array()) throw BadArgument(where + "\"docTypes\" must be a list");
        std::vector<std::string> ids;
        for (const Json& v : *list) {
          if (!v.is_string()) throw BadArgument(where + "each document type must be a text");
          ids.push_back(v.get<std::string>());
        }
        DoSetDocTypes(ids);
      } else if (op == "set") {
        const std::string id = e.contains("id") ? text("id") : std::string();
        auto value = e.find("value");
        com::Variant v;
        if (value == e.end()) throw BadArgument(where + "\"value\" is missing");
        if (value->is_string()) v = com::Variant(value->get<std::string>());
        else if (value->is_boolean()) v = com::Variant(value->get<bool>());
        else if (value->is_number_integer() && value->get<int64_t>() == static_cast<int32_t>(value->get<int64_t>()))
          v = com::Variant(static_cast<int32_t>(value->get<int64_t>()));
        else if (value->is_number()) v = com::Variant(value->get<double>());
        else throw BadArgument(where + "\"value\" must be a text, a number or true or false");
        DoSetField(id, text("field"), v);
      } else {
        throw BadArgument(where + "there is no edit \"" + op + "\"");
      }
      made.push_back(result);
    }
  });
  Json out = Json::array();
  for (const std::string& id : made) {
    if (!id.empty()) out.push_back(id);
  }
  return out.dump();
}

com::Ref<ostrel::Session> DesignerObject::RequireSession() {
  com::Ref<ostrel::Session> session = com::TryQuery<ostrel::Session>(session_.TryObject());
  if (!session) throw com::Error(com::hr::kObjectNotSet, kSource, "The designer was given no session");
  return session;
}

com::Ref<ostrel::CardData> DesignerObject::ProcessCard() {
  return RequireSession()->GetCardManager()->GetCardData(process_->ID());
}

std::map<ItemKind, std::vector<std::string>> DesignerObject::ItemIds() {
  std::map<ItemKind, std::vector<std::string>> ids;
  auto collect = [&](ItemKind kind, auto items) {
    auto& list = ids[kind];  // there, even when empty
    for (int32_t i = 1, n = items->Count(); i <= n; ++i) list.push_back(items->Item(com::Variant(i))->ID());
  };
  collect(ItemKind::Function, process_->Functions());
  collect(ItemKind::Gate, process_->Gates());
  collect(ItemKind::Link, process_->Links());
  collect(ItemKind::Variable, process_->Variables());
  return ids;
}

std::string DesignerObject::CopyPart(const std::string& function_ids) {
  if (!process_) throw Refusal("The designer shows no process to copy from");
  const nlohmann::json ids = nlohmann::json::parse(function_ids, nullptr, false);
  if (!ids.is_array()) throw BadArgument("The functions to copy are not a JSON array of IDs");
  auto list = com::Make<com::KeyedList>();
  for (const auto& id : ids) {
    if (!id.is_string()) throw BadArgument("The functions to copy are not a JSON array of IDs");
    auto f = FindFunction(id.get<std::string>());
    if (!f) throw UnknownItem(id.get<std::string>(), "function");
    list->Add(com::Variant(f->ID()), std::nullopt);
  }
  // Linked process cards are named, not copied: a pasted call calls the
  // same sub-process.
  com::Ref<com::Unknown> exchange = com::CreateObject("QXVorlane.ProcessImportExport");
  return com::CallMethod(exchange.get(), "SerializeProcessPart",
                         std::vector{com::Variant(com::Ref<com::Unknown>(RequireSession().get())),
                                     com::Variant(com::Ref<com::Unknown>(ProcessCard().get())),
                                     com::Variant(com::Ref<com::Unknown>(list.get())), com::Variant(false),
                                     com::Variant(false)})
      .ToText();
}

std::string DesignerObject::Paste(const std::string& part, double x, double y) {
  Finite(x, "X position");
  Finite(y, "Y position");
  std::vector<std::string> pasted;
  AsOneStep([&](vorlane::Process&) {
    std::map<ItemKind, std::set<std::string>> before;
    for (auto& [kind, ids] : ItemIds()) before[kind].insert(ids.begin(), ids.end());
    // Whatever the import added, even when it failed half-way, is recorded
    // as made (in row order): a failure takes it away again with the rest
    // of the step.
    auto record_new = [&] {
      for (auto& [kind, now] : ItemIds()) {
        for (const std::string& id : now) {
          if (before[kind].count(id)) continue;
          Made(kind, FindItem(*process_, kind, id).get());
          if (kind == ItemKind::Function) pasted.push_back(id);
        }
      }
    };
    // The import writes the card's rows; the process's lists read them again.
    auto reread = [&] {
      process_->Functions()->Refresh(false);
      process_->Gates()->Refresh(false);
      process_->Links()->Refresh(false);
      process_->Variables()->Refresh(false);
    };
    com::Ref<com::Unknown> exchange = com::CreateObject("QXVorlane.ProcessImportExport");
    try {
      com::CallMethod(exchange.get(), "DeserializeProcessPart",
                      std::vector{com::Variant(com::Ref<com::Unknown>(RequireSession().get())),
                                  com::Variant(com::Ref<com::Unknown>(ProcessCard().get())),
                                  com::Variant(WithNewIds(part))});
    } catch (...) {
      reread();
      record_new();
      throw;
    }
    reread();
    record_new();
    // The part keeps its own arrangement, with its top-left corner at the point.
    double left = std::numeric_limits<double>::max(), top = left;
    for (const std::string& id : pasted) {
      auto f = FindFunction(id);
      left = std::min<double>(left, f->XPos());
      top = std::min<double>(top, f->YPos());
    }
    for (const std::string& id : pasted) {
      auto f = FindFunction(id);
      DoMoveNode(id, f->XPos() - left + x, f->YPos() - top + y);
    }
  });
  nlohmann::json out(pasted);
  return out.dump();
}

void DesignerObject::Undo() {
  vorlane::Process& process = Editable();
  if (!history_.CanUndo()) return;
  history_.Undo(process, gate_places_);
  RaiseChanged();
}

void DesignerObject::Redo() {
  vorlane::Process& process = Editable();
  if (!history_.CanRedo()) return;
  history_.Redo(process, gate_places_);
  RaiseChanged();
}

std::string DesignerObject::Palette() {
  using Json = nlohmann::json;
  Json out{{"functions", Json::array()}, {"gates", Json::array()}};
  if (!library_) return out.dump();
  auto functions = library_->Dictionary()->Functions();
  for (int32_t i = 1, n = functions->Count(); i <= n; ++i) {
    auto t = functions->Item(com::Variant(i));
    if (t->Obsolete()) continue;
    out["functions"].push_back({{"id", t->ID()}, {"name", t->Name()}, {"start", t->IsStart()}});
  }
  auto gates = library_->Dictionary()->Gates();
  for (int32_t i = 1, n = gates->Count(); i <= n; ++i) {
    auto t = gates->Item(com::Variant(i));
    out["gates"].push_back({{"id", t->ID()}, {"name", t->Name()}});
  }
  return out.dump(-1, ' ', false, Json::error_handler_t::replace);
}

std::string DesignerObject::Findings() {
  using Json = nlohmann::json;
  Json out = Json::array();
  if (!process_) return out.dump();
  auto add = [&](const std::string& id, const std::string& message) { out.push_back({{"id", id}, {"message", message}}); };
  // The dictionary's types by normalised ID: whether each is a start type.
  std::map<std::string, bool> function_types;
  std::set<std::string> gate_types;
  if (library_) {
    auto functions = library_->Dictionary()->Functions();
    for (int32_t i = 1, n = functions->Count(); i <= n; ++i) {
      auto t = functions->Item(com::Variant(i));
      function_types[NormalizeId(t->ID())] = t->IsStart();
    }
    auto gates = library_->Dictionary()->Gates();
    for (int32_t i = 1, n = gates->Count(); i <= n; ++i) gate_types.insert(NormalizeId(gates->Item(com::Variant(i))->ID()));
  }
  std::vector<std::string> starts;
  std::set<std::string> nodes;
  auto functions = process_->Functions();
  for (int32_t i = 1, n = functions->Count(); i <= n; ++i) {
    auto f = functions->Item(com::Variant(i));
    const std::string id = NormalizeId(f->ID());
    nodes.insert(id);
    auto type = function_types.find(NormalizeId(f->TypeID()));
    if (type == function_types.end()) add(id, "The dictionary has no function type " + f->TypeID());
    else if (type->second) starts.push_back(id);
  }
  auto gates = process_->Gates();
  for (int32_t i = 1, n = gates->Count(); i <= n; ++i) {
    auto g = gates->Item(com::Variant(i));
    const std::string id = NormalizeId(g->ID());
    nodes.insert(id);
    if (!gate_types.count(NormalizeId(g->TypeID()))) add(id, "The dictionary has no gate type " + g->TypeID());
  }
  if (starts.empty()) add("", "The process has no start function");
  std::map<std::string, std::vector<std::string>> next;
  auto links = process_->Links();
  for (int32_t i = 1, n = links->Count(); i <= n; ++i) {
    auto l = links->Item(com::Variant(i));
    const std::string from = NormalizeId(l->Source()), to = NormalizeId(l->Destination());
    const bool has_from = nodes.count(from) > 0, has_to = nodes.count(to) > 0;
    if (!has_from && !has_to) add(NormalizeId(l->ID()), "Neither end of the link is in the process");
    else if (!has_from) add(NormalizeId(l->ID()), "The link's start is not in the process");
    else if (!has_to) add(NormalizeId(l->ID()), "The link's end is not in the process");
    else next[from].push_back(to);
  }
  if (!starts.empty()) {
    std::set<std::string> reached(starts.begin(), starts.end());
    std::vector<std::string> todo = starts;
    while (!todo.empty()) {
      const std::string at = std::move(todo.back());
      todo.pop_back();
      for (const std::string& to : next[at]) {
        if (reached.insert(to).second) todo.push_back(to);
      }
    }
    // Gates hold the process's data rather than steps of its flow: only
    // functions need a way in.
    for (int32_t i = 1, n = functions->Count(); i <= n; ++i) {
      const std::string id = NormalizeId(functions->Item(com::Variant(i))->ID());
      if (!reached.count(id)) add(id, "No start function leads here");
    }
  }
  return out.dump(-1, ' ', false, Json::error_handler_t::replace);
}

com::Ref<com::ConnectionPoint> DesignerObject::FindConnectionPoint(const com::Guid& iid) {
  if (iid != DesignerEvents::kIID) throw com::Error(com::hr::kNoConnection);
  return events_;
}

}  // namespace designer
