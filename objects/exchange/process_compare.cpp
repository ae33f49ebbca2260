#include "vorlane/process_compare.h"

#include <pugixml.hpp>

#include <cstdlib>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "objects/core/class_info.h"
#include "objects/exchange/process_document.h"
#include "platform/com/describe.h"
#include "platform/com/text.h"

namespace vorlane {
namespace {

using Json = nlohmann::json;

// What says nothing about the process: a row's own key, which every store
// gives anew.
bool Ignored(std::string_view name) { return name == "RowID"; }

bool Layout(std::string_view name) {
  return name == "XPos" || name == "YPos" || name == "Width" || name == "Height" || name == "Points";
}

// The rows under an item (a variable's values, a function's pass states)
// as one text: their attributes but their row keys, in order, at any depth.
void Canonical(pugi::xml_node node, std::string& out) {
  out += '<';
  out += node.name();
  for (pugi::xml_attribute a : node.attributes()) {
    if (Ignored(a.name())) continue;
    out += ' ';
    out += a.name();
    out += "=\"";
    out += a.value();
    out += '"';
  }
  out += '>';
  for (pugi::xml_node child : node.children()) {
    if (child.type() == pugi::node_element) Canonical(child, out);
  }
  out += "</>";
}

// An item's fields: its attributes, then one field per child element.
std::map<std::string, std::string> FieldsOf(pugi::xml_node item) {
  std::map<std::string, std::string> fields;
  for (pugi::xml_attribute a : item.attributes()) {
    if (!Ignored(a.name())) fields[a.name()] = a.value();
  }
  for (pugi::xml_node child : item.children()) {
    if (child.type() != pugi::node_element || child.attribute("CardID")) continue;  // an embedded card
    std::string text;
    for (pugi::xml_node row : child.children()) {
      if (row.type() == pugi::node_element) Canonical(row, text);
    }
    fields[child.name()] = std::move(text);
  }
  return fields;
}

// An attribute a document leaves out is read as its field's empty value:
// no text, or zero for numbers, flags and dates. One side's value that is
// such is no difference from the other side's leaving the field out (a
// card's export writes every field; a file written by hand or by another
// tool may not).
bool EmptyValue(const std::string& value) {
  if (value.empty()) return true;
  char* end = nullptr;
  const double number = std::strtod(value.c_str(), &end);
  return end == value.c_str() + value.size() && number == 0;
}

// The differences of one item's fields; "moved" when only geometry differs.
Json FieldChanges(const std::map<std::string, std::string>& before, const std::map<std::string, std::string>& after,
                  bool* only_layout) {
  Json changes = Json::array();
  *only_layout = true;
  auto add = [&](const std::string& name, const std::string* was, const std::string* is) {
    const bool layout = Layout(name);
    *only_layout = *only_layout && layout;
    changes.push_back({{"name", name}, {"before", was ? *was : ""}, {"after", is ? *is : ""}, {"layout", layout}});
  };
  auto b = before.begin(), a = after.begin();
  while (b != before.end() || a != after.end()) {
    if (a == after.end() || (b != before.end() && b->first < a->first)) {
      if (!EmptyValue(b->second)) add(b->first, &b->second, nullptr);
      ++b;
    } else if (b == before.end() || a->first < b->first) {
      if (!EmptyValue(a->second)) add(a->first, nullptr, &a->second);
      ++a;
    } else {
      if (b->second != a->second) add(b->first, &b->second, &a->second);
      ++a;
      ++b;
    }
  }
  return changes;
}

struct Kind {
  const char* name;     // as the differences name it
  const char* section;  // the element holding the rows
  const char* row;
  const char* caption;  // the attribute a person knows the item by
};

constexpr Kind kKinds[] = {
    {"function", "Functions", "FunctionsRow", "Caption"},
    {"gate", "Gates", "GatesRow", "Caption"},
    {"link", "Links", "LinksRow", "Caption"},
    {"variable", "Variables", "VariablesRow", "Name"},
};

pugi::xml_node Load(exchange::Document& doc, const std::string& text, const char* which) {
  try {
    return exchange::LoadProcess(doc, text);
  } catch (const com::Error& e) {
    throw com::Error(e.code(), e.source(), std::string("The ") + which + " process: " + e.description());
  }
}

class ProcessCompareObject final : public com::Object<ProcessCompare> {
 public:
  std::string Compare(const std::string& before_text, const std::string& after_text) override {
    exchange::Document before_doc, after_doc;
    const pugi::xml_node before = Load(before_doc, before_text, "first");
    const pugi::xml_node after = Load(after_doc, after_text, "second");
    const pugi::xml_node before_info = before.child("MainInfo"), after_info = after.child("MainInfo");
    auto header = [](pugi::xml_node process, pugi::xml_node info) {
      return Json{{"id", process.attribute("CardID").value()}, {"name", info.attribute("Name").value()}};
    };
    Json out{{"before", header(before, before_info)}, {"after", header(after, after_info)},
             {"differences", Json::array()}};
    std::map<std::string, int> counts{{"added", 0}, {"removed", 0}, {"changed", 0}, {"moved", 0}};
    auto record = [&](const char* kind, const std::string& id, const std::string& caption, const char* change,
                      Json fields) {
      ++counts[change];
      out["differences"].push_back(
          {{"kind", kind}, {"id", id}, {"caption", caption}, {"change", change}, {"fields", std::move(fields)}});
    };

    // The process's own fields: its main row, without the rows under it
    // (its document types are compared as one field).
    {
      std::map<std::string, std::string> b = FieldsOf(before_info), a = FieldsOf(after_info);
      bool only_layout = false;
      Json fields = FieldChanges(b, a, &only_layout);
      if (!fields.empty()) record("process", "", after_info.attribute("Name").value(), "changed", std::move(fields));
    }

    for (const Kind& kind : kKinds) {
      // The rows of `before` by their ID in upper case, and in their order.
      std::map<std::string, pugi::xml_node> old_rows;
      std::vector<std::string> old_order;
      for (pugi::xml_node row : before.child(kind.section).children(kind.row)) {
        old_order.push_back(text::Upper(row.attribute("ID").value()));
        old_rows.emplace(old_order.back(), row);
      }
      for (pugi::xml_node row : after.child(kind.section).children(kind.row)) {
        const std::string key = text::Upper(row.attribute("ID").value());
        auto old = old_rows.find(key);
        if (old == old_rows.end()) {
          record(kind.name, row.attribute("ID").value(), row.attribute(kind.caption).value(), "added", Json::array());
          continue;
        }
        bool only_layout = false;
        Json fields = FieldChanges(FieldsOf(old->second), FieldsOf(row), &only_layout);
        if (!fields.empty()) {
          record(kind.name, row.attribute("ID").value(), row.attribute(kind.caption).value(),
                 only_layout ? "moved" : "changed", std::move(fields));
        }
        old_rows.erase(old);
      }
      // What only `before` has, in its document order.
      for (const std::string& key : old_order) {
        auto old = old_rows.find(key);
        if (old == old_rows.end()) continue;
        const pugi::xml_node row = old->second;
        record(kind.name, row.attribute("ID").value(), row.attribute(kind.caption).value(), "removed", Json::array());
        old_rows.erase(old);  // an ID that repeats is told once
      }
    }
    out["counts"] = counts;
    return out.dump(-1, ' ', false, Json::error_handler_t::replace);
  }
};

const com::ClassRegistrar kClass(Creatable<ProcessCompareObject>(ProcessCompare::kCLSID, "ProcessCompare"));

}  // namespace

const com::TypeInfo& ProcessCompare::DispatchInfo() {
  static const com::TypeInfo info = com::Describe<ProcessCompare>("_ProcessCompare")
                                        .Method("Compare", &ProcessCompare::Compare, {com::Arg("Before"), com::Arg("After")})
                                        .Build();
  return info;
}

}  // namespace vorlane
