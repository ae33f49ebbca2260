#pragma once

#include <string>
#include <variant>

#include "platform/ostrel/card_data.h"
#include "platform/ostrel/row_collection.h"
#include "platform/ostrel/section.h"
#include "platform/ostrel/sub_section.h"

namespace vorlane {

// The platform object whose rows a collection lists: a section of a card,
// a sub-section of one row, or a section of a dictionary card reached
// through its card data. Empty until the owner attaches one; using an empty
// container fails with 0x800A005B.
class RowContainer {
 public:
  RowContainer() = default;
  static RowContainer Of(com::Ref<ostrel::Section> section) { return RowContainer(std::move(section)); }
  static RowContainer Of(com::Ref<ostrel::SubSection> sub) { return RowContainer(std::move(sub)); }
  static RowContainer OfCard(com::Ref<ostrel::CardData> card, std::string section_id) {
    return RowContainer(CardSection{std::move(card), std::move(section_id)});
  }

  bool empty() const { return std::holds_alternative<std::monostate>(target_); }
  com::Ref<ostrel::RowCollection> Rows() const;
  // Re-reads the container (Refresh with False).
  void Refresh() const;

 private:
  struct CardSection {
    com::Ref<ostrel::CardData> card;
    std::string section_id;
  };
  template <class T>
  explicit RowContainer(T target) : target_(std::move(target)) {}

  std::variant<std::monostate, com::Ref<ostrel::Section>, com::Ref<ostrel::SubSection>, CardSection> target_;
};

}  // namespace vorlane
