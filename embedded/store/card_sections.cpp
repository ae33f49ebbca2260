// The section objects of an open card: card-level sections and the
// sub-sections of rows.
#include "embedded/store/card_sections.h"

#include "embedded/store/card_reader.h"
#include "embedded/store/card_row.h"
#include "embedded/store/card_rows.h"
#include "embedded/store/card_section.h"
#include "embedded/store/row_sub_section.h"
#include "embedded/store/row_sub_sections.h"
#include "embedded/store/schema_objects.h"
#include "platform/ostrel/errors.h"

namespace embedded {
namespace {

[[noreturn]] void NoSection(const CardTypeDef& type, std::string_view id, std::string_view where) {
  throw com::Error(ostrel::err::kUnknownSchemaItem, std::string(ostrel::err::kSource),
                   "Card type " + type.name + " has no " + std::string(where) + " \"" + std::string(id) + "\"");
}

// The first row of a container; a single-row container gets its row now.
com::Ref<ostrel::Row> FirstRow(OpenCard& card, RowNode* owner, const SectionDef& s) {
  RowList& rows = card.copy().Container(owner, s);
  if (!rows.empty()) return com::Make<CardRow>(com::Ref<OpenCard>(&card), rows.front());
  if (!s.IsSingleRow()) {
    throw com::Error(com::hr::kSubscriptOutOfRange, std::string(ostrel::err::kSource),
                     "Section \"" + s.name + "\" has no rows");
  }
  auto node = card.copy().AddRow(owner, s, true);
  card.Changed();
  return com::Make<CardRow>(com::Ref<OpenCard>(&card), node);
}

}  // namespace

// ---- CardSections ----------------------------------------------------------------

int32_t CardSections::Count() {
  card_->Enter();
  return static_cast<int32_t>(card_->type().top.size());
}

com::Ref<ostrel::Section> CardSections::Item(const std::string& section_id) {
  card_->Enter();
  auto id = com::Guid::Parse(section_id);
  const SectionDef* s = id ? card_->type().Section(*id) : nullptr;
  if (!s) NoSection(card_->type(), section_id, "section");
  return com::Make<CardSection>(card_, *s);
}

// ---- CardSection -----------------------------------------------------------------

com::Ref<ostrel::RowCollection> CardSection::GetRows() {
  card_->Enter();
  bool root_only = card_->SectionMode(section_) & ostrel::row_selection::kRootRowsOnly;
  if (!section_.parent && (root_only || !section_.IsTree())) return CardRows::Container(card_, nullptr, section_);
  return CardRows::Collected(card_, section_, root_only);
}

void CardSection::SetSectionMode(int32_t mode) {
  card_->Enter();
  card_->SetSectionMode(section_, mode);
}

int32_t CardSection::GetSectionMode() {
  card_->Enter();
  return card_->SectionMode(section_);
}

com::Ref<ostrel::RowCollection> CardSection::SelectRows(int32_t flags, int32_t limit) {
  card_->Enter();
  bool root_only = flags & ostrel::row_selection::kRootRowsOnly;
  RowList rows = card_->copy().Collect(section_, root_only);
  if (limit > 0 && rows.size() > static_cast<size_t>(limit)) rows.resize(static_cast<size_t>(limit));
  // Only the top-level rows of a card-level section have one container.
  std::optional<std::shared_ptr<RowNode>> source;
  if (!section_.parent && (root_only || !section_.IsTree())) source = std::shared_ptr<RowNode>();
  return CardRows::Fixed(card_, section_, std::move(rows), source);
}

com::Ref<ostrel::Row> CardSection::GetFirstRow() {
  card_->Enter();
  if (!section_.parent) return FirstRow(*card_, nullptr, section_);
  RowList rows = card_->copy().Collect(section_, true);
  if (rows.empty()) {
    throw com::Error(com::hr::kSubscriptOutOfRange, std::string(ostrel::err::kSource),
                     "Section \"" + section_.name + "\" has no rows under any row");
  }
  return com::Make<CardRow>(card_, rows.front());
}

com::Ref<ostrel::SectionType> CardSection::GetSchema() {
  card_->Enter();
  return com::Make<SchemaSectionType>(card_->session().store().schema_ptr(), section_);
}

void CardSection::Refresh(bool deep) { card_->Refresh(deep); }

com::Ref<ostrel::SectionReader> CardSection::OpenReader(int32_t flags, int32_t skip, int32_t limit) {
  card_->Enter();
  bool root_only = flags & ostrel::row_selection::kRootRowsOnly;
  com::Ref<CardRows> rows = !section_.parent && (root_only || !section_.IsTree())
                                ? CardRows::Container(card_, nullptr, section_)
                                : CardRows::Collected(card_, section_, root_only);
  return com::Make<CardReader>(card_, std::move(rows), skip, limit);
}

// ---- RowSubSections ---------------------------------------------------------------

int32_t RowSubSections::Count() {
  card_->Enter();
  return static_cast<int32_t>(row_->section->subsections.size());
}

com::Ref<ostrel::SubSection> RowSubSections::Item(const std::string& section_id) {
  card_->Enter();
  if (row_->deleted) {
    throw com::Error(ostrel::err::kRowDeleted, std::string(ostrel::err::kSource),
                     "Row " + IdText(row_->id).str() + " has been deleted");
  }
  auto id = com::Guid::Parse(section_id);
  for (const SectionDef* sub : row_->section->subsections) {
    if (id && sub->id == *id) return com::Make<RowSubSection>(card_, row_, *sub);
  }
  NoSection(card_->type(), section_id, "sub-section of section \"" + row_->section->name + "\" of ID");
}

// ---- RowSubSection ------------------------------------------------------------------

com::Ref<ostrel::RowCollection> RowSubSection::GetRows() {
  card_->Enter();
  return CardRows::Container(card_, row_, section_);
}

com::Ref<ostrel::Row> RowSubSection::GetFirstRow() {
  card_->Enter();
  if (row_->deleted) {
    throw com::Error(ostrel::err::kRowDeleted, std::string(ostrel::err::kSource),
                     "Row " + IdText(row_->id).str() + " has been deleted");
  }
  return FirstRow(*card_, row_.get(), section_);
}

com::Ref<ostrel::SectionType> RowSubSection::GetSchema() {
  card_->Enter();
  return com::Make<SchemaSectionType>(card_->session().store().schema_ptr(), section_);
}

void RowSubSection::Refresh(bool deep) { card_->Refresh(deep); }

}  // namespace embedded
