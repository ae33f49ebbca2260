#pragma once

#include <pugixml.hpp>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "vorlane/exchange_limits.h"

// The process XML document: loading it from what a user picked, finding its
// parts, and writing it out. The DOM is pugixml; every name is matched
// case-sensitively, as XML names are.
namespace vorlane::exchange {

// Elements nested deeper than this are refused: no card the platform
// defines comes near it (a process with sub-processes embedded fifty deep
// stays well below), and everything that walks the document may recurse
// once per level.
inline constexpr int kMaxNesting = 256;

// One parsed document together with the text it was parsed from in place:
// the nodes point into `text`, so the two live and die together.
class Document {
 public:
  Document() = default;
  Document(const Document&) = delete;
  Document& operator=(const Document&) = delete;

  // Parses `text` as untrusted input. False, with the document empty, when
  // it is not well-formed XML, has no document element, carries a document
  // type declaration (and with it any entity declaration), or nests deeper
  // than kMaxNesting. Fails with 0x80070057, naming the element and
  // attribute, for a character reference to a character XML does not
  // allow. The check counts the elements named `counted` on its
  // way (counted()), and every element (elements(): no fewer than the rows
  // the document holds).
  // An attribute value longer than `max_attribute` fails with 0x80070057
  // naming its element and attribute.
  bool ParseUntrusted(std::string text, const char* counted = nullptr,
                      uint64_t max_attribute = ExchangeLimits::kDefaultMaxAttributeSize);
  size_t counted() const { return counted_; }
  size_t elements() const { return elements_; }
  // Parses the platform's own form of a card (CardData.GetXML). A text that
  // does not parse leaves the document empty.
  void ParseTrusted(std::string text);

  pugi::xml_document& dom() { return dom_; }
  pugi::xml_node root() const { return dom_.document_element(); }

 private:
  bool Parse(std::string text, unsigned options);
  // Fails naming the first attribute whose value is longer than the limit.
  void RefuseLongValues(uint64_t max_attribute);

  std::string text_;
  pugi::xml_document dom_;
  size_t counted_ = 0;
  size_t elements_ = 0;
};

// The "Process" element under the document element of `doc`, parsed from
// `text`; fails with 0x80040001 "Specified data does not contain
// business-process." when the text is rejected by ParseUntrusted or the
// document element has no "Process" child.
// The document counts its function rows ("FunctionsRow" elements, at any
// depth) as it is checked: Document::counted().
inline constexpr char kFunctionRow[] = "FunctionsRow";
// An import reads no more than these.
struct ReadLimits {
  uint64_t file = ExchangeLimits::kDefaultMaxFileSize;
  uint64_t attribute = ExchangeLimits::kDefaultMaxAttributeSize;
};
pugi::xml_node LoadProcess(Document& doc, std::string text, const ReadLimits& limits = {});
// The same from the file at `path`; a file that cannot be read fails alike.
// Only a regular file is read (a FIFO, a device or a folder fails with
// 0x80070057 before anything is read), and only one no larger than the
// limit, which is checked first.
pugi::xml_node LoadProcessFile(Document& doc, const std::string& path, const ReadLimits& limits = {});
// Raises 0x80040001 with the library's text for it (string 1020).
[[noreturn]] void ThrowNoProcess();

// Cards embedded one in another (a sub-process in a sub-process, and so
// on) no deeper than this, by an export as by an import, so that what one
// writes the other reads. Each level is a document of its own for the
// nesting limit of the XML.
inline constexpr int kMaxEmbeddedCards = 32;
// Raises 0x80070057 saying that cards are embedded deeper than that.
[[noreturn]] void ThrowEmbeddedTooDeep();

// The attribute's text; "" when the element has no such attribute.
inline std::string_view Attr(pugi::xml_node element, const char* name) {
  return element.attribute(name).value();
}

// The elements named `name` below `top` at any depth, in document order:
// what XPath ".//name" selects, walked without building a node set.
std::vector<pugi::xml_node> Descendants(pugi::xml_node top, const char* name);

// The XML text of a node and everything under it: the document as the
// platform writes its cards (indented by two blanks, no XML declaration).
std::string ToText(pugi::xml_node node);
// True when an element of the platform form `text` other than the card
// element carries a "CardID" or "WeakCardID" attribute: a card that links no
// other card is exported as its platform form, without a DOM. Attribute
// values never hold a '"' of their own (the form escapes it), so the names
// followed by '="' are attributes wherever they occur.
bool NamesLinkedCards(std::string_view text);
// Writes the document text (UTF-8) with an XML declaration to `path`,
// through a temporary file beside it that replaces the target only once it
// is complete: a failed write leaves no file, nor a half of one. Fails with
// 0x80004005 naming the path when the file cannot be written.
void SaveFile(std::string_view text, const std::string& path);

}  // namespace vorlane::exchange
