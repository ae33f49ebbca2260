// Loading and writing the process XML document.
#include "objects/exchange/process_document.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <algorithm>
#include <cstring>

#include "common/error_codes.h"
#include "common/localized_strings.h"
#include "platform/com/error.h"
#include "platform/com/text.h"

namespace vorlane::exchange {
namespace {

constexpr int kNoProcessText = 1020;

// What one walk of a whole document finds: whether an element is nested
// deeper than the limit (the walk stops there), how many elements have the
// counted name, and how many elements there are.
struct Nesting {
  bool too_deep = false;
  size_t count = 0;
  size_t elements = 0;
};

// Walks the document below `top` once, without recursion, so that the walk
// itself is safe on any input: the elements nested deeper than `limit`
// (the children of `top` are at depth 0), and the elements named `counted`
// (none when null), so that a document of many megabytes is walked once,
// not once per question.
Nesting CheckNesting(pugi::xml_node top, int limit, const char* counted) {
  Nesting found;
  int depth = 0;
  pugi::xml_node node = top.first_child();
  while (node) {
    if (node.type() == pugi::node_element) {
      if (depth >= limit) {
        found.too_deep = true;
        return found;
      }
      ++found.elements;
      if (counted) {
        const char* name = node.name();
        if (name[0] == counted[0] && std::strcmp(name, counted) == 0) ++found.count;
      }
    }
    if (pugi::xml_node child = node.first_child()) {
      node = child;
      ++depth;
      continue;
    }
    while (!node.next_sibling()) {
      node = node.parent();
      --depth;
      if (node == top) return found;
    }
    node = node.next_sibling();
  }
  return found;
}

// Collects the output in one string: cheaper than a stream for documents of
// many megabytes.
class StringWriter final : public pugi::xml_writer {
 public:
  explicit StringWriter(std::string& out) : out_(out) {}
  void write(const void* data, size_t size) override { out_.append(static_cast<const char*>(data), size); }

 private:
  std::string& out_;
};

constexpr unsigned kSaveFormat = pugi::format_indent | pugi::format_no_declaration;
constexpr const char kIndent[] = "  ";

[[noreturn]] void ThrowWriteFailure(const std::string& path, int error) {
  throw com::Error(com::hr::kFail, "Vorlane", "Cannot write the file \"" + path + "\": " + std::strerror(error));
}

// The name that starts at `at` in `text` (up to a blank, '=', '/' or '>').
std::string_view NameAt(std::string_view text, size_t at) {
  size_t end = at;
  while (end < text.size() && !text::IsBlank(text[end]) && text[end] != '=' && text[end] != '/' && text[end] != '>') ++end;
  return text.substr(at, end - at);
}

// A character reference the parser would turn into a character that XML
// does not allow, "&#0;" among them (which would cut the value short
// without a word), is refused with the element and attribute it is in.
// Only the text before parsing shows it.
void RefuseBadCharacterReferences(std::string_view text) {
  for (size_t at = text.find("&#"); at != std::string_view::npos; at = text.find("&#", at + 2)) {
    size_t i = at + 2;
    const bool hex = i < text.size() && text[i] == 'x';
    if (hex) ++i;
    const size_t digits = i;
    char32_t code = 0;
    for (; i < text.size(); ++i) {
      const char c = text[i];
      int digit = c >= '0' && c <= '9' ? c - '0' : -1;
      if (hex && digit < 0 && ((c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'))) digit = (c | 0x20) - 'a' + 10;
      if (digit < 0) break;
      code = std::min<char32_t>(code * (hex ? 16 : 10) + static_cast<char32_t>(digit), 0x110000);
    }
    if (i == digits || i >= text.size() || text[i] != ';' || text::IsXmlChar(code)) continue;
    // Where it is: in the tag that the last '<' before it opens, in the
    // value of the attribute whose '=' comes last before it; after the tag,
    // in the text of that element. A comment or a CDATA section holds no
    // reference.
    const size_t open = text.rfind('<', at);
    if (open == std::string_view::npos) continue;
    const std::string_view tag = text.substr(open);
    if (tag.starts_with("<!--") || tag.starts_with("<![CDATA[") || tag.starts_with("<?")) continue;
    const std::string element(NameAt(text, open + 1));
    const std::string reference(text.substr(at, i + 1 - at));
    const std::string what = "the character reference \"" + reference + "\" names a character that XML does not allow";
    const size_t close = text.find('>', open);
    if (close != std::string_view::npos && close < at) {
      throw com::Error(com::hr::kInvalidArg, "Vorlane", "Element \"" + element + "\", in its text: " + what);
    }
    // The tag's attributes in turn, to the one whose value holds it.
    std::string_view attribute;
    for (size_t k = open + 1 + element.size(); k < at;) {
      while (k < at && text::IsBlank(text[k])) ++k;
      const std::string_view name = NameAt(text, k);
      k += name.size();
      while (k < at && text[k] != '"' && text[k] != '\'') ++k;
      const size_t end = k < at ? text.find(text[k], k + 1) : std::string_view::npos;
      if (end == std::string_view::npos || end > at) {
        attribute = name;
        break;
      }
      k = end + 1;
    }
    throw com::Error(com::hr::kInvalidArg, "Vorlane",
                     "Element \"" + element + "\", attribute \"" + std::string(attribute) + "\": " + what);
  }
}

}  // namespace

bool Document::Parse(std::string text, unsigned options) {
  dom_.reset();
  text_ = std::move(text);
  // Parsed in place: the nodes point into text_, which saves a copy of
  // documents of many megabytes.
  pugi::xml_parse_result result =
      dom_.load_buffer_inplace(text_.data(), text_.size(), options, pugi::encoding_auto);
  if (!result) {
    dom_.reset();
    text_.clear();
    return false;
  }
  return true;
}

bool Document::ParseUntrusted(std::string text, const char* counted, uint64_t max_attribute) {
  const bool may_hold_long_values = text.size() > max_attribute;
  counted_ = 0;
  elements_ = 0;
  RefuseBadCharacterReferences(text);
  // Document type declarations are parsed into nodes so that they can be
  // refused: a file that declares entities or a DTD is not one we wrote.
  if (!Parse(std::move(text), pugi::parse_default | pugi::parse_doctype)) return false;
  bool refused = !dom_.document_element();
  for (pugi::xml_node top = dom_.first_child(); top && !refused; top = top.next_sibling()) {
    if (top.type() == pugi::node_doctype) refused = true;
  }
  if (!refused) {
    const Nesting nesting = CheckNesting(dom_, kMaxNesting, counted);
    refused = nesting.too_deep;
    counted_ = nesting.count;
    elements_ = nesting.elements;
  }
  if (refused) {
    dom_.reset();
    text_.clear();
    counted_ = 0;
    elements_ = 0;
  }
  // Only a document longer than the limit can hold a value longer than it.
  if (!refused && may_hold_long_values) RefuseLongValues(max_attribute);
  return !refused;
}

void Document::RefuseLongValues(uint64_t max_attribute) {
  pugi::xml_node node = dom_.first_child();
  while (node) {
    for (pugi::xml_attribute attribute : node.attributes()) {
      const size_t length = std::strlen(attribute.value());
      if (length > max_attribute) {
        const std::string element = node.name(), name = attribute.name();
        dom_.reset();
        text_.clear();
        throw com::Error(com::hr::kInvalidArg, "Vorlane",
                         "Element \"" + element + "\", attribute \"" + name + "\": its value of " +
                             std::to_string(length) + " bytes is longer than the " + std::to_string(max_attribute) +
                             " an import reads");
      }
    }
    if (pugi::xml_node child = node.first_child()) {
      node = child;
      continue;
    }
    while (node && !node.next_sibling()) node = node.parent();
    if (node) node = node.next_sibling();
  }
}

void Document::ParseTrusted(std::string text) { Parse(std::move(text), pugi::parse_default); }

void ThrowNoProcess() {
  throw com::Error(err::kNoProcessInData, "Vorlane", LoadLocalizedString(kNoProcessText));
}

void ThrowEmbeddedTooDeep() {
  throw com::Error(com::hr::kInvalidArg, "Vorlane",
                   "Cards are embedded in one another more than " + std::to_string(kMaxEmbeddedCards) +
                       " deep (a sub-process in a sub-process, and so on): a process document holds no more");
}

pugi::xml_node LoadProcess(Document& doc, std::string text, const ReadLimits& limits) {
  if (!doc.ParseUntrusted(std::move(text), kFunctionRow, limits.attribute)) ThrowNoProcess();
  pugi::xml_node process = doc.root().child("Process");
  if (!process) ThrowNoProcess();
  return process;
}

namespace {

// What kind of thing other than a regular file `mode` says is there.
std::string KindOf(mode_t mode) {
  if (S_ISDIR(mode)) return "a folder";
  if (S_ISFIFO(mode)) return "a pipe";
  if (S_ISCHR(mode) || S_ISBLK(mode)) return "a device";
  if (S_ISSOCK(mode)) return "a socket";
  return "not a regular file";
}

// The whole of the regular file at `path`, which may hold no more than
// `limit` bytes, checked before anything is read (and again as it is read:
// a file may grow in the meantime).
std::string ReadDocumentFile(const std::string& path, uint64_t limit) {
  // Not blocking: opening a pipe waits for a writer otherwise.
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) ThrowNoProcess();
  struct Closer {
    int fd;
    ~Closer() { ::close(fd); }
  } closer{fd};
  struct stat st {};
  if (::fstat(fd, &st) != 0) ThrowNoProcess();
  if (!S_ISREG(st.st_mode)) {
    throw com::Error(com::hr::kInvalidArg, "Vorlane",
                     "\"" + path + "\" is " + KindOf(st.st_mode) + ": a process document is read from a file");
  }
  auto too_large = [&](uint64_t size) {
    return com::Error(com::hr::kInvalidArg, "Vorlane",
                      "The file \"" + path + "\" holds " + std::to_string(size) + " bytes, more than the " +
                          std::to_string(limit) + " an import reads");
  };
  const uint64_t size = static_cast<uint64_t>(st.st_size);
  if (size > limit) throw too_large(size);
  // Room for one byte more than the file said it held, so that reading to
  // its end finds the end without growing (and so copying) the text.
  std::string text(static_cast<size_t>(size) + 1, '\0');
  size_t done = 0;
  for (;;) {
    if (done == text.size()) {
      // The file grew while it was read.
      if (text.size() > limit) throw too_large(text.size());
      text.resize(std::min<uint64_t>(text.size() + 65536, limit + 1));
    }
    const ssize_t n = ::read(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) ThrowNoProcess();
    if (n == 0) break;
    done += static_cast<size_t>(n);
  }
  text.resize(done);
  return text;
}

}  // namespace

pugi::xml_node LoadProcessFile(Document& doc, const std::string& path, const ReadLimits& limits) {
  return LoadProcess(doc, ReadDocumentFile(path, limits.file), limits);
}

namespace {

// Calls `found` with each element named `name` below `top`, in document order.
template <class Found>
void WalkDescendants(pugi::xml_node top, const char* name, Found found) {
  pugi::xml_node node = top.first_child();
  while (node) {
    const char* node_name = node.name();
    if (node_name[0] == name[0] && node.type() == pugi::node_element && std::strcmp(node_name, name) == 0) {
      found(node);
    }
    if (pugi::xml_node child = node.first_child()) {
      node = child;
      continue;
    }
    while (node && node != top && !node.next_sibling()) node = node.parent();
    if (!node || node == top) break;
    node = node.next_sibling();
  }
}

}  // namespace

std::vector<pugi::xml_node> Descendants(pugi::xml_node top, const char* name) {
  std::vector<pugi::xml_node> found;
  WalkDescendants(top, name, [&](pugi::xml_node node) { found.push_back(node); });
  return found;
}

std::string ToText(pugi::xml_node node) {
  std::string out;
  StringWriter writer(out);
  node.print(writer, kIndent, kSaveFormat);
  return out;
}

bool NamesLinkedCards(std::string_view text) {
  // The card element is the document element's first child; its own
  // "CardID" ends with its start tag, whose values (IDs, a flag) hold no '>'.
  const size_t data = text.find('<');
  const size_t card = data == std::string_view::npos ? data : text.find('<', data + 1);
  const size_t card_end = card == std::string_view::npos ? card : text.find('>', card);
  if (card_end == std::string_view::npos) return true;
  return text.find("CardID=\"", card_end) != std::string_view::npos;
}

void SaveFile(std::string_view body, const std::string& path) {
  static constexpr std::string_view kDeclaration = "<?xml version=\"1.0\"?>\n";
  const std::string temp = path + ".part";
  std::FILE* file = std::fopen(temp.c_str(), "wb");
  if (!file) ThrowWriteFailure(path, errno);
  int error = 0;
  if (std::fwrite(kDeclaration.data(), 1, kDeclaration.size(), file) != kDeclaration.size() ||
      std::fwrite(body.data(), 1, body.size(), file) != body.size()) {
    error = errno != 0 ? errno : EIO;
  }
  if (std::fflush(file) != 0 && error == 0) error = errno;
  if (error == 0 && ::fsync(::fileno(file)) != 0) error = errno;
  if (std::fclose(file) != 0 && error == 0) error = errno;
  if (error == 0 && std::rename(temp.c_str(), path.c_str()) != 0) error = errno;
  if (error != 0) {
    std::remove(temp.c_str());
    ThrowWriteFailure(path, error);
  }
}

}  // namespace vorlane::exchange
