#pragma once

// The designer's undo and redo: each step is what an edit changed, item by
// item, with the fields before and after, so that either side can be put
// back through the object model.
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "embedded/designer/graph_layout.h"
#include "platform/com/variant.h"
#include "vorlane/doc_type.h"
#include "vorlane/process.h"

namespace designer {

enum class ItemKind { Process, Function, Gate, Link, Variable };

// Field values by property name, in the order they are written back.
using Fields = std::vector<std::pair<std::string, com::Variant>>;

// A variable's enumeration value, by the ID its variable's values name it.
struct EnumEntry {
  std::string id;
  std::string text;
  int32_t number = 0;
};

// One pass of a removed function: what it takes to record it again (its
// number is the next one when it is made again).
struct PassImage {
  std::string data;
  bool has_errors = false;
  bool has_warnings = false;
  int32_t state = 0;
  std::vector<std::pair<std::string, bool>> constraints;  // previous function, completed
};

// One item's state on one side of a change. An item that does not exist
// on that side has no state; a gate's state holds its place too, a removed
// variable its values and enumeration values, and a removed function its
// passes. `lists` says that a
// variable's values and enumeration values, or the process's document
// types, are part of the change: the item's lists are replaced by these.
struct ItemState {
  Fields fields;
  std::optional<Box> place;
  std::vector<com::Variant> values;
  std::vector<EnumEntry> enum_values;
  std::vector<std::string> doc_types;  // type IDs, in order
  std::vector<PassImage> passes;
  bool lists = false;
};

struct ItemChange {
  ItemKind kind = ItemKind::Process;
  std::string id;  // as it was when the change was made; "" for the process
  std::optional<ItemState> before;
  std::optional<ItemState> after;
};

using EditStep = std::vector<ItemChange>;

// The item of `kind` and ID in `process` as a dispatch object; null when
// there is none. The process itself for ItemKind::Process.
com::Ref<com::Unknown> FindItem(vorlane::Process& process, ItemKind kind, const std::string& id);

// The named fields of an item, read now.
Fields ReadFields(com::Unknown* item, std::initializer_list<const char*> names);
// Every field a person or a program can set on the item (its ID excepted):
// what it takes to make it again.
Fields ReadAllFields(com::Unknown* item);
// All of that, with a variable's values and enumeration values or a
// function's passes.
ItemState ReadWholeItem(ItemKind kind, com::Unknown* item);
// A variable's values and enumeration values alone (`lists` set).
ItemState ReadLists(vorlane::Variable& variable);
// The process's document types alone (`lists` set).
ItemState ReadDocTypes(vorlane::Process& process);
// The lists of `item`: a variable's (ReadLists) or, for the process, its
// document types.
ItemState ReadListsOf(vorlane::Process& process, ItemKind kind, com::Unknown* item);
// A document type's type ID; "" for one that was never given one (a row
// added and left so, or imported without it), which the designer shows and
// writes back as it is.
std::string TypeIdOf(vorlane::DocType& type);

class EditHistory {
 public:
  // Forgets every step (another process is shown).
  void Clear();
  // A step made; what was undone can no longer be redone.
  void Push(EditStep step);
  bool CanUndo() const { return !done_.empty(); }
  bool CanRedo() const { return !undone_.empty(); }
  // Puts the last step's items back as they were before it, and moves the
  // step to the redo side; Redo does the reverse. Either fails having
  // changed nothing when the process no longer takes the change.
  void Undo(vorlane::Process& process, GatePlaces& places);
  void Redo(vorlane::Process& process, GatePlaces& places);
  // Puts `step`'s items back as they were before it, for an edit that
  // failed half-way.
  void Revert(const EditStep& step, vorlane::Process& process, GatePlaces& places);

  // Brings the item of `change` to `state` (made, changed or taken away);
  // what it changes goes to `applied` when there is one.
  void Put(vorlane::Process& process, GatePlaces& places, const ItemChange& change,
           const std::optional<ItemState>& state, EditStep* applied = nullptr);

  // The ID an item has now: an item that undo or redo had to make again
  // has a new ID, and older steps still name it by its first one.
  std::string Current(const std::string& id) const;

 private:
  // Brings each item of `step` to one side of its change: `before` in
  // reverse order, `after` in order. What it changes is recorded in
  // `applied` so that a failure part-way can be put back.
  void Apply(const EditStep& step, bool before, vorlane::Process& process, GatePlaces& places);

  std::vector<EditStep> done_;
  std::vector<EditStep> undone_;
  std::map<std::string, std::string> remade_;  // first ID (normalised) -> the ID it has now
};

}  // namespace designer
