#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/com/text.h"
#include "platform/ostrel/card_type.h"
#include "platform/ostrel/section_type.h"

namespace vorlane {

// The schema of a card type as the card importer walks it, read from the
// platform's schema objects once per import instead of once per attribute.
// It holds names, codes and flags of the schema, never a field's value.
class ImportSchema {
 public:
  struct Field {
    std::string name;  // as the schema spells it
    int32_t position = 0;  // among the section type's fields (RowEx::SetFieldAt)
    int code = 0;      // field type code (field_type_codes.h)
    int flags = 0;     // field_flag bits
    std::string type_attribute;  // "_Type_" + name, for variant fields
    // The XML data type of the code's values (ostrel::FieldTypeCode), when
    // it is not a text: the attribute is read in it. Empty for texts, for
    // variant fields and for codes the platform does not define.
    std::string_view xml_type;
    com::Variant::Type xml_read = com::Variant::Type::Text;  // ostrel::XmlReadType of xml_type
    bool ends_with_line_feed = false;  // a settings text that must end with a line feed
  };

  struct Section {
    std::string id;        // "{UPPER-CASE}"
    std::string name;      // the section's element name
    std::string row_name;  // name + "Row"
    int kind = 0;          // ostrel::section_kind
    std::vector<Field> fields;
    std::vector<const Section*> subsections;
    // A field by attribute name, without regard to case as the platform
    // matches field names; nullptr when the section has no such field.
    // Meant for the names of a document's rows, which repeat row after row.
    const Field* Find(std::string_view name) const;

    // Rules tied to particular sections of the platform's cards.
    bool appends_line_feed = false;  // "DATA" of functions and their spare rows ends with a line feed
    const char* spare_value = nullptr;  // variables and values: the spare-text sub-section of a long "Value"
    bool renames_employee = false;      // task rows: the misspelt "CompletedEmloyeeID" names
    // Functions: the fields of the position (XPos, YPos), which the object
    // model reads as Singles; a value beyond their range would leave the
    // process unreadable.
    std::vector<const Field*> single_fields;
    // Rows the object model keys by their "ID" field (functions, gates,
    // links, variables, document types): each must carry a GUID there, one
    // no other row of its section carries, or the process's lists fail.
    bool keyed_by_id = false;

   private:
    friend class ImportSchema;
    struct SpellingHash {
      using is_transparent = void;
      size_t operator()(std::string_view s) const noexcept { return std::hash<std::string_view>{}(s); }
    };
    std::unordered_map<std::string, size_t, text::NoCaseHash, text::NoCaseEqual> by_name_;
    // Every spelling Find was asked for, with its answer.
    mutable std::unordered_map<std::string, const Field*, SpellingHash, std::equal_to<>> spellings_;
  };

  struct RowReference {
    std::string section_id;
    std::string field;
  };

  struct Card {
    std::string id;                          // "{UPPER-CASE}"
    std::vector<const Section*> sections;    // card-level, in schema order
    std::vector<RowReference> row_references;  // code-13 fields that imports may write, at any depth
  };

  // The plan of the card type, read on first use.
  const Card& CardOf(ostrel::CardType& type);
  // The plan of a section type (and its sub-sections), read on first use.
  const Section& SectionOf(ostrel::SectionType& type);

 private:
  std::unordered_map<std::string, std::unique_ptr<Card>> cards_;
  std::unordered_map<std::string, std::unique_ptr<Section>> sections_;
};

}  // namespace vorlane
