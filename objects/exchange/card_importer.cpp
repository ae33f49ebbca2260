// The card importer: the platform's XML form of a card into card data.
#include "objects/exchange/card_importer.h"

#include <array>
#include <cmath>
#include <limits>
#include <memory_resource>
#include <string_view>
#include <unordered_set>
#include <utility>
#include <vector>

#include "common/field_coercion.h"
#include "common/ids.h"
#include "objects/core/card_layout.h"
#include "objects/exchange/process_document.h"
#include "platform/com/text.h"
#include "platform/ostrel/card_manager.h"
#include "platform/ostrel/errors.h"
#include "platform/ostrel/field_type_codes.h"
#include "platform/ostrel/section.h"
#include "platform/ostrel/section_collection.h"
#include "platform/ostrel/sub_section.h"
#include "platform/ostrel/sub_section_collection.h"
#include "platform/ostrel/card_types.h"

namespace vorlane {
namespace {

using Field = ImportSchema::Field;
using Section = ImportSchema::Section;

// A text field of the variant kind keeps at most this many characters.
constexpr size_t kVariantTextLimit = 4096;

// Single-card types: the platform keeps one card of each (per account for
// the user's settings), reached with GetDictionaryData. An import never
// makes one: a file must not bring its own dictionary or settings.
constexpr std::array<std::string_view, 4> kSingleCardTypes = {
    ostrel::card_type::kFunctionTypes, ostrel::card_type::kGateTypes, ostrel::card_type::kUserSettings,
    ostrel::card_type::kFolderTree,
};

bool IsSingleCardType(std::string_view type_id) {
  for (std::string_view single : kSingleCardTypes) {
    if (SameID(single, type_id)) return true;
  }
  return false;
}

// Where in the document a value came from, for error descriptions:
// element "FunctionsRow", attribute "XPos" ("abc").
std::string Where(pugi::xml_node element, std::string_view attribute, std::string_view value) {
  constexpr size_t kShown = 64;
  std::string shown = text::Left(value, kShown);
  if (shown.size() < value.size()) shown += "...";
  return "Element \"" + std::string(element.name()) + "\", attribute \"" + std::string(attribute) + "\" (\"" + shown +
         "\")";
}

// The same failure, its description saying where the value came from.
[[noreturn]] void Rethrow(const com::Error& e, pugi::xml_node element, std::string_view attribute,
                          std::string_view value) {
  throw com::Error(e.code(), e.source().empty() ? std::string("Vorlane") : e.source(),
                   Where(element, attribute, value) + ": " + e.description());
}

// Equality without regard to case of a text and a name in ASCII letters:
// what text::EqualNoCase says of the two, since no other letter folds to
// an ASCII one.
bool IsName(std::string_view text, std::string_view ascii_name) {
  if (text.size() != ascii_name.size()) return false;
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    char n = ascii_name[i];
    if (n >= 'a' && n <= 'z') n = static_cast<char>(n - 'a' + 'A');
    if (c != n) return false;
  }
  return true;
}

// The data types a "_Type_" companion may name: those of the platform's XML
// form (ostrel::XmlTypeOf) and their usual aliases.
bool IsKnownXmlType(std::string_view type) {
  static constexpr std::string_view kTypes[] = {"string", "int", "i4", "i2", "float", "r8", "number",
                                                "r4", "boolean", "bool", "dateTime", "date"};
  for (std::string_view known : kTypes) {
    if (IsName(type, known)) return true;
  }
  return false;
}

bool IsStringType(std::string_view type) { return type.empty() || IsName(type, "string"); }

// The first child of `node` when it is an element; a null node otherwise.
pugi::xml_node FirstElement(pugi::xml_node node) {
  pugi::xml_node first = node.first_child();
  return first.type() == pugi::node_element ? first : pugi::xml_node();
}

// The "ID" attribute of a row element, its name matched without regard to
// case as field names are; a null attribute when there is none.
pugi::xml_attribute IdAttribute(pugi::xml_node element) {
  if (pugi::xml_attribute exact = element.attribute("ID")) return exact;
  for (pugi::xml_attribute attribute = element.first_attribute(); attribute; attribute = attribute.next_attribute()) {
    if (IsName(attribute.name(), "ID")) return attribute;
  }
  return pugi::xml_attribute();
}

using IdSet = std::pmr::unordered_set<com::Guid, com::GuidHash>;

// Adds the IDs the rows of a section hold already, for a section that is
// added to rather than replaced.
void AddIdsOfRows(ostrel::RowCollection& rows, IdSet& ids) {
  const int32_t count = rows.Count();
  for (int32_t i = 0; i < count; ++i) {
    const com::Variant id = rows.Item(com::Variant(i))->GetField("ID");
    if (id.IsNull() || id.IsEmpty()) continue;
    if (std::optional<com::Guid> guid = com::Guid::Parse(id.ToText())) ids.insert(*guid);
  }
}

// Refuses the `position`th row element of a section that the object model
// keys by its "ID" field when the ID is missing, not a GUID, or one that
// `taken` holds: the process's lists of functions, gates, links, variables
// and document types could not be read again, and with them every list of
// the store's processes.
void CheckRowKey(pugi::xml_node element, const Section& section, int position, IdSet& taken) {
  auto row = [&] { return "row " + std::to_string(position) + " of \"" + section.name + "\""; };
  const pugi::xml_attribute attribute = IdAttribute(element);
  if (!attribute) {
    throw com::Error(com::hr::kInvalidUseOfNull, "Vorlane",
                     "Element \"" + std::string(element.name()) + "\" (" + row() +
                         ") has no attribute \"ID\": each row of the section is known by its ID");
  }
  const std::string_view value = attribute.value();
  const std::optional<com::Guid> id = com::Guid::Parse(value);
  if (!id) {
    throw com::Error(com::hr::kTypeMismatch, "Vorlane",
                     Where(element, attribute.name(), value) + " of " + row() + ": an ID must be a GUID");
  }
  if (!taken.insert(*id).second) {
    throw com::Error(com::hr::kDuplicateKey, "Vorlane",
                     Where(element, attribute.name(), value) + " of " + row() +
                         ": another row of the section has this ID");
  }
}

class DepthGuard {
 public:
  explicit DepthGuard(int& depth) : depth_(depth) {
    // Cards embedded through elements or through attributes that hold
    // whole documents count alike.
    if (++depth_ > exchange::kMaxEmbeddedCards) {
      --depth_;
      exchange::ThrowEmbeddedTooDeep();
    }
  }
  ~DepthGuard() { --depth_; }
  DepthGuard(const DepthGuard&) = delete;
  DepthGuard& operator=(const DepthGuard&) = delete;

 private:
  int& depth_;
};

}  // namespace

CardImporter::CardImporter() : schema_(std::make_unique<ImportSchema>()) {}

void CardImporter::SetRowHook(const std::string& section_id, std::function<void()> hook) {
  hook_section_ = NormalizeID(section_id);
  hook_ = std::move(hook);
}

void CardImporter::ImportCard(com::Ref<ostrel::Session> session, ostrel::CardData& target, pugi::xml_node card,
                              IdMap& id_map, com::Collection& created,
                              const com::KeyedList* skipped_types) {
  session_ = std::move(session);
  Run run{id_map, created, skipped_types};
  ImportCardOf(target, card, run);
}

std::string CardImporter::ImportIntoNewCard(com::Ref<ostrel::Session> session, pugi::xml_node card,
                                            IdMap& id_map, com::Collection& created,
                                            const com::KeyedList* skipped_types) {
  session_ = std::move(session);
  Run run{id_map, created, skipped_types};
  return NewCardOf(card, run);
}

void CardImporter::ImportSection(com::Ref<ostrel::Session> session, ostrel::RowCollection& rows,
                                 ostrel::SectionType& type, pugi::xml_node section, IdMap& id_map,
                                 com::Collection& created, const com::KeyedList* skipped_types) {
  session_ = std::move(session);
  Run run{id_map, created, skipped_types};
  ImportRows(rows, schema_->SectionOf(type), section, false, run);
}

void CardImporter::ImportCardOf(ostrel::CardData& target, pugi::xml_node card, Run& run) {
  WithinBracket(*com::Query<ostrel::CardUpdate>(&target), [&] {
    const std::string_view card_id = exchange::Attr(card, "CardID");
    if (!text::Trim(card_id).empty()) {
      try {
        run.ids.Add(card_id, target.GetID());
      } catch (const com::Error&) {
        // Ignored: a card made for embedded data is entered under its ID
        // when it is made, and an ID already taken keeps its first card.
      }
    }
    if (pugi::xml_attribute flag = card.attribute("Template")) {
      const std::string_view value = flag.value();
      try {
        target.SetIsTemplate(value == "1" || value == "-1");
      } catch (const com::Error&) {
        // Ignored: a card that refuses the flag keeps its own.
      }
    }

    const ImportSchema::Card& plan = schema_->CardOf(*target.GetCardType());
    com::Ref<ostrel::SectionCollection> sections = target.GetSections();
    for (const Section* section : plan.sections) {
      // The log is the card's own history: an import never replaces it.
      if (SameID(section->id, layout::kLogMessages)) continue;
      com::Ref<ostrel::RowCollection> rows = sections->Item(section->id)->GetRows();
      ImportRows(*rows, *section, card.child(section->name.c_str()), true, run);
    }
    RewriteRowReferences(target, plan, run);
  });
}

std::string CardImporter::NewCardOf(pugi::xml_node card, Run& run) {
  DepthGuard depth(card_depth_);
  const std::string type = text::Upper(NormalizeID(exchange::Attr(card, "CardTypeID")));
  if (IsSingleCardType(type)) {
    throw com::Error(ostrel::err::kRefused, "Vorlane",
                     Where(card, "CardTypeID", type) +
                         ": a card of a single-card type (a dictionary, the user's settings, the folder tree) is "
                         "never made by an import.");
  }
  if (!session_) throw com::Error(com::hr::kObjectNotSet);
  com::Ref<ostrel::CardData> made = session_->GetCardManager()->CreateCardData(type, 0);
  const std::string id = made->GetID();
  if (main_updatable_) main_updatable_->MarkCardForDeletion(id);
  run.created.Add(com::Variant(id), id);
  const std::string_view card_id = exchange::Attr(card, "CardID");
  if (!text::Trim(card_id).empty()) {
    try {
      run.ids.Add(card_id, id);
    } catch (const com::Error& e) {
      Rethrow(e, card, "CardID", card_id);
    }
  }
  ImportCardOf(*made, card, run);
  if (SameID(type, layout::kProcessCardType)) {
    made->SetDescription(FieldToString(made->GetSections()->Item(layout::kMainInfo)->GetFirstRow()->GetField("Name")));
  }
  return id;
}

void CardImporter::ImportRows(ostrel::RowCollection& rows, const Section& section, pugi::xml_node element, bool clear,
                              Run& run) {
  if (clear) rows.Clear();
  if (!element) return;
  const bool hooked = hook_ && section.id == hook_section_;
  if (section.kind != ostrel::section_kind::kSingleRow) {
    const char* row_name = section.row_name.c_str();
    // One key per row, none removed: kept in blocks that go with the set.
    std::pmr::monotonic_buffer_resource blocks;
    IdSet taken(&blocks);
    if (section.keyed_by_id && !clear) AddIdsOfRows(rows, taken);
    int position = 0;
    for (pugi::xml_node row_element = element.child(row_name); row_element;) {
      ++position;
      com::Ref<ostrel::Row> row = rows.AddNew(0);
      MapRow(*row, row_element, run);
      ImportRow(*row, section, row_element, run);
      // After the row's values: a value that does not convert is named first.
      if (section.keyed_by_id) CheckRowKey(row_element, section, position, taken);
      if (hooked) hook_();
      // The element is done with: the memory of its nodes goes to the rows
      // still to be made, instead of both being held until the end.
      const pugi::xml_node next = row_element.next_sibling(row_name);
      element.remove_child(row_element);
      row_element = next;
    }
    return;
  }
  com::Ref<ostrel::Row> row = rows.Count() > 0 ? rows.Item(com::Variant(int32_t{0})) : rows.AddNew(0);
  MapRow(*row, element, run);
  ImportRow(*row, section, element, run);
  if (hooked) hook_();
}

void CardImporter::MapRow(ostrel::Row& row, pugi::xml_node element, Run& run) {
  const std::string_view row_id = exchange::Attr(element, "RowID");
  // A row without an ID of its own is named by nothing else in the
  // document: there is nothing to map.
  if (text::Trim(row_id).empty()) return;
  try {
    run.ids.Add(row_id, row.GetID());
  } catch (const com::Error& e) {
    Rethrow(e, element, "RowID", row_id);
  }
}

void CardImporter::ImportRow(ostrel::Row& row, const Section& section, pugi::xml_node element, Run& run) {
  // The row's "RowID" names the row (MapRow): no field of the platform's
  // cards has that name, so it is passed over as any unknown name is.
  const com::Ref<ostrel::RowEx> fields = com::Query<ostrel::RowEx>(&row);
  // An element that names a field twice (an attribute repeated, or spelt in
  // two letter cases) is refused: which value the row should keep is
  // anyone's guess, and what was checked of the first would not hold for
  // the last.
  std::vector<bool> named(section.fields.size());
  for (pugi::xml_attribute attribute : element.attributes()) {
    std::string_view name = attribute.name();
    if (section.renames_employee) {
      // Older exports of task rows spell these two fields without the "y".
      if (name == "CompletedEmloyeeID") name = "CompletedEmployeeID";
      if (name == "CompletedEmloyeeIDPID") name = "CompletedEmployeeIDPID";
    }
    const Field* field = section.Find(name);
    if (!field) continue;
    if (named[field - section.fields.data()]) {
      throw com::Error(com::hr::kInvalidArg, "Vorlane",
                       Where(element, attribute.name(), attribute.value()) + ": the element names the field \"" +
                           field->name + "\" a second time");
    }
    named[field - section.fields.data()] = true;
    // Fields the platform keeps or stamps are never written by an import.
    if (field->flags & (ostrel::field_flag::kSystem | ostrel::field_flag::kRowTimestamp)) continue;
    WriteField(*fields, *field, element, attribute, run);
  }
  // Whichever way a position was converted, the object model must be able
  // to read it back.
  for (const Field* field : section.single_fields) {
    const com::Variant position = row.GetField(field->name);
    if (position.IsNumeric() && std::fabs(position.ToR8()) > std::numeric_limits<float>::max()) {
      throw com::Error(com::hr::kOverflow, "Vorlane",
                       Where(element, field->name, position.ToText()) +
                           ": a position must lie within the range of a Single (3.4E+38 either way)");
    }
  }

  if (section.kind == ostrel::section_kind::kTree) {
    const char* row_name = section.row_name.c_str();
    pugi::xml_node child_element = element.child(row_name);
    if (child_element) {
      com::Ref<ostrel::RowCollection> children = row.GetChildRows();
      for (; child_element; child_element = child_element.next_sibling(row_name)) {
        com::Ref<ostrel::Row> child = children->AddNew(0);
        MapRow(*child, child_element, run);
        ImportRow(*child, section, child_element, run);
      }
    }
  }

  for (const Section* sub : section.subsections) {
    pugi::xml_node sub_element = element.child(sub->name.c_str());
    // Without an element, or one without rows ("<Constraints />" of every
    // pass state), there is nothing to add, and a new row has no
    // sub-section rows to keep.
    if (!sub_element) continue;
    if (sub->kind != ostrel::section_kind::kSingleRow && !sub_element.child(sub->row_name.c_str())) continue;
    com::Ref<ostrel::RowCollection> rows = row.GetSubSections()->Item(sub->id)->GetRows();
    ImportRows(*rows, *sub, sub_element, false, run);
  }

  if (section.spare_value) WriteLongValue(row, section, element);
}

void CardImporter::WriteField(ostrel::RowEx& row, const Field& field,
                              pugi::xml_node element, pugi::xml_attribute attribute, Run& run) {
  const std::string_view value = attribute.value();
  namespace ft = ostrel::field_type;
  if (!field.xml_type.empty()) {
    try {
      if (std::optional<com::Variant> typed = ostrel::FromXmlText(value, field.xml_read)) {
        row.SetFieldAt(field.position, std::move(*typed));
        return;
      }
    } catch (const com::Error& e) {
      Rethrow(e, element, attribute.name(), value);
    }
  }
  switch (field.code) {
    case ft::kCardRef:
      WriteCardReference(row, field, element, std::string(value), run);
      return;
    case ft::kRowRef:
      try {
        row.SetFieldAt(field.position, com::Variant(std::string(value)));
      } catch (const com::Error&) {
        // Ignored: a row reference is rewritten or kept by the reference
        // pass; one that cannot be written stays empty.
      }
      return;
    case ft::kString:
    case ft::kText:
    case ft::kNameString:
    case ft::kLongText: {
      std::string text(value);
      if (field.ends_with_line_feed && (text.empty() || text.back() != '\n')) text += '\n';
      try {
        row.SetFieldAt(field.position, com::Variant(std::move(text)));
      } catch (const com::Error& e) {
        Rethrow(e, element, attribute.name(), value);
      }
      return;
    }
    case ft::kVariant: {
      pugi::xml_attribute type_attribute = element.attribute(field.type_attribute.c_str());
      const std::string_view type = type_attribute ? std::string_view(type_attribute.value()) : "string";
      if (!IsStringType(type) && !IsKnownXmlType(type)) {
        throw com::Error(com::hr::kTypeMismatch, "Vorlane",
                         Where(element, field.type_attribute, type) + ": not a data type of the card's XML form");
      }
      try {
        if (IsStringType(type)) {
          row.SetFieldOfType(field.name, com::Variant(text::Left(value, kVariantTextLimit)), ft::kString);
        } else if (std::optional<com::Variant> typed = ostrel::FromXmlText(value, type)) {
          row.SetFieldAt(field.position, std::move(*typed));
        } else {
          throw com::Error(com::hr::kTypeMismatch);
        }
      } catch (const com::Error& e) {
        Rethrow(e, element, attribute.name(), value);
      }
      return;
    }
    default:
      break;
  }
  // Every other field: the value in the XML data type of the field's code
  // (read above), independent of the session's locale; text the data type
  // does not read (a "True", a number in the user's own format) goes to the
  // platform, which converts it by the automation rules or refuses it with
  // the conversion's own error.
  try {
    row.SetFieldAt(field.position, com::Variant(std::string(value)));
  } catch (const com::Error& e) {
    Rethrow(e, element, attribute.name(), value);
  }
}

void CardImporter::WriteCardReference(ostrel::RowEx& row, const Field& field, pugi::xml_node element,
                                      const std::string& value, Run& run) {
  std::string linked;
  if (std::optional<std::string> mapped = run.ids.Find(value)) linked = std::move(*mapped);

  if (linked.empty()) {
    // Embedded card data: an element field + "CardData" holding the card's
    // document element, or an attribute of that name holding a document.
    const std::string data_name = field.name + "CardData";
    exchange::Document attribute_document;
    pugi::xml_node card;
    if (pugi::xml_node data = element.child(data_name.c_str())) {
      card = FirstElement(FirstElement(data));
    } else if (pugi::xml_attribute data_text = element.attribute(data_name.c_str())) {
      if (!attribute_document.ParseUntrusted(data_text.value())) exchange::ThrowNoProcess();
      card = FirstElement(attribute_document.root());
    }
    if (card) {
      if (run.skipped && run.skipped->Contains(NormalizeID(exchange::Attr(card, "CardTypeID")))) return;
      linked = NewCardOf(card, run);
    }
  }

  if (linked.empty() && session_ && (session_->GetCardManager()->GetCardStatus(value) & 1)) linked = value;
  if (linked.empty()) return;
  try {
    row.SetFieldAt(field.position, com::Variant(linked));
  } catch (const com::Error& e) {
    Rethrow(e, element, field.name, value);
  }
}

void CardImporter::WriteLongValue(ostrel::Row& row, const Section& section, pugi::xml_node element) {
  pugi::xml_attribute value_attribute = element.attribute("Value");
  if (!value_attribute) return;
  // Only text grows that long; numbers, dates and Booleans never do.
  if (pugi::xml_attribute type = element.attribute("_Type_Value"); type && !IsStringType(type.value())) return;
  const std::string_view value = value_attribute.value();
  if (value.size() <= layout::kSpareThreshold || text::Length(value) <= layout::kSpareThreshold) return;
  try {
    row.GetSubSections()->Item(section.spare_value)->GetFirstRow()->SetField("Value", com::Variant(std::string(value)));
    com::Query<ostrel::RowEx>(&row)->SetFieldOfType("Value", com::Variant(text::Left(value, layout::kSpareThreshold)),
                                                    ostrel::field_type::kString);
    row.SetField("UseSparedValue", com::Variant(true));
  } catch (const com::Error& e) {
    Rethrow(e, element, "Value", value);
  }
}

void CardImporter::RewriteRowReferences(ostrel::CardData& target, const ImportSchema::Card& card, Run& run) {
  if (card.row_references.empty()) return;
  com::Ref<ostrel::SectionCollection> sections = target.GetSections();
  for (const ImportSchema::RowReference& reference : card.row_references) {
    com::Ref<ostrel::RowCollection> rows =
        sections->Item(reference.section_id)->SelectRows(ostrel::row_selection::kEveryRow, 0);
    const int32_t count = rows->Count();
    for (int32_t i = 0; i < count; ++i) {
      try {
        com::Ref<ostrel::Row> row = rows->Item(com::Variant(i));
        com::Variant current = row->GetField(reference.field);
        if (current.IsNull()) continue;
        std::string text = current.ToText();
        if (text.empty()) continue;
        std::optional<std::string> mapped = run.ids.Find(text);
        if (mapped && !mapped->empty()) row->SetField(reference.field, com::Variant(std::move(*mapped)));
      } catch (const com::Error&) {
        // Ignored field by field: a reference that cannot be read or
        // rewritten keeps the value it has.
      }
    }
  }
}

}  // namespace vorlane
