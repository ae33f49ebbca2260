#pragma once

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "embedded/store/session_state.h"
#include "embedded/store/working_copy.h"
#include "platform/ostrel/card_data.h"
#include "platform/ostrel/card_lock.h"
#include "platform/ostrel/card_update.h"
#include "platform/ostrel/field_type_codes.h"

namespace embedded {

// A card opened by one session: its rows (WorkingCopy), its update bracket
// and its lock, offering CardData, CardLock and CardUpdate on one object.
// A session opens a card once (SessionState::FindOpen); every GetCardData
// of it hands out this object again.
class OpenCard final : public com::Object<ostrel::CardData, ostrel::CardLock, ostrel::CardUpdate> {
 public:
  // Opens the card from its written state (taking its rows) and registers
  // it with the session.
  static com::Ref<OpenCard> Open(std::shared_ptr<SessionState> session, const CardTypeDef& type, CardImage image);
  ~OpenCard() override;

  // CardData.
  std::string GetID() override;
  com::Ref<ostrel::CardType> GetCardType() override;
  std::string GetDescription() override;
  void SetDescription(const std::string& value) override;
  bool GetIsTemplate() override;
  void SetIsTemplate(bool value) override;
  com::Date GetDateCreated() override;
  com::Date GetDateModified() override;
  std::string GetCardName() override;
  bool GetNameFixed() override;
  void SetCardName(const std::string& name) override;
  std::string GetOwnerProcess() override;
  void SetOwnerProcess(const std::string& process_id) override;
  com::Ref<ostrel::CardData> CopyCard() override;
  com::Ref<ostrel::SectionCollection> GetSections() override;
  std::string GetXML(bool follow_links) override;
  void Refresh(bool deep) override;

  // CardLock.
  int32_t GetLockStatus() override;
  std::string GetLockOwner() override;
  void Lock(bool global) override;
  void Unlock() override;

  // CardUpdate.
  void BeginUpdate() override;
  void EndUpdate() override;
  void CancelUpdate() override;
  void UpdateNow() override;
  bool GetInUpdate() override { return depth_ > 0; }
  void MarkCardForDeletion(const std::string& card_id) override;

  // For the objects over the card's sections and rows.

  // Entry of every call on the card's data: the session is in use, and a
  // deleted card fails with ostrel::err::kCardDeleted. Inline, as every
  // field read and set passes here.
  void Enter() {
    session_->Use();
    if (deleted()) Deleted();
  }
  bool deleted() const { return shared_->deleted.load(std::memory_order_relaxed); }
  const com::Guid& id() const { return id_; }
  const std::string& id_text() const { return id_text_; }
  const CardTypeDef& type() const { return type_; }
  WorkingCopy& copy() { return copy_; }
  SessionState& session() { return *session_; }
  const std::shared_ptr<SessionState>& session_ptr() { return session_; }

  // After every change: outside a bracket it is written at once (and undone
  // when the write fails).
  void Changed() {
    if (depth_ == 0) Flush(true);
  }

  // The section mode (ostrel::row_selection bits) GetRows follows.
  int32_t SectionMode(const SectionDef& s) const;
  void SetSectionMode(const SectionDef& s, int32_t mode) { modes_[&s] = mode; }

  // Field access with the platform's errors.
  size_t FieldIndex(const SectionDef& s, std::string_view name) const;
  // Sets field `index` of the row's section (FieldIndex), converted to the
  // field's type; text is checked to be text an export can write. Inline: a
  // value other than text that the field takes as it is goes straight to
  // the working copy.
  void SetField(RowNode& node, size_t index, com::Variant&& value) {
    const FieldDef& f = node.section->fields[index];
    if ((f.flags & ostrel::field_flag::kRowTimestamp) || value.IsText() || !ostrel::HoldsFieldType(value, f.type_code)) {
      return SetConverted(node, index, std::move(value));
    }
    if (copy_.SetField(node, index, std::move(value))) Changed();
  }

 private:
  OpenCard(std::shared_ptr<SessionState> session, const CardTypeDef& type, CardImage image);

  // Writes what changed. With `undo_on_failure` a failed write also drops
  // the changes, so that the card shows its written state again.
  void Flush(bool undo_on_failure);
  // Re-reads the written state, keeping this session's edits when asked.
  void Reload(bool keep_edits);
  // Whether the card shows the written state as it stands: no edits, and
  // nobody wrote the card since it was read. One look at the store.
  bool Current();
  [[noreturn]] void Deleted() const;
  // SetField of a value to convert first, or of a field the platform keeps
  // (refused).
  void SetConverted(RowNode& node, size_t index, com::Variant&& value);

  std::shared_ptr<SessionState> session_;
  std::shared_ptr<const Schema> schema_;  // keeps `type_` alive
  const CardTypeDef& type_;
  com::Guid id_;
  std::string id_text_;
  std::shared_ptr<Store::CardShared> shared_;
  WorkingCopy copy_;
  int depth_ = 0;
  // Lock succeeded and Unlock was not called since: writes then require
  // the lock to be still this session's (CardChange::holds_lock).
  bool holds_lock_ = false;
  std::vector<com::Guid> marks_;
  std::unordered_map<const SectionDef*, int32_t> modes_;
};

}  // namespace embedded
