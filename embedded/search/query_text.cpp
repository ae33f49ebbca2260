#include "embedded/search/query_text.h"

#include <pugixml.hpp>

#include <array>
#include <charconv>
#include <span>
#include <sstream>

#include "platform/com/error.h"
#include "platform/com/text.h"
#include "platform/ostrel/search_query.h"

namespace embedded::search {
namespace {

// Indexed by ostrel::search_operation code.
constexpr std::array<const char*, 7> kOperations = {"equals",  "notEquals",      "less",    "lessOrEqual",
                                                    "greater", "greaterOrEqual", "contains"};
constexpr std::array<const char*, 2> kLinks = {"and", "or"};

[[noreturn]] void Fault(const std::string& what) {
  throw com::Error(com::hr::kInvalidArg, "Ostrel", "Search query: " + what);
}

// Every attribute of `el` must be one of `known`: a misspelt attribute would
// otherwise widen the search without a word.
void CheckAttributes(const pugi::xml_node& el, std::initializer_list<std::string_view> known) {
  for (const pugi::xml_attribute& a : el.attributes()) {
    bool ok = false;
    for (std::string_view k : known) ok = ok || k == a.name();
    if (!ok) Fault("<" + std::string(el.name()) + "> has no attribute \"" + a.name() + "\"");
  }
}

// The element children of `el`, every one named `child`; text other than
// blanks is refused.
std::vector<pugi::xml_node> Children(const pugi::xml_node& el, std::string_view child) {
  std::vector<pugi::xml_node> out;
  for (const pugi::xml_node& n : el.children()) {
    if (n.type() == pugi::node_element) {
      if (child != n.name()) Fault("<" + std::string(el.name()) + "> holds no <" + n.name() + ">");
      out.push_back(n);
    } else if (n.type() == pugi::node_pcdata || n.type() == pugi::node_cdata) {
      if (!text::Trim(n.value()).empty()) Fault("<" + std::string(el.name()) + "> holds text");
    }
  }
  return out;
}

com::Guid IdOf(const pugi::xml_node& el) {
  pugi::xml_attribute a = el.attribute("id");
  if (!a) Fault("<" + std::string(el.name()) + "> needs an id");
  std::optional<com::Guid> id = com::Guid::Parse(a.value());
  if (!id) Fault("<" + std::string(el.name()) + "> id \"" + a.value() + "\" is no GUID");
  return *id;
}

int32_t CodeOf(const pugi::xml_node& el, const char* attribute, std::span<const char* const> names,
               int32_t absent) {
  pugi::xml_attribute a = el.attribute(attribute);
  if (!a) return absent;
  for (size_t i = 0; i < names.size(); ++i) {
    if (std::string_view(names[i]) == a.value()) return static_cast<int32_t>(i);
  }
  Fault("unknown " + std::string(attribute) + " \"" + a.value() + "\"");
}

bool FlagOf(const pugi::xml_node& el, const char* attribute) {
  pugi::xml_attribute a = el.attribute(attribute);
  if (!a) return false;
  std::string_view v = a.value();
  if (v == "true" || v == "1") return true;
  if (v == "false" || v == "0") return false;
  Fault(std::string(attribute) + " \"" + std::string(v) + "\" is neither true nor false");
}

}  // namespace

const char* OperationName(int32_t operation) {
  return operation >= 0 && operation < static_cast<int32_t>(kOperations.size()) ? kOperations[operation] : nullptr;
}

const char* LinkName(int32_t link) {
  return link >= 0 && link < static_cast<int32_t>(kLinks.size()) ? kLinks[link] : nullptr;
}

std::string RenderQuery(const QuerySpec& query, bool indented) {
  pugi::xml_document doc;
  pugi::xml_node decl = doc.append_child(pugi::node_declaration);
  decl.append_attribute("version").set_value("1.0");
  decl.append_attribute("encoding").set_value("utf-8");
  pugi::xml_node root = doc.append_child("cardSearch");
  if (query.limit) root.append_attribute("limit").set_value(*query.limit);
  for (const CardTypeSpec& type : query.card_types) {
    pugi::xml_node t = root.append_child("cardType");
    t.append_attribute("id").set_value(type.card_type.ToString().c_str());
    for (const SectionSpec& section : type.sections) {
      pugi::xml_node s = t.append_child("section");
      s.append_attribute("id").set_value(section.section.ToString().c_str());
      bool first = true;
      for (const ConditionSpec& c : section.conditions) {
        pugi::xml_node el = s.append_child("condition");
        // The first condition of a group joins nothing: its link is not written.
        if (!first) el.append_attribute("link").set_value(LinkName(c.link));
        first = false;
        el.append_attribute("field").set_value(c.field.c_str());
        el.append_attribute("op").set_value(OperationName(c.operation));
        if (c.value) el.append_attribute("value").set_value(c.value->c_str());
        if (c.typed) el.append_attribute("typed").set_value("true");
      }
    }
  }
  std::ostringstream out;
  doc.save(out, "  ", indented ? pugi::format_indent : pugi::format_raw, pugi::encoding_utf8);
  return out.str();
}

QuerySpec ParseQuery(std::string_view text) {
  pugi::xml_document doc;
  pugi::xml_parse_result parsed = doc.load_buffer(text.data(), text.size(), pugi::parse_default, pugi::encoding_utf8);
  if (!parsed) {
    Fault(std::string(parsed.description()) + " at offset " + std::to_string(parsed.offset));
  }
  pugi::xml_node root = doc.document_element();
  if (std::string_view(root.name()) != "cardSearch") Fault("the document element is <" + std::string(root.name()) + ">, not <cardSearch>");
  CheckAttributes(root, {"limit"});

  QuerySpec query;
  if (pugi::xml_attribute limit = root.attribute("limit")) {
    std::string_view v = limit.value();
    int32_t n = 0;
    auto [end, ec] = std::from_chars(v.data(), v.data() + v.size(), n);
    if (ec != std::errc() || end != v.data() + v.size() || n < 1) {
      Fault("limit \"" + std::string(v) + "\" is no number of 1 or more");
    }
    query.limit = n;
  }
  for (const pugi::xml_node& t : Children(root, "cardType")) {
    CheckAttributes(t, {"id"});
    CardTypeSpec& type = query.card_types.emplace_back();
    type.card_type = IdOf(t);
    for (const pugi::xml_node& s : Children(t, "section")) {
      CheckAttributes(s, {"id"});
      SectionSpec& section = type.sections.emplace_back();
      section.section = IdOf(s);
      for (const pugi::xml_node& el : Children(s, "condition")) {
        CheckAttributes(el, {"link", "field", "op", "value", "typed"});
        ConditionSpec& c = section.conditions.emplace_back();
        c.field = el.attribute("field").value();
        if (c.field.empty()) Fault("<condition> needs a field");
        if (!el.attribute("op")) Fault("<condition> on \"" + c.field + "\" needs an op");
        c.operation = CodeOf(el, "op", kOperations, 0);
        c.link = CodeOf(el, "link", kLinks, ostrel::search_link::kAnd);
        if (pugi::xml_attribute v = el.attribute("value")) c.value = v.value();
        c.typed = FlagOf(el, "typed");
      }
    }
  }
  return query;
}

}  // namespace embedded::search
