#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/com/dispatch.h"

namespace card {

// One constituent control of the card or of one of its forms, as a form
// designer shows it: its kind ("Toolbar", "Label", "CheckBox"...), its name,
// its properties by name ("Enabled", "Visible", "Caption", "ToolTipText",
// "Value", "Tag"...) and, for a toolbar or a status bar, its items
// ("Buttons", "Panels"), which are controls of their own, each with a
// "Key". A host reads them to draw the window and a script reaches them by
// name through dispatch: `Caption` reads a property, `Buttons("Save")` an
// item, `Buttons` the list (its `Count`, its items by key or position).
//
// A control holds no pointer to its owner: the owner's change handler
// (OnChange) is told of every property that changes value, so that the
// owner raises its window-changed event only then. The owner clears it
// before it lets go.
//
// ControlModel is the interface a host asks for to tell a control model
// from other objects; its members are found at run time.
class ControlModel : public virtual com::Dispatch {
 public:
  static constexpr com::Guid kIID{"{8E3B0F61-2C4D-4A97-B15E-6D0C9A2F7E13}"};
};

class Control final : public com::Object<ControlModel> {
 public:
  using ChangeHandler = std::function<void(Control& control, std::string_view property)>;

  Control(std::string kind, std::string name) : kind_(std::move(kind)), name_(std::move(name)) {}
  // Items held elsewhere outlive their owner: they stop telling it.
  ~Control() override;

  const std::string& kind() const { return kind_; }
  const std::string& name() const { return name_; }

  // A property's value; Empty for one never set.
  com::Variant Get(std::string_view property) const;
  // Sets a property; the change handler hears of it when the value changed.
  void Set(std::string_view property, com::Variant value);
  // Shorthands for the properties every control has.
  bool Enabled() const;
  bool Visible() const;
  std::string Text(std::string_view property) const;

  // The item list named `list` ("Buttons", "Panels"): adds an item of kind
  // `kind` with that "Key".
  Control& AddItem(std::string_view list, std::string kind, const std::string& key);
  // The item of `list` with that key (without regard to case) or 1-based
  // position; nullptr when there is none.
  Control* Item(std::string_view list, const com::Variant& key_or_position) const;
  // Every item of `list`, in order.
  std::vector<com::Ref<Control>> Items(std::string_view list) const;
  // The names of the lists this control has, in the order first added.
  std::vector<std::string> Lists() const;

  // The handler told of every change of this control and of its items.
  void OnChange(ChangeHandler handler);

  // Dispatch: members are the control's properties and lists, found at run
  // time; "Kind" and "Name" read the control's own.
  const com::TypeInfo* GetTypeInfo() override { return nullptr; }
  com::DispId GetIDOfName(std::string_view name) override;
  com::Variant Invoke(com::DispId id, uint16_t flags, std::span<const com::Variant> args) override;

 private:
  struct List {
    std::string name;
    std::vector<com::Ref<Control>> items;
  };
  const List* FindList(std::string_view name) const;
  void Changed(Control& control, std::string_view property) {
    if (on_change_) on_change_(control, property);
  }

  std::string kind_;
  std::string name_;
  std::vector<std::pair<std::string, com::Variant>> properties_;
  std::vector<List> lists_;
  ChangeHandler on_change_;
  // Names that dispatch has handed out IDs for, in the order asked.
  std::vector<std::string> names_;
};

}  // namespace card
