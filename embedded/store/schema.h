#pragma once

#include <cstdint>
#include <cstring>
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

  // The index of a field by name, without regard to case. Callers mostly
  // spell names as the schema does, so the exact spelling is looked up
  // first, in a small open-addressing table: a field read is one such
  // look-up, so it must cost little more than a hash of the name.
  std::optional<size_t> Field(std::string_view field_name) const {
    if (!exact_slots.empty()) {
      const uint64_t h = NameHash(field_name);
      for (size_t i = h & exact_mask;; i = (i + 1) & exact_mask) {
        const auto& [slot_hash, slot] = exact_slots[i];
        if (slot == 0) break;
        if (slot_hash == h && SameBytes(fields[slot - 1].name, field_name)) return slot - 1;
      }
    }
    auto it = field_index.find(field_name);
    if (it == field_index.end()) return std::nullopt;
    return it->second;
  }
  static bool SameBytes(std::string_view a, std::string_view b) {
    return a.size() == b.size() && text::SameBytes(a.data(), b.data(), a.size());
  }
  // Builds the exact-spelling table and the values of a new row once the
  // fields are known.
  void IndexFields();
  // A hash of a short name from its first and last bytes and its length:
  // a few instructions, where a byte-wise hash costs a multiply per byte.
  static uint64_t NameHash(std::string_view s) {
    const size_t n = s.size();
    uint64_t a = 0, b = 0;
    if (n >= 8) {
      std::memcpy(&a, s.data(), 8);
      std::memcpy(&b, s.data() + n - 8, 8);
    } else if (n >= 4) {
      uint32_t x, y;
      std::memcpy(&x, s.data(), 4);
      std::memcpy(&y, s.data() + n - 4, 4);
      a = x;
      b = y;
    } else if (n > 0) {
      a = static_cast<unsigned char>(s[0]) | static_cast<unsigned char>(s[n / 2]) << 8 |
          static_cast<unsigned char>(s[n - 1]) << 16;
    }
    unsigned __int128 m = static_cast<unsigned __int128>(a ^ 0x9E3779B97F4A7C15ull) * (b ^ n ^ 0xC2B2AE3D27D4EB4Full);
    return static_cast<uint64_t>(m) ^ static_cast<uint64_t>(m >> 64);
  }
  bool IsTree() const { return kind == 2; }
  bool IsSingleRow() const { return kind == 0; }

  std::unordered_map<std::string, size_t, text::NoCaseHash, text::NoCaseEqual> field_index;
  // (hash, index + 1) slots, 0 marking an empty one; a power of two long.
  std::vector<std::pair<uint64_t, uint32_t>> exact_slots;
  uint64_t exact_mask = 0;
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
