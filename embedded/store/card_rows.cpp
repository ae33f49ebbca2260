#include "embedded/store/card_rows.h"

#include <algorithm>
#include <cmath>

#include "embedded/store/card_row.h"
#include "platform/com/enumerator.h"
#include "platform/ostrel/errors.h"

namespace embedded {
namespace {

[[noreturn]] void RowDeleted(const RowNode& node) {
  throw com::Error(ostrel::err::kRowDeleted, std::string(ostrel::err::kSource),
                   "Row " + IdText(node.id).str() + " has been deleted");
}

// Sort rank of a value: Null, then Empty, then numbers, then texts. A total
// order, so that the sort is well defined for every field.
int Rank(const com::Variant& v) {
  using T = com::Variant::Type;
  switch (v.type()) {
    case T::Null: return 0;
    case T::Empty: return 1;
    case T::Text: return 3;
    case T::I2:
    case T::I4:
    case T::R4:
    case T::R8:
    case T::Date:
    case T::Bool: return 2;
    default: return 4;
  }
}

// -1, 0, 1.
int Order(const com::Variant& a, const com::Variant& b) {
  int ra = Rank(a), rb = Rank(b);
  if (ra != rb) return ra < rb ? -1 : 1;
  if (ra == 2) {
    double x = a.ToR8(), y = b.ToR8();
    if (std::isnan(x) || std::isnan(y)) return std::isnan(x) == std::isnan(y) ? 0 : (std::isnan(x) ? -1 : 1);
    return x < y ? -1 : (y < x ? 1 : 0);
  }
  if (ra == 3) {
    int c = a.TryText()->compare(*b.TryText());
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
  }
  return 0;
}

}  // namespace

com::Ref<CardRows> CardRows::Container(com::Ref<OpenCard> card, std::shared_ptr<RowNode> owner, const SectionDef& s) {
  com::Ref<CardRows> rows = com::Ref<CardRows>::Adopt(new CardRows(std::move(card), s, Shape::kContainer));
  rows->owner_ = std::move(owner);
  return rows;
}

com::Ref<CardRows> CardRows::Collected(com::Ref<OpenCard> card, const SectionDef& s, bool root_rows_only) {
  com::Ref<CardRows> rows = com::Ref<CardRows>::Adopt(new CardRows(std::move(card), s, Shape::kCollected));
  rows->root_rows_only_ = root_rows_only;
  return rows;
}

com::Ref<CardRows> CardRows::Fixed(com::Ref<OpenCard> card, const SectionDef& s, RowList list,
                                   std::optional<std::shared_ptr<RowNode>> source_owner) {
  com::Ref<CardRows> rows = com::Ref<CardRows>::Adopt(new CardRows(std::move(card), s, Shape::kFixed));
  rows->rows_ = std::move(list);
  rows->source_ = std::move(source_owner);
  rows->version_ = rows->card_->copy().version();
  return rows;
}

const RowList& CardRows::Rows() {
  WorkingCopy& copy = card_->copy();
  switch (shape_) {
    case Shape::kContainer:
      if (owner_ && owner_->deleted) RowDeleted(*owner_);
      return copy.Container(owner_.get(), section_);
    case Shape::kCollected:
      if (version_ != copy.version()) {
        rows_ = copy.Collect(section_, root_rows_only_);
        version_ = copy.version();
      }
      return rows_;
    case Shape::kFixed:
      if (version_ != copy.version()) {
        std::erase_if(rows_, [](const auto& node) { return node->deleted; });
        version_ = copy.version();
      }
      return rows_;
  }
  return rows_;
}

std::shared_ptr<RowNode> CardRows::Resolve(const com::Variant& index) {
  const RowList& rows = Rows();
  if (const std::string* text = index.TryText()) {
    auto id = com::Guid::Parse(*text);
    std::shared_ptr<RowNode> node = id ? card_->copy().Find(*id) : nullptr;
    bool member = false;
    if (node && node->section == &section_) {
      switch (shape_) {
        case Shape::kContainer: member = node->parent == owner_.get(); break;
        case Shape::kCollected: member = !root_rows_only_ || !node->parent || node->parent->section != &section_; break;
        case Shape::kFixed: member = std::find(rows.begin(), rows.end(), node) != rows.end(); break;
      }
    }
    if (!member) {
      throw com::Error(com::hr::kInvalidProcedureCall, std::string(ostrel::err::kSource),
                       "Section \"" + section_.name + "\" has no row \"" + *text + "\" here");
    }
    return node;
  }
  int32_t position = index.ToI4();
  if (position < 0 || static_cast<size_t>(position) >= rows.size()) {
    throw com::Error(com::hr::kSubscriptOutOfRange, std::string(ostrel::err::kSource),
                     "Row position " + std::to_string(position) + " is outside 0.." +
                         std::to_string(static_cast<int64_t>(rows.size()) - 1));
  }
  return rows[static_cast<size_t>(position)];
}

int32_t CardRows::Count() {
  card_->Enter();
  return static_cast<int32_t>(Rows().size());
}

com::Ref<ostrel::Row> CardRows::Item(const com::Variant& index) {
  card_->Enter();
  return com::Make<CardRow>(card_, Resolve(index));
}

std::optional<RowNode*> CardRows::AddTarget() {
  switch (shape_) {
    case Shape::kContainer: return owner_.get();
    case Shape::kCollected: return std::nullopt;
    case Shape::kFixed:
      if (source_) return source_->get();
      return std::nullopt;
  }
  return std::nullopt;
}

com::Ref<ostrel::Row> CardRows::AddNew(int32_t flags) {
  card_->Enter();
  std::optional<RowNode*> owner = AddTarget();
  if (!owner) {
    card_->session().Raise(ostrel::err::kRefused, "Rows of section \"" + section_.name +
                                                      "\" gathered from several parents cannot take a new row.");
  }
  if (*owner && (*owner)->deleted) RowDeleted(**owner);
  if (*owner && (*owner)->section == &section_ && !section_.IsTree()) {
    card_->session().Raise(ostrel::err::kRefused,
                           "Rows of section \"" + section_.name + "\" have no child rows: it is not a tree.");
  }
  if (section_.IsSingleRow() && !card_->copy().Container(*owner, section_).empty()) {
    throw com::Error(ostrel::err::kSingleRowTaken, std::string(ostrel::err::kSource),
                     "Single-row section \"" + section_.name + "\" has its row already");
  }
  auto node = card_->copy().AddRow(*owner, section_, !(flags & ostrel::add_flag::kNoDefaults));
  if (shape_ == Shape::kFixed) {
    Rows();
    rows_.push_back(node);
    version_ = card_->copy().version();
  }
  card_->Changed();
  return com::Make<CardRow>(card_, std::move(node));
}

void CardRows::Remove(const com::Variant& index) {
  card_->Enter();
  std::shared_ptr<RowNode> node = Resolve(index);
  card_->copy().RemoveRow(*node);
  card_->Changed();
}

void CardRows::Clear() {
  card_->Enter();
  if (shape_ == Shape::kContainer) {
    if (owner_ && owner_->deleted) RowDeleted(*owner_);
    if (card_->copy().Container(owner_.get(), section_).empty()) return;
    card_->copy().ClearRows(owner_.get(), section_);
  } else {
    RowList rows = Rows();
    if (rows.empty()) return;
    for (auto& node : rows) {
      if (!node->deleted) card_->copy().RemoveRow(*node);
    }
  }
  card_->Changed();
}

com::Ref<ostrel::RowCollection> CardRows::GetSortedRows(const std::string& field_name, bool ascending) {
  card_->Enter();
  size_t field = card_->FieldIndex(section_, field_name);
  RowList rows = Rows();
  std::stable_sort(rows.begin(), rows.end(), [&](const auto& a, const auto& b) {
    int o = Order(a->fields[field], b->fields[field]);
    return ascending ? o < 0 : o > 0;
  });
  std::optional<std::shared_ptr<RowNode>> source;
  if (shape_ == Shape::kContainer) source = owner_;
  if (shape_ == Shape::kFixed) source = source_;
  return Fixed(card_, section_, std::move(rows), source);
}

com::Ref<com::Unknown> CardRows::NewEnum() {
  card_->Enter();
  std::vector<com::Variant> items;
  for (const auto& node : Rows()) items.emplace_back(com::Ref<ostrel::Row>(com::Make<CardRow>(card_, node)));
  return com::Ref<com::Unknown>(com::MakeEnumerator(std::move(items)));
}

}  // namespace embedded
