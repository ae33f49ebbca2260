#include "embedded/store/card_xml.h"

#include <pugixml.hpp>

#include <sstream>
#include <unordered_set>

#include "embedded/store/card_access.h"
#include "embedded/store/open_card.h"
#include "platform/ostrel/field_type_codes.h"

namespace embedded {
namespace {

class XmlWriter {
 public:
  explicit XmlWriter(bool follow_links) : follow_(follow_links) {}

  void Card(OpenCard& card, pugi::xml_node parent) {
    written_.insert(card.id());
    pugi::xml_node data = parent.append_child("Data");
    const CardTypeDef& type = card.type();
    pugi::xml_node el = data.append_child(type.name.c_str());
    el.append_attribute("CardID").set_value(card.id_text().c_str());
    el.append_attribute("CardTypeID").set_value(type.id_text.c_str());
    el.append_attribute("Template").set_value(card.copy().header().is_template ? "1" : "0");
    for (const SectionDef* s : type.top) Section(card, el, nullptr, *s);
  }

 private:
  void Section(OpenCard& card, pugi::xml_node parent, RowNode* owner, const SectionDef& s) {
    const RowList& rows = card.copy().Container(owner, s);
    if (s.IsSingleRow()) {
      if (rows.empty()) return;
      Row(card, parent.append_child(s.name.c_str()), *rows.front());
      return;
    }
    pugi::xml_node el = parent.append_child(s.name.c_str());
    const std::string row_name = s.name + "Row";
    for (const auto& node : rows) Row(card, el.append_child(row_name.c_str()), *node);
  }

  void Row(OpenCard& card, pugi::xml_node el, const RowNode& node) {
    const SectionDef& s = *node.section;
    el.append_attribute("RowID").set_value(node.id_text.c_str());
    for (size_t i = 0; i < s.fields.size(); ++i) {
      const com::Variant& v = node.fields[i];
      if (v.IsNull() || v.IsEmpty() || (v.IsText() && v.TryText()->empty())) continue;
      const FieldDef& f = s.fields[i];
      el.append_attribute(f.name.c_str()).set_value(ostrel::ToXmlText(v).c_str());
      if (f.code == ostrel::field_type::kVariant) {
        el.append_attribute(("_Type_" + f.name).c_str()).set_value(std::string(ostrel::XmlTypeOf(v.type())).c_str());
      }
    }
    for (const SectionDef* sub : s.subsections) Section(card, el, const_cast<RowNode*>(&node), *sub);
    if (s.IsTree()) {
      const std::string row_name = s.name + "Row";
      for (const auto& child : node.children) Row(card, el.append_child(row_name.c_str()), *child);
    }
    if (follow_) Links(card, el, node);
  }

  void Links(OpenCard& card, pugi::xml_node el, const RowNode& node) {
    const SectionDef& s = *node.section;
    for (size_t i = 0; i < s.fields.size(); ++i) {
      if (s.fields[i].code != ostrel::field_type::kCardRef || !node.fields[i].IsText()) continue;
      auto id = com::Guid::Parse(*node.fields[i].TryText());
      if (!id || written_.contains(*id)) continue;
      written_.insert(*id);
      SessionState& session = card.session();
      Storage::Status status = session.Guard([&] { return session.store().storage().GetStatus(*id); });
      if (status != Storage::Status::kExists) continue;
      com::Ref<OpenCard> linked = OpenCardOf(card.session_ptr(), *id);
      Card(*linked, el.append_child((s.fields[i].name + "CardData").c_str()));
    }
  }

  bool follow_;
  std::unordered_set<com::Guid, com::GuidHash> written_;
};

}  // namespace

std::string CardXml(OpenCard& card, bool follow_links) {
  pugi::xml_document doc;
  XmlWriter(follow_links).Card(card, doc);
  std::ostringstream out;
  doc.save(out, "  ", pugi::format_indent | pugi::format_no_declaration);
  return out.str();
}

}  // namespace embedded
