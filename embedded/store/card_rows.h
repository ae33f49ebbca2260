#pragma once

#include <memory>
#include <optional>

#include "embedded/store/open_card.h"
#include "platform/ostrel/row_collection.h"

namespace embedded {

// Rows of an open card, in one of three shapes:
// - a container: the rows of one section under one parent (the card, a row),
//   live;
// - collected: every row of a section across the card (a sub-section type
//   under every parent, a tree at every depth), rebuilt when the card's
//   rows change;
// - fixed: the rows chosen when it was made (sorted, selected), less the
//   ones removed since; new rows go to the container it was made from.
class CardRows final : public com::Object<ostrel::RowCollection> {
 public:
  static com::Ref<CardRows> Container(com::Ref<OpenCard> card, std::shared_ptr<RowNode> owner, const SectionDef& s);
  static com::Ref<CardRows> Collected(com::Ref<OpenCard> card, const SectionDef& s, bool root_rows_only);
  // `source` is the container new rows go to (none: AddNew is refused).
  static com::Ref<CardRows> Fixed(com::Ref<OpenCard> card, const SectionDef& s, RowList rows,
                                  std::optional<std::shared_ptr<RowNode>> source_owner);

  int32_t Count() override;
  com::Ref<ostrel::Row> Item(const com::Variant& index) override;
  com::Ref<ostrel::Row> AddNew(int32_t flags) override;
  void Remove(const com::Variant& index) override;
  void Clear() override;
  com::Ref<ostrel::RowCollection> GetSortedRows(const std::string& field_name, bool ascending) override;
  com::Ref<com::Unknown> NewEnum() override;

  // The rows as they stand (the card entered already).
  const RowList& Rows();
  // The row at `index` (position or ID), with the collection's errors.
  std::shared_ptr<RowNode> Resolve(const com::Variant& index);

 private:
  enum class Shape { kContainer, kCollected, kFixed };
  CardRows(com::Ref<OpenCard> card, const SectionDef& s, Shape shape) : card_(std::move(card)), section_(s), shape_(shape) {}

  // The owner of the container new rows go to; nullopt when there is none.
  std::optional<RowNode*> AddTarget();

  com::Ref<OpenCard> card_;
  const SectionDef& section_;
  Shape shape_;
  std::shared_ptr<RowNode> owner_;  // kContainer (null: the card)
  bool root_rows_only_ = true;      // kCollected
  std::optional<std::shared_ptr<RowNode>> source_;  // kFixed
  RowList rows_;                    // kCollected cache, kFixed rows
  uint64_t version_ = ~uint64_t{0};
};

}  // namespace embedded
