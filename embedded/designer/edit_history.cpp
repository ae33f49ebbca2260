#include "embedded/designer/edit_history.h"

#include "platform/com/dispatch.h"
#include "platform/com/hresult.h"
#include "platform/com/text.h"
#include "vorlane/doc_types.h"
#include "vorlane/enum_value.h"
#include "vorlane/enum_values.h"
#include "vorlane/pass_state.h"
#include "vorlane/pass_states.h"
#include "vorlane/proc_function.h"
#include "vorlane/value.h"
#include "vorlane/values.h"
#include "vorlane/variable.h"
#include "vorlane/variables.h"

namespace designer {
namespace {

com::Ref<com::Unknown> AddItem(vorlane::Process& process, ItemKind kind) {
  switch (kind) {
    case ItemKind::Function: return process.Functions()->AddNew();
    case ItemKind::Gate: return process.Gates()->AddNew();
    case ItemKind::Link: return process.Links()->AddNew();
    case ItemKind::Variable: return process.Variables()->AddNew();
    case ItemKind::Process: break;
  }
  throw com::Error(com::hr::kUnexpected, "Designer", "The process cannot be made again");
}

void RemoveItem(vorlane::Process& process, ItemKind kind, const std::string& id) {
  switch (kind) {
    case ItemKind::Function: process.Functions()->Remove(com::Variant(id)); return;
    case ItemKind::Gate: process.Gates()->Remove(com::Variant(id)); return;
    case ItemKind::Link: process.Links()->Remove(com::Variant(id)); return;
    case ItemKind::Variable: process.Variables()->Remove(com::Variant(id)); return;
    case ItemKind::Process: break;
  }
  throw com::Error(com::hr::kUnexpected, "Designer", "The process cannot be removed");
}

template <class Collection>
com::Ref<com::Unknown> FindIn(Collection&& items, const std::string& id) {
  const std::string key = NormalizeId(id);
  for (int32_t i = 1, n = items->Count(); i <= n; ++i) {
    auto item = items->Item(com::Variant(i));
    if (NormalizeId(item->ID()) == key) return item;
  }
  return nullptr;
}

}  // namespace

com::Ref<com::Unknown> FindItem(vorlane::Process& process, ItemKind kind, const std::string& id) {
  switch (kind) {
    case ItemKind::Process: return com::Ref<com::Unknown>(&process);
    case ItemKind::Function: return FindIn(process.Functions(), id);
    case ItemKind::Gate: return FindIn(process.Gates(), id);
    case ItemKind::Link: return FindIn(process.Links(), id);
    case ItemKind::Variable: return FindIn(process.Variables(), id);
  }
  return nullptr;
}

Fields ReadFields(com::Unknown* item, std::initializer_list<const char*> names) {
  Fields fields;
  for (const char* name : names) fields.emplace_back(name, com::GetProperty(item, name));
  return fields;
}

Fields ReadAllFields(com::Unknown* item) {
  Fields fields;
  const com::TypeInfo* info = com::Query<com::Dispatch>(item)->GetTypeInfo();
  for (const com::MemberInfo& m : info->members()) {
    if (m.kind != com::MemberKind::Let || m.params.size() != 1 || text::NoCaseEqual()(m.name, "ID")) continue;
    // A variable's value as text is its value again: written once, as the value.
    if (text::NoCaseEqual()(m.name, "DisplayValue")) continue;
    fields.emplace_back(m.name, com::GetProperty(item, m.name));
  }
  return fields;
}

ItemState ReadLists(vorlane::Variable& variable) {
  ItemState state;
  state.lists = true;
  auto values = variable.Values();
  for (int32_t i = 1, n = values->Count(); i <= n; ++i) state.values.push_back(values->Item(com::Variant(i))->GetValue());
  auto enums = variable.EnumValues();
  for (int32_t i = 1, n = enums->Count(); i <= n; ++i) {
    auto e = enums->Item(com::Variant(i));
    state.enum_values.push_back({e->ID(), e->Value(), e->NumericValue()});
  }
  return state;
}

std::string TypeIdOf(vorlane::DocType& type) {
  try {
    return type.TypeID();
  } catch (const com::Error& e) {
    if (e.code() != com::hr::kInvalidUseOfNull) throw;
    return "";
  }
}

ItemState ReadDocTypes(vorlane::Process& process) {
  ItemState state;
  state.lists = true;
  auto types = process.DocTypes();
  for (int32_t i = 1, n = types->Count(); i <= n; ++i) state.doc_types.push_back(TypeIdOf(*types->Item(com::Variant(i))));
  return state;
}

ItemState ReadListsOf(vorlane::Process& process, ItemKind kind, com::Unknown* item) {
  return kind == ItemKind::Process ? ReadDocTypes(process) : ReadLists(*com::Query<vorlane::Variable>(item));
}

ItemState ReadWholeItem(ItemKind kind, com::Unknown* item) {
  if (kind != ItemKind::Variable) {
    ItemState state;
    state.fields = ReadAllFields(item);
    if (kind == ItemKind::Function) {
      auto passes = com::Query<vorlane::ProcFunction>(item)->States();
      for (int32_t i = 1, n = passes->Count(); i <= n; ++i) {
        auto pass = passes->Item(com::Variant(i));
        PassImage image{pass->Data(), pass->HasErrors(), pass->HasWarnings(), static_cast<int32_t>(pass->State()), {}};
        auto constraints = pass->Constraints();
        for (int32_t j = 1, m = constraints->Count(); j <= m; ++j) {
          auto c = constraints->Item(com::Variant(j));
          image.constraints.emplace_back(c->PrevFunction(), c->Completed());
        }
        state.passes.push_back(std::move(image));
      }
    }
    return state;
  }
  ItemState state = ReadLists(*com::Query<vorlane::Variable>(item));
  state.fields = ReadAllFields(item);
  state.lists = false;
  return state;
}

namespace {

// A variable made again gets its enumeration values under new IDs: its
// fields and values that named the old ones name the new ones.
com::Variant Renamed(const com::Variant& value, const std::map<std::string, std::string>& ids) {
  if (ids.empty() || !value.IsText()) return value;
  std::string text = value.ToText();
  for (const auto& [from, to] : ids) {
    for (size_t at = text::Upper(text).find(from); at != std::string::npos; at = text::Upper(text).find(from, at + to.size())) {
      text.replace(at, from.size(), to);
    }
  }
  return com::Variant(text);
}

}  // namespace

void EditHistory::Clear() {
  done_.clear();
  undone_.clear();
  remade_.clear();
}

void EditHistory::Push(EditStep step) {
  if (step.empty()) return;
  done_.push_back(std::move(step));
  undone_.clear();
}

std::string EditHistory::Current(const std::string& id) const {
  std::string now = id;
  for (auto it = remade_.find(NormalizeId(now)); it != remade_.end(); it = remade_.find(NormalizeId(now))) {
    now = it->second;
  }
  return now;
}

void EditHistory::Undo(vorlane::Process& process, GatePlaces& places) {
  if (done_.empty()) return;
  Apply(done_.back(), true, process, places);
  undone_.push_back(std::move(done_.back()));
  done_.pop_back();
}

void EditHistory::Redo(vorlane::Process& process, GatePlaces& places) {
  if (undone_.empty()) return;
  Apply(undone_.back(), false, process, places);
  done_.push_back(std::move(undone_.back()));
  undone_.pop_back();
}

void EditHistory::Revert(const EditStep& step, vorlane::Process& process, GatePlaces& places) {
  Apply(step, true, process, places);
}

void EditHistory::Apply(const EditStep& step, bool before, vorlane::Process& process, GatePlaces& places) {
  EditStep applied;
  try {
    if (before) {
      for (auto it = step.rbegin(); it != step.rend(); ++it) Put(process, places, *it, it->before, &applied);
    } else {
      for (const ItemChange& change : step) Put(process, places, change, change.after, &applied);
    }
  } catch (...) {
    for (auto it = applied.rbegin(); it != applied.rend(); ++it) Put(process, places, *it, it->before, nullptr);
    throw;
  }
}

void EditHistory::Put(vorlane::Process& process, GatePlaces& places, const ItemChange& change,
                      const std::optional<ItemState>& state, EditStep* applied) {
  const std::string id = Current(change.id);
  com::Ref<com::Unknown> item = FindItem(process, change.kind, id);
  ItemChange done{change.kind, id, std::nullopt, std::nullopt};
  if (!state) {
    // The item goes.
    if (!item) return;
    done.before = ReadWholeItem(change.kind, item.get());
    if (change.kind == ItemKind::Gate) {
      auto place = places.find(NormalizeId(id));
      if (place != places.end()) done.before->place = place->second;
      places.erase(NormalizeId(id));
    }
    RemoveItem(process, change.kind, id);
    if (applied) applied->push_back(std::move(done));
    return;
  }
  const bool made = !item;
  if (made) {
    item = AddItem(process, change.kind);
    done.id = com::GetProperty(item.get(), "ID").ToText();
    remade_[NormalizeId(change.id)] = done.id;
    remade_.erase(NormalizeId(done.id));
    // Recorded before the fields are written, so that a failure among them
    // takes the new item away again.
    if (applied) applied->push_back(done);
  } else {
    Fields was;
    for (const auto& [name, value] : state->fields) was.emplace_back(name, com::GetProperty(item.get(), name));
    done.before = state->lists ? ReadListsOf(process, change.kind, item.get()) : ItemState{};
    done.before->fields = std::move(was);
    if (change.kind == ItemKind::Gate && state->place) {
      auto place = places.find(NormalizeId(id));
      if (place != places.end()) done.before->place = place->second;
    }
  }
  std::map<std::string, std::string> enum_ids;
  const bool lists = change.kind == ItemKind::Variable && (made || state->lists);
  if (lists) {
    auto variable = com::Query<vorlane::Variable>(item);
    auto enums = variable->EnumValues();
    while (enums->Count() > 0) enums->Remove(com::Variant(1));
    for (const EnumEntry& e : state->enum_values) {
      auto remade = variable->EnumValues()->AddNew(e.text);
      remade->SetNumericValue(e.number);
      if (!e.id.empty()) enum_ids[text::Upper(e.id)] = remade->ID();  // a new entry has no ID yet
    }
  }
  for (const auto& [name, value] : state->fields) {
    // A link names its nodes by the IDs they have now.
    const bool node_ref = change.kind == ItemKind::Link &&
                          (text::NoCaseEqual()(name, "Source") || text::NoCaseEqual()(name, "Destination"));
    com::SetProperty(item.get(), name, node_ref ? com::Variant(Current(value.ToText())) : Renamed(value, enum_ids));
  }
  if (lists) {
    auto values = com::Query<vorlane::Variable>(item)->Values();
    values->Clear();
    for (const com::Variant& v : state->values) values->AddNew(Renamed(v, enum_ids));
  }
  if (made && change.kind == ItemKind::Function) {
    auto passes = com::Query<vorlane::ProcFunction>(item)->States();
    for (const PassImage& image : state->passes) {
      auto pass = passes->AddNew();
      pass->SetData(image.data);
      pass->SetHasErrors(image.has_errors);
      pass->SetHasWarnings(image.has_warnings);
      pass->SetState(static_cast<vorlane::FuncStateEnum>(image.state));
      for (const auto& [previous, completed] : image.constraints) {
        pass->Constraints()->AddNew(Current(previous))->SetCompleted(completed);
      }
    }
  }
  if (change.kind == ItemKind::Process && state->lists) {
    auto types = process.DocTypes();
    while (types->Count() > 0) types->Remove(com::Variant(1));
    for (const std::string& type : state->doc_types) {
      auto added = types->AddNew();
      if (!type.empty()) added->SetTypeID(type);
    }
  }
  if (change.kind == ItemKind::Gate && state->place) places[NormalizeId(done.id)] = *state->place;
  done.after = state;
  if (applied && !made) applied->push_back(std::move(done));
}

}  // namespace designer
