#include "cli/checks.h"

#include <deque>
#include <filesystem>
#include <iostream>
#include <fstream>
#include <iterator>
#include <pugixml.hpp>
#include <sstream>
#include <tuple>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "platform/com/text.h"
#include "vorlane/dict_function.h"
#include "vorlane/dict_functions.h"
#include "vorlane/dict_gate.h"
#include "vorlane/dict_gates.h"
#include "vorlane/functions.h"
#include "vorlane/gates.h"
#include "vorlane/links.h"
#include "vorlane/values.h"
#include "vorlane/variables.h"

namespace cli {
namespace {

using com::Ref;
using com::Variant;

// The card's own texts of these findings (its messages 533, 535 and 536).
constexpr char kNoStartFunction[] = "Business-process does not have starting functions.";
constexpr char kUnknownFunctionTypes[] = "Business-process has functions of unknown types: ";
constexpr char kUnknownGateTypes[] = "Business-process has gates of unknown types: ";

std::string Named(const std::string& kind, const std::string& caption, const std::string& id) {
  return kind + " '" + caption + "' " + id;
}

// Whether a stored value reads as its variable's type; Null and Empty are
// "no value" and fit any type.
bool Fits(const Variant& value, vorlane::VarTypeEnum type) {
  if (value.IsNull() || value.IsEmpty()) return true;
  try {
    switch (type) {
      case vorlane::VarTypeEnum::Integer: (void)value.ToI4(); break;
      case vorlane::VarTypeEnum::Float: (void)value.ToR8(); break;
      case vorlane::VarTypeEnum::Boolean: (void)value.ToBool(); break;
      case vorlane::VarTypeEnum::DateTime:
        // A date is stored as a date's text or as its serial number.
        if (value.TryText() && !com::TextToDate(*value.TryText())) {
          (void)value.ToR8();
        } else {
          (void)value.ToDate();
        }
        break;
      default: break;
    }
  } catch (const com::Error&) {
    // The conversion's refusal is the finding.
    return false;
  }
  return true;
}

struct Node {
  std::string kind, caption;
  bool start = false;
};

}  // namespace

std::vector<Finding> CheckProcess(vorlane::Process& process, vorlane::Dictionary& dictionary) {
  std::vector<Finding> found;
  std::unordered_map<std::string, Node> nodes;
  std::vector<std::string> order;  // nodes in the process's order, for stable output
  bool has_start = false;

  Ref<vorlane::Functions> functions = process.Functions();
  Ref<vorlane::DictFunctions> function_types = dictionary.Functions();
  for (int32_t i = 1, n = functions->Count(); i <= n; ++i) {
    Ref<vorlane::ProcFunction> f = functions->Item(Variant(i));
    Node node{"function", f->Caption()};
    try {
      node.start = function_types->Item(Variant(f->TypeID()))->IsStart();
    } catch (const com::Error&) {
      // A type the dictionary does not know is a finding, as on the card.
      found.push_back({"unknownFunctionType", "function", node.caption, f->ID(),
                       kUnknownFunctionTypes + Named("function", node.caption, f->ID()) + " (type " + f->TypeID() + ")",
                       true});
    }
    has_start = has_start || node.start;
    order.push_back(f->ID());
    nodes.emplace(order.back(), std::move(node));
  }
  Ref<vorlane::Gates> gates = process.Gates();
  Ref<vorlane::DictGates> gate_types = dictionary.Gates();
  for (int32_t i = 1, n = gates->Count(); i <= n; ++i) {
    Ref<vorlane::Gate> g = gates->Item(Variant(i));
    Node node{"gate", g->Caption()};
    try {
      gate_types->Item(Variant(g->TypeID()));
    } catch (const com::Error&) {
      // As for functions.
      found.push_back({"unknownGateType", "gate", node.caption, g->ID(),
                       kUnknownGateTypes + Named("gate", node.caption, g->ID()) + " (type " + g->TypeID() + ")", true});
    }
    order.push_back(g->ID());
    nodes.emplace(order.back(), std::move(node));
  }
  if (!has_start) found.push_back({"noStartFunction", "process", process.Name(), process.ID(), kNoStartFunction, true});

  std::unordered_map<std::string, std::vector<std::string>> next;
  Ref<vorlane::Links> links = process.Links();
  for (int32_t i = 1, n = links->Count(); i <= n; ++i) {
    Ref<vorlane::Link> l = links->Item(Variant(i));
    const std::string source = l->Source(), destination = l->Destination();
    const bool source_known = nodes.contains(source), destination_known = nodes.contains(destination);
    for (const auto& [end, known, value] : {std::tuple{"source", source_known, source},
                                            std::tuple{"destination", destination_known, destination}}) {
      if (known) continue;
      found.push_back({"danglingLink", "link", l->Caption(), l->ID(),
                       Named("link", l->Caption(), l->ID()) + ": its " + end + " " +
                           (value == "{}" ? std::string("is not set")
                                          : value + " is no function or gate of the process"),
                       false});
    }
    if (source_known && destination_known) next[source].push_back(destination);
  }

  // What no start function leads to never runs; without a start function
  // the finding above says it all.
  if (has_start) {
    std::unordered_set<std::string> reached;
    std::deque<std::string> to_visit;
    for (const std::string& id : order) {
      if (nodes[id].start && reached.insert(id).second) to_visit.push_back(id);
    }
    while (!to_visit.empty()) {
      const std::string id = std::move(to_visit.front());
      to_visit.pop_front();
      for (const std::string& to : next[id]) {
        if (reached.insert(to).second) to_visit.push_back(to);
      }
    }
    for (const std::string& id : order) {
      if (reached.contains(id)) continue;
      const Node& node = nodes[id];
      found.push_back({"unreachable", node.kind, node.caption, id,
                       Named(node.kind, node.caption, id) + " cannot be reached from a start function", false});
    }
  }

  Ref<vorlane::Variables> variables = process.Variables();
  std::unordered_map<std::string, std::string> names;  // lower-case name -> first ID
  for (int32_t i = 1, n = variables->Count(); i <= n; ++i) {
    Ref<vorlane::Variable> v = variables->Item(Variant(i));
    const std::string name = v->Name(), id = v->ID();
    auto [first, fresh] = names.emplace(text::Lower(name), id);
    if (!fresh) {
      found.push_back({"duplicateVariableName", "variable", name, id,
                       Named("variable", name, id) + " has the name of variable " + first->second, false});
    }
    const vorlane::VarTypeEnum type = v->VarType();
    std::vector<Variant> values;
    if (v->IsMultipleValued()) {
      Ref<vorlane::Values> list = v->Values();
      for (int32_t k = 1, m = list->Count(); k <= m; ++k) values.push_back(list->Item(Variant(k))->GetValue());
    } else {
      values.push_back(v->Value());
    }
    for (const Variant& value : values) {
      if (Fits(value, type)) continue;
      found.push_back({"valueDoesNotFitType", "variable", name, id,
                       Named("variable", name, id) + ": its value " + value.ToText() + " does not fit its type",
                       false});
      break;
    }
  }
  return found;
}

std::vector<Finding> StartFindings(const std::vector<Finding>& findings) {
  std::vector<Finding> out;
  for (const Finding& f : findings) {
    if (f.blocks_start) out.push_back(f);
  }
  return out;
}

namespace {

std::string DotText(const std::string& s) {
  std::string out = "\"";
  for (char c : s) {
    if (c == '"' || c == '\\') out += '\\';
    if (c == '\n') {
      out += "\\n";
      continue;
    }
    if (c == '\r') continue;
    out += c;
  }
  return out + "\"";
}

}  // namespace

std::string DotPicture(vorlane::Process& process) {
  std::string out = "digraph " + DotText(process.Name()) + " {\n  rankdir=LR;\n";
  Ref<vorlane::Functions> functions = process.Functions();
  for (int32_t i = 1, n = functions->Count(); i <= n; ++i) {
    Ref<vorlane::ProcFunction> f = functions->Item(Variant(i));
    out += "  " + DotText(f->ID()) + " [shape=box, style=rounded, label=" + DotText(f->Caption()) + "];\n";
  }
  Ref<vorlane::Gates> gates = process.Gates();
  for (int32_t i = 1, n = gates->Count(); i <= n; ++i) {
    Ref<vorlane::Gate> g = gates->Item(Variant(i));
    out += "  " + DotText(g->ID()) + " [shape=diamond, label=" + DotText(g->Caption()) + "];\n";
  }
  // Success links solid, failure links dashed and red, completion dotted,
  // as the designer's picture tells them apart.
  static const char* kStyles[] = {"solid", "dashed, color=red", "dotted"};
  Ref<vorlane::Links> links = process.Links();
  for (int32_t i = 1, n = links->Count(); i <= n; ++i) {
    Ref<vorlane::Link> l = links->Item(Variant(i));
    const int type = static_cast<int>(l->LinkType());
    out += "  " + DotText(l->Source()) + " -> " + DotText(l->Destination()) +
           " [style=" + (type >= 0 && type < 3 ? kStyles[type] : "solid") + ", label=" + DotText(l->Caption()) +
           "];\n";
  }
  return out + "}\n";
}

}  // namespace cli

namespace cli {
namespace {

// The importer's own code for data that holds no process.
constexpr com::HResult kNoProcess = com::MakeHResult(0x80040001u);

[[noreturn]] void NotAProcess(const std::string& path, const std::string& why) {
  throw com::Error(kNoProcess, "vorlane", path + " " + why);
}

std::string LineAndColumn(const std::string& data, size_t offset) {
  size_t line = 1, column = 1;
  for (size_t i = 0; i < offset && i < data.size(); ++i) {
    if (data[i] == '\n') {
      ++line;
      column = 1;
    } else if ((static_cast<unsigned char>(data[i]) & 0xC0) != 0x80) {
      ++column;  // a character, not a continuation byte
    }
  }
  return "line " + std::to_string(line) + ", column " + std::to_string(column);
}

}  // namespace

std::string CheckProcessFile(const std::string& path, uint64_t max_size) {
  namespace fs = std::filesystem;
  std::error_code ec;
  const fs::file_status status = fs::status(path, ec);
  if (!ec && status.type() != fs::file_type::regular) {
    const fs::file_type type = status.type();
    NotAProcess(path, std::string("is ") +
                          (type == fs::file_type::directory ? "a folder"
                           : type == fs::file_type::fifo    ? "a pipe"
                           : type == fs::file_type::character || type == fs::file_type::block ? "a device"
                                                                                              : "not a regular file") +
                          ": a process document is read from a file");
  }
  if (const uintmax_t size = fs::file_size(path, ec); !ec && size > max_size) {
    NotAProcess(path, "holds " + std::to_string(size) + " bytes, more than the " + std::to_string(max_size) +
                          " an import reads (--max-size)");
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) NotAProcess(path, "cannot be read");
  std::ostringstream read;
  read << in.rdbuf();
  if (in.bad()) NotAProcess(path, "cannot be read");
  std::string data = std::move(read).str();
  if (text::Trim(data).empty()) NotAProcess(path, "is empty: a process document starts with <Data>");
  if (const size_t nul = data.find('\0'); nul != std::string::npos) {
    NotAProcess(path, "is not text: it holds binary data (a zero byte at offset " + std::to_string(nul) + ")");
  }
  pugi::xml_document doc;
  const pugi::xml_parse_result parsed = doc.load_buffer(data.data(), data.size());
  if (!parsed) {
    const size_t offset = static_cast<size_t>(parsed.offset);
    // The parser stopped at the very end: the document was cut off.
    const size_t end = data.find_last_not_of(" \t\r\n") + 1;
    if (offset + 2 >= end || parsed.status == pugi::status_end_element_mismatch) {
      NotAProcess(path, "ends before its XML does (" + LineAndColumn(data, offset) + "): it may have been cut off");
    }
    NotAProcess(path, "is not XML: " + std::string(parsed.description()) + " at " + LineAndColumn(data, offset));
  }
  const pugi::xml_node root = doc.document_element();
  if (std::string(root.name()) != "Data") {
    NotAProcess(path, "is XML of another kind: its root element is <" + std::string(root.name()) +
                          ">, a process document's is <Data>");
  }
  if (!root.child("Process")) NotAProcess(path, "is a data document without a process: it has no <Process> element");
  return data;
}

}  // namespace cli

namespace cli {

void SaveStandardInput(const std::string& path, uint64_t max_size) {
  std::ofstream out(path, std::ios::binary);
  std::vector<char> buffer(1 << 16);
  uint64_t total = 0;
  while (std::cin.read(buffer.data(), static_cast<std::streamsize>(buffer.size())) || std::cin.gcount() > 0) {
    total += static_cast<uint64_t>(std::cin.gcount());
    if (total > max_size) {
      throw com::Error(kNoProcess, "vorlane",
                       "standard input holds more than the " + std::to_string(max_size) +
                           " bytes an import reads (--max-size)");
    }
    out.write(buffer.data(), std::cin.gcount());
  }
  if (!out) throw com::Error(com::hr::kFail, "vorlane", "cannot keep standard input in " + path);
}

}  // namespace cli
