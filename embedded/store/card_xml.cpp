#include "embedded/store/card_xml.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <unordered_set>

#include "embedded/store/card_access.h"
#include "embedded/store/open_card.h"
#include "platform/ostrel/field_type_codes.h"

namespace embedded {
namespace {

// The form is written straight into one string, element by element, as an
// XML writer indenting by two blanks writes it: each element on a line of
// its own, one without children closed as "<Name ... />", the document
// ending with a line feed and carrying no declaration.

// What writing each byte in an attribute value adds to its length: a
// control character becomes "&#NN;", '&' "&amp;", '<' "&lt;", '"'
// "&quot;"; a '>' or a '\'' stays as it is. NUL ends the value (kEnd).
constexpr uint8_t kEnd = 0xFF;
constexpr std::array<uint8_t, 256> kGrowth = [] {
  std::array<uint8_t, 256> table{};
  for (int c = 1; c < 32; ++c) table[c] = 4;
  table[0] = kEnd;
  table['&'] = 4;
  table['<'] = 3;
  table['"'] = 5;
  return table;
}();

// Appends `value` escaped for a double-quoted attribute. Control
// characters are written as two-digit references ("&#09;", "&#10;"); the
// value ends at a NUL character, as the C string it is taken for. The
// escaped length is counted first, so that the text is written in place.
void AppendEscaped(std::string& out, std::string_view value) {
  const auto* p = reinterpret_cast<const unsigned char*>(value.data());
  size_t length = value.size();
  size_t growth = 0;
  for (size_t i = 0; i < length; ++i) {
    const uint8_t g = kGrowth[p[i]];
    if (g == 0) continue;
    if (g == kEnd) {
      length = i;
      break;
    }
    growth += g;
  }
  if (growth == 0) {
    out.append(value.data(), length);
    return;
  }
  const size_t at = out.size();
  out.resize(at + length + growth);
  char* w = out.data() + at;
  for (size_t i = 0; i < length; ++i) {
    const unsigned char c = p[i];
    if (kGrowth[c] == 0) {
      *w++ = static_cast<char>(c);
      continue;
    }
    switch (c) {
      case '&': std::memcpy(w, "&amp;", 5); w += 5; break;
      case '<': std::memcpy(w, "&lt;", 4); w += 4; break;
      case '"': std::memcpy(w, "&quot;", 6); w += 6; break;
      default:
        w[0] = '&';
        w[1] = '#';
        w[2] = static_cast<char>('0' + c / 10);
        w[3] = static_cast<char>('0' + c % 10);
        w[4] = ';';
        w += 5;
    }
  }
}

// The XML text of a field value (ostrel::ToXmlText), appended escaped. The
// kinds that fill most rows are written without a text of their own.
void AppendValue(std::string& out, const com::Variant& v) {
  using T = com::Variant::Type;
  char buf[64];
  std::to_chars_result r{};
  switch (v.type()) {
    case T::Text: AppendEscaped(out, *v.TryText()); return;
    case T::Bool: out += *v.TryBool() ? '1' : '0'; return;
    case T::I2: r = std::to_chars(buf, buf + sizeof buf, *v.TryI2()); break;
    case T::I4: r = std::to_chars(buf, buf + sizeof buf, *v.TryI4()); break;
    case T::R8: {
      const double d = *v.TryR8();
      if (!std::isfinite(d)) {
        AppendEscaped(out, ostrel::ToXmlText(v));
        return;
      }
      r = std::to_chars(buf, buf + sizeof buf, d);
      break;
    }
    default: AppendEscaped(out, ostrel::ToXmlText(v)); return;
  }
  out.append(buf, r.ptr);
}

class XmlWriter {
 public:
  XmlWriter(bool follow_links, std::string& out) : follow_(follow_links), out_(out) {}

  void Card(OpenCard& card, int depth) {
    written_.insert(card.id());
    Start("Data", depth);
    const CardTypeDef& type = card.type();
    Start(type.name, depth + 1);
    Attribute("CardID", card.id_text());
    Attribute("CardTypeID", type.id_text);
    Attribute("Template", card.copy().header().is_template ? "1" : "0");
    for (const SectionDef* s : type.top) Section(card, nullptr, *s, depth + 2);
    End(type.name, depth + 1);
    End("Data", depth);
  }

 private:
  void Section(OpenCard& card, RowNode* owner, const SectionDef& s, int depth) {
    const RowList& rows = card.copy().Container(owner, s);
    if (s.IsSingleRow()) {
      if (rows.empty()) return;
      Row(card, s.name, *rows.front(), depth);
      return;
    }
    Start(s.name, depth);
    if (!rows.empty()) {
      const std::string row_name = s.name + "Row";
      for (const auto& node : rows) Row(card, row_name, *node, depth + 1);
    }
    End(s.name, depth);
  }

  void Row(OpenCard& card, std::string_view name, const RowNode& node, int depth) {
    const SectionDef& s = *node.section;
    Start(name, depth);
    Attribute("RowID", IdText(node.id));
    for (size_t i = 0; i < s.fields.size(); ++i) {
      const com::Variant& v = node.fields[i];
      if (v.IsNull() || v.IsEmpty() || (v.IsText() && v.TryText()->empty())) continue;
      const FieldDef& f = s.fields[i];
      out_ += ' ';
      out_ += f.name;
      out_ += "=\"";
      AppendValue(out_, v);
      out_ += '"';
      if (f.code == ostrel::field_type::kVariant) {
        out_ += " _Type_";
        out_ += f.name;
        out_ += "=\"";
        AppendEscaped(out_, ostrel::XmlTypeOf(v.type()));
        out_ += '"';
      }
    }
    for (const SectionDef* sub : s.subsections) Section(card, const_cast<RowNode*>(&node), *sub, depth + 1);
    if (s.IsTree() && !node.children.empty()) {
      const std::string row_name = s.name + "Row";
      for (const auto& child : node.children) Row(card, row_name, *child, depth + 1);
    }
    if (follow_) Links(card, node, depth + 1);
    End(name, depth);
  }

  void Links(OpenCard& card, const RowNode& node, int depth) {
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
      const std::string name = s.fields[i].name + "CardData";
      Start(name, depth);
      Card(*linked, depth + 1);
      End(name, depth);
    }
  }

  // An element's start tag is left open for its attributes, and closed by
  // its first child or, when it has none, by its end.
  void Start(std::string_view name, int depth) {
    CloseStartTag();
    out_.append(static_cast<size_t>(depth) * 2, ' ');
    out_ += '<';
    out_ += name;
    open_ = true;
  }
  void Attribute(std::string_view name, std::string_view value) {
    out_ += ' ';
    out_ += name;
    out_ += "=\"";
    AppendEscaped(out_, value);
    out_ += '"';
  }
  void CloseStartTag() {
    if (open_) out_ += ">\n";
    open_ = false;
  }
  void End(std::string_view name, int depth) {
    if (open_) {
      out_ += " />\n";
      open_ = false;
      return;
    }
    out_.append(static_cast<size_t>(depth) * 2, ' ');
    out_ += "</";
    out_ += name;
    out_ += ">\n";
  }

  bool follow_;
  std::string& out_;
  bool open_ = false;
  std::unordered_set<com::Guid, com::GuidHash> written_;
};

}  // namespace

std::string CardXml(OpenCard& card, bool follow_links) {
  std::string out;
  XmlWriter(follow_links, out).Card(card, 0);
  return out;
}

}  // namespace embedded
