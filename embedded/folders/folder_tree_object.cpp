#include "embedded/folders/folder_tree_object.h"

#include <functional>
#include <optional>

#include "platform/com/error.h"
#include "platform/ostrel/card_update.h"
#include "platform/ostrel/errors.h"
#include "platform/ostrel/folder.h"
#include "platform/ostrel/row.h"
#include "platform/ostrel/row_collection.h"
#include "platform/ostrel/section.h"
#include "platform/ostrel/section_collection.h"
#include "platform/ostrel/shortcuts.h"
#include "platform/ostrel/sub_section.h"
#include "platform/ostrel/sub_section_collection.h"

namespace embedded::folders {
namespace {

using com::Ref;
using com::Variant;

[[noreturn]] void Fail(com::HResult code, const std::string& text) {
  throw com::Error(code, std::string(ostrel::err::kSource), text);
}

std::string TextOf(const Variant& v) { return v.IsNull() || v.IsEmpty() ? std::string() : v.ToText(); }

bool Flag(const Variant& v) { return !v.IsNull() && !v.IsEmpty() && v.ToBool(); }

// The card ID a shortcut row names, as a GUID; nullopt for a row that names
// none (a row written by hand with a bad value counts as no shortcut).
std::optional<com::Guid> CardOf(ostrel::Row& shortcut) { return com::Guid::Parse(TextOf(shortcut.GetField("CardID"))); }

Ref<ostrel::Section> Section(ostrel::CardData& card, const char* id) { return card.GetSections()->Item(id); }

// The top folders, whatever mode a client gave the section.
Ref<ostrel::RowCollection> TopFolders(ostrel::CardData& card) {
  return Section(card, kFoldersSection)->SelectRows(ostrel::row_selection::kRootRowsOnly, 0);
}

// Walks the tree depth-first, parents before children: `visit` gets each
// folder row and its parent (null for a top folder) and answers true to stop.
bool Walk(const Ref<ostrel::RowCollection>& rows, const Ref<ostrel::Row>& parent,
          const std::function<bool(const Ref<ostrel::Row>&, const Ref<ostrel::Row>&)>& visit) {
  const int32_t n = rows->Count();
  for (int32_t i = 0; i < n; ++i) {
    Ref<ostrel::Row> row = rows->Item(Variant(i));
    if (visit(row, parent)) return true;
    if (Walk(row->GetChildRows(), row, visit)) return true;
  }
  return false;
}

class ShortcutsObject final : public com::Object<ostrel::Shortcuts> {
 public:
  ShortcutsObject(Ref<ostrel::CardManager> cards, Ref<ostrel::CardData> card, Ref<ostrel::Row> folder)
      : cards_(std::move(cards)), card_(std::move(card)), folder_(std::move(folder)) {}

  int32_t Count() override { return Rows()->Count(); }

  std::string Item(int32_t index) override {
    Ref<ostrel::Row> row = Rows()->Item(Variant(index));
    std::optional<com::Guid> id = CardOf(*row);
    return id ? id->ToString() : TextOf(row->GetField("CardID"));
  }

  void AddShortcut(const std::string& card_id, bool hard) override {
    std::optional<com::Guid> id = com::Guid::Parse(card_id);
    if (!id) Fail(ostrel::err::kUnknownCard, "\"" + card_id + "\" is no card ID");
    if (cards_->GetCardStatus(id->ToString()) != 1) {
      Fail(ostrel::err::kUnknownCard, "Card " + id->ToString() + " does not exist: no shortcut is filed to it");
    }
    // Shortcuts other sessions filed count for the one-hard-shortcut rule.
    card_->Refresh(true);

    // The changes go in one write; inside a bracket the client opened they
    // are written with the rest of that bracket.
    Ref<ostrel::CardUpdate> update = com::Query<ostrel::CardUpdate>(card_);
    const bool own_bracket = !update->GetInUpdate();
    if (own_bracket) update->BeginUpdate();
    try {
      File(*id, hard);
      if (own_bracket) update->EndUpdate();
    } catch (const com::Error&) {
      // Nothing of a failed filing stays; the error goes on to the caller.
      if (own_bracket) update->CancelUpdate();
      throw;
    }
  }

 private:
  Ref<ostrel::RowCollection> Rows() { return folder_->GetSubSections()->Item(kShortcutsSection)->GetRows(); }

  // A card has at most one hard shortcut: a new hard one takes the place of
  // the one it had, which stays as a soft shortcut. A card is filed once per
  // folder; filing it again only makes the shortcut hard when asked.
  void File(const com::Guid& id, bool hard) {
    Ref<ostrel::RowCollection> here = Rows();
    Ref<ostrel::Row> existing;
    for (int32_t i = 0, n = here->Count(); i < n && !existing; ++i) {
      Ref<ostrel::Row> row = here->Item(Variant(i));
      if (CardOf(*row) == id) existing = row;
    }
    if (existing && (!hard || Flag(existing->GetField("Hard")))) return;
    if (hard) {
      Ref<ostrel::RowCollection> all = Section(*card_, kShortcutsSection)->SelectRows(0, 0);
      for (int32_t i = 0, n = all->Count(); i < n; ++i) {
        Ref<ostrel::Row> row = all->Item(Variant(i));
        if (CardOf(*row) == id && Flag(row->GetField("Hard"))) row->SetField("Hard", Variant(false));
      }
    }
    if (existing) {
      existing->SetField("Hard", Variant(true));
      return;
    }
    Ref<ostrel::Row> row = here->AddNew(0);
    row->SetField("CardID", Variant(id.ToString()));
    row->SetField("Hard", Variant(hard));
  }

  Ref<ostrel::CardManager> cards_;
  Ref<ostrel::CardData> card_;
  Ref<ostrel::Row> folder_;
};

class FolderObject final : public com::Object<ostrel::Folder> {
 public:
  FolderObject(Ref<ostrel::CardManager> cards, Ref<ostrel::CardData> card, Ref<ostrel::Row> row)
      : cards_(std::move(cards)), card_(std::move(card)), row_(std::move(row)) {}

  std::string GetID() override { return row_->GetID(); }
  std::string GetName() override { return TextOf(row_->GetField("Name")); }

  Ref<ostrel::Folder> GetParent() override {
    // A tree row knows its children, not its parent: the walk finds it.
    const std::string me = row_->GetID();
    Ref<ostrel::Row> parent;
    bool found = Walk(TopFolders(*card_), nullptr,
                      [&](const Ref<ostrel::Row>& row, const Ref<ostrel::Row>& above) {
                        if (row->GetID() != me) return false;
                        parent = above;
                        return true;
                      });
    if (!found) Fail(ostrel::err::kRowDeleted, "The folder " + me + " is no longer in the folder tree");
    if (!parent) return nullptr;
    return com::Make<FolderObject>(cards_, card_, parent);
  }

  Ref<ostrel::Shortcuts> GetShortcuts() override { return com::Make<ShortcutsObject>(cards_, card_, row_); }

  int32_t GetChildCount() override { return row_->GetChildRows()->Count(); }

  Ref<ostrel::Folder> GetChildFolder(int32_t index) override {
    Ref<ostrel::RowCollection> children = row_->GetChildRows();
    if (index < 0 || index >= children->Count()) {
      throw com::Error(com::hr::kSubscriptOutOfRange, std::string(ostrel::err::kSource),
                       "Folder " + row_->GetID() + " holds " + std::to_string(children->Count()) +
                           " folders; there is none at " + std::to_string(index));
    }
    return com::Make<FolderObject>(cards_, card_, children->Item(Variant(index)));
  }

 private:
  Ref<ostrel::CardManager> cards_;
  Ref<ostrel::CardData> card_;
  Ref<ostrel::Row> row_;
};

class FolderTreeObject final : public com::Object<ostrel::FolderTree> {
 public:
  FolderTreeObject(Ref<ostrel::CardManager> cards, Ref<ostrel::CardData> card)
      : cards_(std::move(cards)), card_(std::move(card)) {}

  Ref<ostrel::Folder> GetFolder(const std::string& folder_id) override {
    std::optional<com::Guid> id = com::Guid::Parse(folder_id);
    if (!id) Fail(ostrel::err::kUnknownCard, "\"" + folder_id + "\" is no folder ID");
    Ref<ostrel::Row> row = Find(id->ToString());
    if (!row) {
      // A folder another session made since this session opened the card.
      card_->Refresh(true);
      row = Find(id->ToString());
    }
    if (!row) Fail(ostrel::err::kUnknownCard, "The folder tree has no folder " + id->ToString());
    return com::Make<FolderObject>(cards_, card_, row);
  }

  Ref<ostrel::Folder> GetRootFolder() override {
    Ref<ostrel::RowCollection> top = TopFolders(*card_);
    if (top->Count() == 0) Fail(ostrel::err::kUnknownCard, "The folder tree has no top folder");
    return com::Make<FolderObject>(cards_, card_, top->Item(Variant(0)));
  }

 private:
  Ref<ostrel::Row> Find(const std::string& id) {
    Ref<ostrel::Row> found;
    Walk(TopFolders(*card_), nullptr, [&](const Ref<ostrel::Row>& row, const Ref<ostrel::Row>&) {
      if (row->GetID() != id) return false;
      found = row;
      return true;
    });
    return found;
  }

  Ref<ostrel::CardManager> cards_;
  Ref<ostrel::CardData> card_;
};

}  // namespace

Ref<ostrel::FolderTree> NewFolderTree(Ref<ostrel::CardManager> cards, Ref<ostrel::CardData> card) {
  return com::Make<FolderTreeObject>(std::move(cards), std::move(card));
}

}  // namespace embedded::folders
