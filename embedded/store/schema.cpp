// The loader of card type definitions: strict, so that a typo in a schema
// file is a clear error naming the file, the line and the fault rather than a
// card that silently lacks a field.
#include "embedded/store/schema.h"

#include <pugixml.hpp>

#include <fstream>
#include <mutex>
#include <set>
#include <sstream>

#include "embedded/store/field_blob.h"
#include "platform/ostrel/errors.h"
#include "platform/ostrel/field_type_codes.h"

namespace embedded {
namespace {

// A fault at a node of one file.
class Fault {
 public:
  Fault(const SchemaSource& src) : src_(src) {}

  [[noreturn]] void At(pugi::xml_node node, const std::string& what) const { AtOffset(node.offset_debug(), what); }
  [[noreturn]] void AtOffset(ptrdiff_t offset, const std::string& what) const {
    std::string where = src_.file;
    if (offset >= 0) where += ":" + std::to_string(LineOf(static_cast<size_t>(offset)));
    throw com::Error(ostrel::err::kSchemaError, std::string(ostrel::err::kSource), where + ": " + what);
  }

 private:
  size_t LineOf(size_t offset) const {
    size_t line = 1;
    for (size_t i = 0; i < offset && i < src_.text.size(); ++i) {
      if (src_.text[i] == '\n') ++line;
    }
    return line;
  }
  const SchemaSource& src_;
};

std::string Quote(std::string_view s) { return "\"" + std::string(s) + "\""; }

// The attributes an element may carry; anything else is a fault.
void CheckAttributes(const Fault& fault, pugi::xml_node node, std::initializer_list<std::string_view> allowed) {
  for (pugi::xml_attribute a : node.attributes()) {
    bool ok = false;
    for (std::string_view name : allowed) ok = ok || name == a.name();
    if (!ok) fault.At(node, "<" + std::string(node.name()) + "> has no attribute " + Quote(a.name()));
  }
}

std::string Required(const Fault& fault, pugi::xml_node node, const char* attr) {
  pugi::xml_attribute a = node.attribute(attr);
  if (!a || std::string_view(a.value()).empty()) {
    fault.At(node, "<" + std::string(node.name()) + "> needs the attribute " + Quote(attr));
  }
  return a.value();
}

com::Guid GuidOf(const Fault& fault, pugi::xml_node node, const char* attr) {
  std::string text = Required(fault, node, attr);
  auto g = com::Guid::Parse(text);
  if (!g) fault.At(node, std::string(attr) + " " + Quote(text) + " is not a GUID");
  return *g;
}

bool BoolOf(const Fault& fault, pugi::xml_node node, const char* attr, bool fallback) {
  pugi::xml_attribute a = node.attribute(attr);
  if (!a) return fallback;
  std::string_view v = a.value();
  if (v == "true" || v == "1") return true;
  if (v == "false" || v == "0") return false;
  fault.At(node, std::string(attr) + " " + Quote(v) + " is neither true nor false");
}

int IntOf(const Fault& fault, pugi::xml_node node, const char* attr, int fallback) {
  pugi::xml_attribute a = node.attribute(attr);
  if (!a) return fallback;
  auto v = ostrel::FromXmlText(a.value(), "int");
  if (!v) fault.At(node, std::string(attr) + " " + Quote(a.value()) + " is not a whole number");
  return *v->TryI4();
}

class Loader {
 public:
  Loader(const SchemaSource& src, CardTypeDef& type) : src_(src), fault_(src), type_(type) {}

  void Run() {
    pugi::xml_document doc;
    pugi::xml_parse_result r = doc.load_buffer(src_.text.data(), src_.text.size());
    if (!r) fault_.AtOffset(r.offset, std::string("not well-formed XML: ") + r.description());
    pugi::xml_node root = doc.document_element();
    if (std::string_view(root.name()) != "cardType") fault_.At(root, "the root element must be <cardType>");
    CheckAttributes(fault_, root, {"id", "name", "displayName", "single", "nameFixed", "templateField"});
    type_.file = src_.file;
    type_.id = GuidOf(fault_, root, "id");
    type_.id_text = type_.id.ToString();
    type_.name = Required(fault_, root, "name");
    type_.display_name = root.attribute("displayName") ? root.attribute("displayName").value() : type_.name;
    std::string_view single = root.attribute("single").value();
    if (single.empty() || single == "none") {
      type_.single = SingleCard::kNone;
    } else if (single == "store") {
      type_.single = SingleCard::kStore;
    } else if (single == "account") {
      type_.single = SingleCard::kAccount;
    } else {
      fault_.At(root, "single " + Quote(single) + " is none of none, store, account");
    }
    type_.name_fixed = BoolOf(fault_, root, "nameFixed", false);

    pugi::xml_node seed;
    for (pugi::xml_node child : root.children()) {
      if (child.type() != pugi::node_element) continue;
      std::string_view n = child.name();
      if (n == "section") {
        ReadSection(child, nullptr, type_.top.size());
      } else if (n == "seed") {
        if (seed) fault_.At(child, "a card type has one <seed>");
        seed = child;
      } else {
        fault_.At(child, "unexpected element <" + std::string(n) + ">");
      }
    }
    if (type_.top.empty()) fault_.At(root, "a card type needs at least one <section>");
    if (pugi::xml_attribute tf = root.attribute("templateField")) ReadTemplateField(root, tf.value());
    if (seed) ReadSeed(seed);
  }

 private:
  void ReadSection(pugi::xml_node node, SectionDef* parent, size_t ordinal) {
    CheckAttributes(fault_, node, {"id", "name", "kind"});
    auto def = std::make_unique<SectionDef>();
    SectionDef* s = def.get();
    s->id = GuidOf(fault_, node, "id");
    s->id_text = s->id.ToString();
    s->name = Required(fault_, node, "name");
    std::string kind = Required(fault_, node, "kind");
    if (kind == "0" || kind == "single") {
      s->kind = 0;
    } else if (kind == "1" || kind == "table") {
      s->kind = 1;
    } else if (kind == "2" || kind == "tree") {
      s->kind = 2;
    } else {
      fault_.At(node, "kind " + Quote(kind) + " is none of single (0), table (1), tree (2)");
    }
    s->parent = parent;
    s->ordinal = ordinal;
    if (type_.Section(s->id)) fault_.At(node, "section ID " + s->id_text + " is used twice");
    if (type_.SectionNamed(s->name)) fault_.At(node, "section name " + Quote(s->name) + " is used twice");
    type_.by_id.emplace(s->id, s);
    type_.sections.push_back(std::move(def));
    if (parent) {
      parent->subsections.push_back(s);
    } else {
      type_.top.push_back(s);
    }
    for (pugi::xml_node child : node.children()) {
      if (child.type() != pugi::node_element) continue;
      std::string_view n = child.name();
      if (n == "field") {
        ReadField(child, *s);
      } else if (n == "section") {
        ReadSection(child, s, s->subsections.size());
      } else {
        fault_.At(child, "unexpected element <" + std::string(n) + "> in a section");
      }
    }
    s->PrepareRows();
  }

  void ReadField(pugi::xml_node node, SectionDef& s) {
    CheckAttributes(fault_, node, {"name", "type", "flags", "default", "generate"});
    FieldDef f;
    f.name = Required(fault_, node, "name");
    if (f.name == "RowID") fault_.At(node, "\"RowID\" is the row's own ID and cannot be a field");
    std::string type = Required(fault_, node, "type");
    const ostrel::FieldTypeCode* code = ostrel::FindFieldTypeCode(type);
    if (!code) {
      if (auto n = ostrel::FromXmlText(type, "int")) code = ostrel::FindFieldTypeCode(*n->TryI4());
    }
    if (!code) fault_.At(node, "field " + Quote(f.name) + ": unknown type " + Quote(type));
    f.code = code->code;
    f.type_code = code;
    f.flags = IntOf(fault_, node, "flags", 0);
    if (pugi::xml_attribute d = node.attribute("default")) {
      std::string_view xml_type = code->xml_type.empty() ? "string" : code->xml_type;
      auto v = ostrel::FromXmlText(d.value(), xml_type);
      if (!v) fault_.At(node, "field " + Quote(f.name) + ": default " + Quote(d.value()) + " is not of type " + type);
      f.default_value = ostrel::ConvertToFieldType(*v, f.code);
    }
    if (pugi::xml_attribute g = node.attribute("generate")) {
      if (std::string_view(g.value()) != "guid") {
        fault_.At(node, "field " + Quote(f.name) + ": generate " + Quote(g.value()) + " is not guid");
      }
      if (!ostrel::IsTextCode(f.code)) fault_.At(node, "field " + Quote(f.name) + ": a generated GUID needs a text field");
      f.new_guid = true;
    }
    if (f.flags & ostrel::field_flag::kRowTimestamp) {
      if (s.timestamp_field >= 0) fault_.At(node, "section " + Quote(s.name) + " has two row timestamps");
      if (f.code != ostrel::field_type::kInteger) fault_.At(node, "a row timestamp must be of type int");
      s.timestamp_field = static_cast<int>(s.fields.size());
    }
    if (s.FieldIndex(f.name)) fault_.At(node, "field " + Quote(f.name) + " is defined twice");
    s.field_index.emplace(f.name, s.fields.size());
    s.fields.push_back(std::move(f));
  }

  void ReadTemplateField(pugi::xml_node root, std::string_view path) {
    size_t slash = path.find('/');
    const SectionDef* s = slash == std::string_view::npos ? nullptr : type_.SectionNamed(path.substr(0, slash));
    auto field = s ? s->FieldIndex(path.substr(slash + 1)) : std::nullopt;
    if (!field) fault_.At(root, "templateField " + Quote(path) + " names no field (write Section/Field)");
    if (!s->IsSingleRow() || s->parent) fault_.At(root, "templateField must be in a card-level single-row section");
    type_.template_section = s;
    type_.template_field = static_cast<int>(*field);
  }

  // The seed has the shape of the card's XML form: one element per section,
  // named after it; a single-row section's element carries its row, a table's
  // holds <NameRow> elements.
  void ReadSeed(pugi::xml_node seed) {
    for (pugi::xml_node child : seed.children()) {
      if (child.type() != pugi::node_element) continue;
      const SectionDef* s = TopSectionNamed(child.name());
      if (!s) fault_.At(child, "the seed names no card-level section " + Quote(child.name()));
      ReadSeedSection(child, *s, type_.seed);
    }
  }

  const SectionDef* TopSectionNamed(std::string_view name) const {
    for (const SectionDef* s : type_.top) {
      if (s->name == name) return s;
    }
    return nullptr;
  }

  void ReadSeedSection(pugi::xml_node node, const SectionDef& s, std::vector<SeedRow>& out) {
    if (s.IsSingleRow()) {
      out.push_back(ReadSeedRow(node, s));
      return;
    }
    const std::string row_name = s.name + "Row";
    for (pugi::xml_node row : node.children()) {
      if (row.type() != pugi::node_element) continue;
      if (row.name() != row_name) fault_.At(row, "expected <" + row_name + ">, not <" + row.name() + ">");
      out.push_back(ReadSeedRow(row, s));
    }
  }

  SeedRow ReadSeedRow(pugi::xml_node node, const SectionDef& s) {
    SeedRow row;
    row.section = &s;
    for (pugi::xml_attribute a : node.attributes()) {
      std::string_view name = a.name();
      if (name == "RowID") {
        auto g = com::Guid::Parse(a.value());
        if (!g) fault_.At(node, "RowID " + Quote(a.value()) + " is not a GUID");
        row.id = *g;
        continue;
      }
      if (name.starts_with("_Type_")) continue;
      auto index = s.FieldIndex(name);
      if (!index || s.fields[*index].name != name) {
        fault_.At(node, "section " + Quote(s.name) + " has no field " + Quote(name));
      }
      const FieldDef& f = s.fields[*index];
      std::string_view xml_type = ostrel::FindFieldTypeCode(f.code)->xml_type;
      if (xml_type.empty()) {
        pugi::xml_attribute t = node.attribute(("_Type_" + f.name).c_str());
        xml_type = t ? t.value() : "string";
      }
      auto v = ostrel::FromXmlText(a.value(), xml_type);
      if (!v) fault_.At(node, "field " + Quote(f.name) + ": " + Quote(a.value()) + " is not of type " + std::string(xml_type));
      row.fields.emplace_back(*index, ostrel::ConvertToFieldType(*v, f.code));
    }
    for (pugi::xml_node child : node.children()) {
      if (child.type() != pugi::node_element) continue;
      std::string_view n = child.name();
      if (s.IsTree() && n == s.name + "Row") {
        row.rows.push_back(ReadSeedRow(child, s));
        continue;
      }
      const SectionDef* sub = nullptr;
      for (const SectionDef* candidate : s.subsections) {
        if (candidate->name == n) sub = candidate;
      }
      if (!sub) fault_.At(child, "section " + Quote(s.name) + " has no sub-section " + Quote(n));
      size_t before = row.rows.size();
      ReadSeedSection(child, *sub, row.rows);
      if (sub->IsSingleRow() && before != row.rows.size() && CountOf(row.rows, sub) > 1) {
        fault_.At(child, "single-row sub-section " + Quote(sub->name) + " given twice");
      }
    }
    return row;
  }

  static size_t CountOf(const std::vector<SeedRow>& rows, const SectionDef* s) {
    size_t n = 0;
    for (const SeedRow& r : rows) n += r.section == s;
    return n;
  }

  const SchemaSource& src_;
  Fault fault_;
  CardTypeDef& type_;
};

}  // namespace

void SectionDef::PrepareRows() {
  new_row.clear();
  new_guid_fields.clear();
  packed_names.clear();
  for (size_t i = 0; i < fields.size(); ++i) {
    packed_names.push_back(EncodedName(fields[i].name));
    new_row.push_back(fields[i].new_guid ? com::Variant::Null() : fields[i].default_value);
    if (fields[i].new_guid) new_guid_fields.push_back(static_cast<uint32_t>(i));
  }
}

const SectionDef* CardTypeDef::Section(const com::Guid& section_id) const {
  auto it = by_id.find(section_id);
  return it == by_id.end() ? nullptr : it->second;
}

const SectionDef* CardTypeDef::SectionNamed(std::string_view section_name) const {
  for (const auto& s : sections) {
    if (text::EqualNoCase(s->name, section_name)) return s.get();
  }
  return nullptr;
}

std::shared_ptr<const Schema> Schema::Load(const std::vector<SchemaSource>& sources) {
  auto schema = std::make_shared<Schema>();
  for (const SchemaSource& src : sources) {
    auto type = std::make_unique<CardTypeDef>();
    Loader(src, *type).Run();
    if (const CardTypeDef* other = schema->Find(type->id)) {
      Fault(src).AtOffset(-1, "card type " + type->id_text + " is also defined in " + other->file);
    }
    schema->types_.push_back(std::move(type));
  }
  return schema;
}

const CardTypeDef* Schema::Find(const com::Guid& card_type) const {
  for (const auto& t : types_) {
    if (t->id == card_type) return t.get();
  }
  return nullptr;
}

std::shared_ptr<const Schema> Schema::Builtin() {
  static const std::shared_ptr<const Schema> schema = Load(BuiltinSources());
  return schema;
}

SchemaSource Schema::ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    throw com::Error(ostrel::err::kSchemaError, std::string(ostrel::err::kSource), path + ": cannot be read");
  }
  std::ostringstream text;
  text << in.rdbuf();
  return SchemaSource{path, text.str()};
}

}  // namespace embedded
