#pragma once

#include <cstring>
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
    const Field* Find(std::string_view name) const;
    // The same for the attributes of one element in turn, by the name as
    // pugixml holds it: `next` is where the field after the last one found
    // stands, which is where the platform's form writes the next attribute,
    // and the schema's spelling is matched there without measuring the name.
    const Field* Find(const char* name, size_t& next) const {
      for (size_t i = next; i < fields.size(); ++i) {
        if (Spells(fields[i].name, name)) {
          next = i + 1;
          return &fields[i];
        }
      }
      const Field* field = Find(std::string_view(name));
      if (field) next = static_cast<size_t>(field - fields.data()) + 1;
      return field;
    }
    // Whether the zero-terminated `name` is `field`, byte for byte.
    static bool Spells(std::string_view field, const char* name) {
      // A name of another length ends elsewhere; one that ends where the
      // field's does has that many bytes to compare.
      const size_t n = field.size();
      return std::strlen(name) == n && text::SameBytes(field.data(), name, n);
    }

    // Rules tied to particular sections of the platform's cards.
    bool appends_line_feed = false;  // "DATA" of functions and their spare rows ends with a line feed
    const char* spare_value = nullptr;  // variables and values: the spare-text sub-section of a long "Value"
    bool renames_employee = false;      // task rows: the misspelt "CompletedEmloyeeID" names
    // Whether the row's "RowID" attribute also matches a field (it never
    // does in the platform's cards): otherwise it only names the row.
    bool row_id_is_field = false;
    // Rows the object model keys by their "ID" field (functions, gates,
    // links, variables, document types): each must carry a GUID there, one
    // no other row of its section carries, or the process's lists fail.
    bool keyed_by_id = false;

   private:
    friend class ImportSchema;
    // Builds the tables below, on the first look-up by name: a document the
    // platform wrote names its fields in the schema's order and spelling
    // (the look-up by position), so most sections never need them.
    void Index() const;

    // The schema's own spelling first, which is what documents carry; any
    // other letter case of an ASCII name by its upper case, and of any
    // other name through the slower map.
    mutable bool indexed_ = false;
    mutable std::unordered_map<std::string_view, size_t> exact_;
    mutable std::unordered_map<std::string, size_t> by_upper_;
    mutable std::unordered_map<std::string, size_t, text::NoCaseHash, text::NoCaseEqual> by_name_;
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
