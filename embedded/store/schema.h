#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/com/guid.h"
#include "platform/com/text.h"
#include "platform/com/variant.h"
#include "platform/ostrel/field_type_codes.h"

namespace embedded {

// The card types the store knows: sections (card-level and nested), their
// fields, and the rows a card of the type starts with. Loaded once from the
// schema files (embedded/schemas, README there) and shared, read-only, by
// every session of a store.

struct FieldDef {
  std::string name;
  int code = 0;   // field type code (platform/ostrel/field_type_codes.h)
  const ostrel::FieldTypeCode* type_code = nullptr;  // the code's row
  int flags = 0;  // ostrel::field_flag bits
  // What a new row holds; Null when the schema gives nothing.
  com::Variant default_value = com::Variant::Null();
  // New rows get a fresh "{GUID}" text here instead of a default.
  bool new_guid = false;
};

struct SectionDef {
  com::Guid id;
  std::string id_text;  // "{UPPER-CASE}"
  std::string name;
  int kind = 1;  // ostrel::section_kind
  std::vector<FieldDef> fields;
  std::vector<const SectionDef*> subsections;
  const SectionDef* parent = nullptr;  // null for a card-level section
  // Position among the parent's sub-sections (or the card's sections).
  size_t ordinal = 0;
  // The field the platform stamps on every write of a row, -1 for none.
  int timestamp_field = -1;

  // The index of a field by name, without regard to case, as the platform
  // matches field names; nullopt when the section has no such field.
  std::optional<size_t> FieldIndex(std::string_view field_name) const {
    auto it = field_index.find(field_name);
    if (it == field_index.end()) return std::nullopt;
    return it->second;
  }
  // Makes what a new row starts from and the packed names once the fields
  // are known.
  void PrepareRows();
  bool IsTree() const { return kind == 2; }
  bool IsSingleRow() const { return kind == 0; }

  std::unordered_map<std::string, size_t, text::NoCaseHash, text::NoCaseEqual> field_index;
  // What a new row holds, field by field: the defaults, and Null where a
  // fresh GUID goes (the fields in `new_guid_fields`). A new row copies it
  // whole instead of building its values one by one.
  std::vector<com::Variant> new_row;
  std::vector<uint32_t> new_guid_fields;
  // Each field's name in the packed form of a row (field_blob.h).
  std::vector<std::string> packed_names;
};

// A row a new card of the type starts with.
struct SeedRow {
  std::optional<com::Guid> id;  // a fresh ID at creation when absent
  const SectionDef* section = nullptr;
  std::vector<std::pair<size_t, com::Variant>> fields;  // by field index
  std::vector<SeedRow> rows;  // sub-section rows and tree child rows
};

// Which cards of a type there are.
enum class SingleCard {
  kNone,     // any number
  kStore,    // one card in the store (a dictionary, the folder card)
  kAccount,  // one card per account (the user's settings)
};

struct CardTypeDef {
  com::Guid id;
  std::string id_text;
  std::string name;          // element name of the card's XML form
  std::string display_name;  // what users see
  SingleCard single = SingleCard::kNone;
  bool name_fixed = false;
  // The single-row section and field that follow the card's template flag.
  const SectionDef* template_section = nullptr;
  int template_field = -1;
  std::string file;  // the schema file it came from

  std::vector<std::unique_ptr<SectionDef>> sections;  // every section, parents first
  std::vector<const SectionDef*> top;                 // the card-level sections
  std::vector<SeedRow> seed;
  std::unordered_map<com::Guid, const SectionDef*, com::GuidHash> by_id;

  // By ID at any depth; nullptr when the type has no such section.
  const SectionDef* Section(const com::Guid& section_id) const;
  // By name at any depth (names are unique within a card type).
  const SectionDef* SectionNamed(std::string_view section_name) const;
};

// One schema file: its name (for messages) and its text.
struct SchemaSource {
  std::string file;
  std::string text;
};

class Schema {
 public:
  // Loads the card types of `sources`, one card type per file. A file that
  // does not load fails the whole load with ostrel::err::kSchemaError, whose
  // description is "<file>:<line>: <fault>".
  static std::shared_ptr<const Schema> Load(const std::vector<SchemaSource>& sources);
  // The card types compiled into the library (embedded/schemas), loaded once.
  static std::shared_ptr<const Schema> Builtin();
  // The built-in sources, for a store that adds card types of its own.
  static const std::vector<SchemaSource>& BuiltinSources();
  // Reads a schema file from disk (a missing file is a kSchemaError).
  static SchemaSource ReadFile(const std::string& path);

  const CardTypeDef* Find(const com::Guid& card_type) const;
  const std::vector<std::unique_ptr<CardTypeDef>>& types() const { return types_; }

 private:
  std::vector<std::unique_ptr<CardTypeDef>> types_;
};

}  // namespace embedded
