#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/ids.h"
#include "objects/core/row_container.h"
#include "platform/com/enumerator.h"
#include "platform/com/keyed.h"

namespace vorlane {

// How a row-backed list keys the wrappers it reads from rows.
enum class KeyBy {
  ID,           // the item's ID property (the "ID" field, normalised)
  RowIdentity,  // the row's own identity (Row.GetID, normalised)
  None,         // no key: items are reached by position only
};

// What a failure while the list is first read does.
enum class OnLoadError {
  Raise,  // reaches the caller; the rows read so far stay listed until Refresh
  Skip,   // is swallowed: the row is left out (nothing when the rows cannot be read)
};

struct RowListRules {
  KeyBy key = KeyBy::ID;
  OnLoadError on_error = OnLoadError::Raise;
  // Rows in ascending order of this field (GetSortedRows); empty: platform order.
  // A name that outlives the list (a literal), so that rules can be constants.
  // (Initialised, so that a rule set may leave it out without a warning.)
  std::string_view sort_field = {};
  // A list that was never attached reads as empty (and its Refresh does
  // nothing) instead of failing: the dictionaries, whose card may not open.
  bool unattached_reads_empty = false;
};

// The list behind every row-backed collection: a container, and a keyed
// list of one wrapper per row, read on first use and kept until Refresh.
// While read, the list changes only through this object (Append, Remove);
// rows added or removed by others show after Refresh.
//
// Wrapper is the item class: it has SetRow, GetRowID and (for KeyBy::ID) ID().
// The factory makes a wrapper bound to a row, with whatever else it needs.
template <class Wrapper>
class RowList {
 public:
  using Factory = std::function<com::Ref<Wrapper>(com::Ref<ostrel::Row>)>;

  RowList(RowListRules rules, Factory make) : rules_(std::move(rules)), make_(std::move(make)) {}

  // Sets the container and drops the list.
  void Attach(RowContainer container) {
    container_ = std::move(container);
    list_.reset();
  }
  const RowContainer& container() const { return container_; }
  bool IsRead() const { return list_.has_value(); }

  // The list, read first when it is absent.
  com::Keyed<com::Ref<Wrapper>>& GetList() {
    if (!list_) Load();
    return *list_;
  }

  int32_t Count() { return static_cast<int32_t>(GetList().size()); }
  // By 1-based position, or by key: a text index is normalised as an ID
  // first, so "10105dc1-..." finds "{10105DC1-...}".
  com::Ref<Wrapper> Item(const com::Variant& index) { return GetList().Item(Normalized(index)); }
  com::Ref<com::Unknown> NewEnum() {
    std::vector<com::Variant> items;
    GetList().ForEach([&](const com::Ref<Wrapper>& item) { items.emplace_back(com::Ref<com::Unknown>(item.get())); });
    return com::MakeEnumerator(std::move(items));
  }

  // Removes the item from the list, then its row from the container, and
  // returns it. A missing key or position fails before anything changes.
  com::Ref<Wrapper> Remove(const com::Variant& index) {
    com::Keyed<com::Ref<Wrapper>>& list = GetList();
    size_t pos = list.PositionOf(Normalized(index));
    com::Ref<Wrapper> item = list.at(pos);
    list.RemoveAt(pos);
    container_.Rows()->Remove(com::Variant(item->GetRowID()));
    return item;
  }

  // Re-reads the container and drops the list.
  void Refresh() {
    if (!(container_.empty() && rules_.unattached_reads_empty)) container_.Refresh();
    list_.reset();
  }
  void Drop() { list_.reset(); }

  // A wrapper over a new row of the container (the list is not touched).
  com::Ref<Wrapper> NewRow() { return make_(container_.Rows()->AddNew(0)); }
  // A wrapper over a new row of the container, its "ID" set to a new GUID.
  com::Ref<Wrapper> NewRowWithID() {
    com::Ref<Wrapper> item = NewRow();
    item->SetID(CreateGUID());
    return item;
  }
  // Adds an item at the end of a list that has been read, under the key
  // the rules give it; a list not read yet finds the row when it is read.
  void AppendIfRead(const com::Ref<Wrapper>& item) {
    if (list_) list_->Add(item, KeyOf(*item));
  }
  // Adds an item under `key` to the list, reading the list first.
  void Append(const com::Ref<Wrapper>& item, std::optional<std::string> key) { GetList().Add(item, std::move(key)); }

  static com::Variant Normalized(const com::Variant& index) {
    if (const std::string* text = index.TryText()) return com::Variant(NormalizeID(*text));
    return index;
  }

 private:
  std::optional<std::string> KeyOf(Wrapper& item) const {
    switch (rules_.key) {
      case KeyBy::ID:
        // A wrapper without an ID (a value of a variable) is never keyed by one.
        if constexpr (requires { item.ID(); }) {
          return item.ID();
        } else {
          throw com::Error(com::hr::kUnexpected);
        }
      case KeyBy::RowIdentity: return item.GetRowID();
      case KeyBy::None: return std::nullopt;
    }
    return std::nullopt;
  }

  void Load() {
    // A list that was never attached (a creatable collection made by a
    // client, or one whose container could not be reached) fails on every
    // use, rather than reading as empty after its first failure.
    if (container_.empty() && !rules_.unattached_reads_empty) throw com::Error(com::hr::kObjectNotSet);
    // Stored before any row is read: a failure leaves what was read so far.
    list_.emplace();
    if (container_.empty()) return;
    if (rules_.on_error == OnLoadError::Raise) {
      LoadRows();
      return;
    }
    try {
      LoadRows();
    } catch (const com::Error&) {
      // The list holds what could be read; the rules say the failure is swallowed.
    }
  }

  void LoadRows() {
    com::Ref<ostrel::RowCollection> rows = container_.Rows();
    if (!rules_.sort_field.empty()) rows = rows->GetSortedRows(std::string(rules_.sort_field), true);
    const int32_t count = rows->Count();
    list_->Reserve(static_cast<size_t>(count), rules_.key == KeyBy::None ? 0 : static_cast<size_t>(count));
    for (int32_t i = 0; i < count; ++i) {
      if (rules_.on_error == OnLoadError::Raise) {
        AddRow(rows->Item(com::Variant(i)));
        continue;
      }
      try {
        AddRow(rows->Item(com::Variant(i)));
      } catch (const com::Error&) {
        // A row that cannot be listed (a second row with the same key) is skipped.
      }
    }
  }

  void AddRow(com::Ref<ostrel::Row> row) {
    com::Ref<Wrapper> item = make_(std::move(row));
    list_->Add(item, KeyOf(*item));
  }

  RowListRules rules_;
  Factory make_;
  RowContainer container_;
  std::optional<com::Keyed<com::Ref<Wrapper>>> list_;
};

// The plain factory: a new wrapper bound to the row.
template <class Wrapper>
com::Ref<Wrapper> WrapRow(com::Ref<ostrel::Row> row) {
  com::Ref<Wrapper> item = com::Make<Wrapper>();
  item->SetRow(std::move(row));
  return item;
}

// The members that every row-backed collection shares: Count, Item,
// NewEnum, Remove and Refresh over a RowList. Members the interface does not
// declare (Remove of a dictionary list) are simply not reachable through it.
template <class Interface, class ItemInterface, class ItemImpl>
class RowListCollection : public com::Object<Interface> {
 public:
  explicit RowListCollection(RowListRules rules,
                             typename RowList<ItemImpl>::Factory make = &WrapRow<ItemImpl>)
      : list_(std::move(rules), std::move(make)) {}

  void Attach(RowContainer container) { list_.Attach(std::move(container)); }
  RowList<ItemImpl>& list() { return list_; }

  int32_t Count() { return list_.Count(); }
  com::Ref<ItemInterface> Item(const com::Variant& index) { return list_.Item(index); }
  com::Ref<com::Unknown> NewEnum() { return list_.NewEnum(); }
  void Remove(const com::Variant& index) { list_.Remove(index); }
  void Refresh(bool /*deep_refresh: not used*/) { list_.Refresh(); }

 protected:
  RowList<ItemImpl> list_;
};

}  // namespace vorlane
