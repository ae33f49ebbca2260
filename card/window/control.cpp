#include "card/window/control.h"

#include <algorithm>

#include "platform/com/error.h"
#include "platform/com/text.h"

namespace card {
namespace {

// Dispatch IDs: the fixed members, then the properties and lists by the
// order their names were first asked for.
constexpr com::DispId kKind = 1;
constexpr com::DispId kName = 2;
constexpr com::DispId kFirstNamed = 100;

// A control's item list as an object: `Buttons` reads it, `Buttons("Save")`
// and `Buttons.Item(1)` give an item, `Buttons.Count` the number of items.
class ItemList final : public com::Object<ControlModel> {
 public:
  ItemList(com::Ref<Control> owner, std::string list) : owner_(std::move(owner)), list_(std::move(list)) {}
  const com::TypeInfo* GetTypeInfo() override { return nullptr; }
  com::DispId GetIDOfName(std::string_view name) override {
    if (text::EqualNoCase(name, "Item")) return com::kDispIdValue;
    if (text::EqualNoCase(name, "Count")) return 1;
    throw com::Error(com::hr::kUnknownName, "", "Unknown name: " + std::string(name));
  }
  com::Variant Invoke(com::DispId id, uint16_t, std::span<const com::Variant> args) override {
    if (id == 1 && args.empty()) return com::Variant(static_cast<int32_t>(owner_->Items(list_).size()));
    if (id != com::kDispIdValue) throw com::Error(com::hr::kMemberNotFound);
    if (args.size() != 1) throw com::Error(com::hr::kBadParamCount);
    Control* item = owner_->Item(list_, args[0]);
    if (!item) throw com::Error(com::hr::kSubscriptOutOfRange, "", "No item " + args[0].ToText() + " in " + list_);
    return com::Variant(com::Ref<com::Unknown>(static_cast<com::Unknown*>(static_cast<ControlModel*>(item))));
  }

 private:
  com::Ref<Control> owner_;
  std::string list_;
};

}  // namespace

Control::~Control() {
  for (List& list : lists_) {
    for (auto& item : list.items) item->OnChange(nullptr);
  }
}

com::Variant Control::Get(std::string_view property) const {
  for (const auto& [name, value] : properties_) {
    if (text::EqualNoCase(name, property)) return value;
  }
  return com::Variant();
}

void Control::Set(std::string_view property, com::Variant value) {
  for (auto& [name, old] : properties_) {
    if (!text::EqualNoCase(name, property)) continue;
    if (old == value) return;
    old = std::move(value);
    Changed(*this, name);
    return;
  }
  properties_.emplace_back(std::string(property), std::move(value));
  Changed(*this, properties_.back().first);
}

bool Control::Enabled() const {
  com::Variant v = Get("Enabled");
  return v.IsEmpty() || v.ToBool();
}

bool Control::Visible() const {
  com::Variant v = Get("Visible");
  return v.IsEmpty() || v.ToBool();
}

std::string Control::Text(std::string_view property) const {
  com::Variant v = Get(property);
  return v.IsEmpty() || v.IsNull() ? std::string() : v.ToText();
}

const Control::List* Control::FindList(std::string_view name) const {
  for (const List& list : lists_) {
    if (text::EqualNoCase(list.name, name)) return &list;
  }
  return nullptr;
}

Control& Control::AddItem(std::string_view list, std::string kind, const std::string& key) {
  List* found = const_cast<List*>(FindList(list));
  if (!found) found = &lists_.emplace_back(List{std::string(list), {}});
  auto item = com::Make<Control>(std::move(kind), key);
  item->Set("Key", com::Variant(key));
  // An item's changes are its owner's: the handler set on the owner hears them.
  item->OnChange([this](Control& control, std::string_view property) { Changed(control, property); });
  found->items.push_back(item);
  return *item;
}

Control* Control::Item(std::string_view list, const com::Variant& key_or_position) const {
  const List* found = FindList(list);
  if (!found) return nullptr;
  if (key_or_position.IsText()) {
    const std::string key = *key_or_position.TryText();
    for (const auto& item : found->items) {
      if (text::EqualNoCase(item->name(), key)) return item.get();
    }
    return nullptr;
  }
  const int32_t position = key_or_position.ToI4();
  if (position < 1 || static_cast<size_t>(position) > found->items.size()) return nullptr;
  return found->items[static_cast<size_t>(position) - 1].get();
}

std::vector<com::Ref<Control>> Control::Items(std::string_view list) const {
  const List* found = FindList(list);
  return found ? found->items : std::vector<com::Ref<Control>>();
}

std::vector<std::string> Control::Lists() const {
  std::vector<std::string> out;
  for (const List& list : lists_) out.push_back(list.name);
  return out;
}

void Control::OnChange(ChangeHandler handler) { on_change_ = std::move(handler); }

com::DispId Control::GetIDOfName(std::string_view name) {
  if (text::EqualNoCase(name, "Kind")) return kKind;
  if (text::EqualNoCase(name, "Name")) return kName;
  auto it = std::find_if(names_.begin(), names_.end(), [&](const std::string& n) { return text::EqualNoCase(n, name); });
  if (it == names_.end()) {
    // Any name is a property (Empty until set), as on a form designer's
    // sheet every property exists; lists are found the same way.
    names_.emplace_back(name);
    it = names_.end() - 1;
  }
  return kFirstNamed + static_cast<com::DispId>(it - names_.begin());
}

com::Variant Control::Invoke(com::DispId id, uint16_t flags, std::span<const com::Variant> args) {
  if (id == kKind || id == kName) {
    if (!(flags & com::kInvokeGet) || !args.empty()) throw com::Error(com::hr::kMemberNotFound);
    return com::Variant(id == kKind ? kind_ : name_);
  }
  const size_t at = static_cast<size_t>(id - kFirstNamed);
  if (id < kFirstNamed || at >= names_.size()) throw com::Error(com::hr::kMemberNotFound);
  const std::string& name = names_[at];
  if (FindList(name)) {
    if (args.size() == 1 && (flags & (com::kInvokeGet | com::kInvokeMethod))) {
      Control* item = Item(name, args[0]);
      if (!item) throw com::Error(com::hr::kSubscriptOutOfRange, "", "No item " + args[0].ToText() + " in " + name);
      return com::Variant(com::Ref<com::Unknown>(static_cast<com::Unknown*>(static_cast<ControlModel*>(item))));
    }
    if (args.empty() && (flags & com::kInvokeGet)) {
      auto items = com::Make<ItemList>(com::Ref<Control>(this), name);
      return com::Variant(com::Ref<com::Unknown>(static_cast<com::Unknown*>(static_cast<ControlModel*>(items.get()))));
    }
    throw com::Error(com::hr::kBadParamCount);
  }
  if (flags & (com::kInvokeLet | com::kInvokeSet)) {
    if (args.size() != 1) throw com::Error(com::hr::kBadParamCount);
    Set(name, args[0]);
    return com::Variant();
  }
  if (!args.empty()) throw com::Error(com::hr::kBadParamCount);
  return Get(name);
}

}  // namespace card
