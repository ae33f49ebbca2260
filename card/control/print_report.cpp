#include "card/control/print_report.h"

#include <string_view>
#include <unordered_map>

#include "platform/com/variant.h"
#include "platform/com/xml_text.h"
#include "vorlane/functions.h"
#include "vorlane/gate.h"
#include "vorlane/gates.h"
#include "vorlane/link.h"
#include "vorlane/links.h"
#include "vorlane/proc_function.h"
#include "vorlane/variable.h"
#include "vorlane/variables.h"

namespace card {
namespace {

std::string Text(const com::Variant& v) {
  if (v.IsEmpty() || v.IsNull()) return "";
  if (v.type() == com::Variant::Type::Array) {
    std::string out;
    for (const com::Variant& item : *v.TryArray()) out += (out.empty() ? "" : "; ") + Text(item);
    return out;
  }
  return v.ToText();
}

class Table {
 public:
  Table(std::string& out, const char* title, std::initializer_list<const char*> heads) : out_(out) {
    out_ += "<h2>" + std::string(title) + "</h2>\n<table>\n<tr>";
    for (const char* h : heads) out_ += "<th>" + std::string(h) + "</th>";
    out_ += "</tr>\n";
  }
  ~Table() { out_ += "</table>\n"; }
  void Row(std::initializer_list<std::string> cells) {
    out_ += "<tr>";
    for (const std::string& c : cells) out_ += "<td>" + text::XmlEscape(c) + "</td>";
    out_ += "</tr>\n";
  }

 private:
  std::string& out_;
};

const char* StateName(vorlane::ProcessStateEnum s) {
  switch (s) {
    case vorlane::ProcessStateEnum::NonActive: return "not active";
    case vorlane::ProcessStateEnum::Active: return "active";
    case vorlane::ProcessStateEnum::Paused: return "paused";
    case vorlane::ProcessStateEnum::Failed: return "failed";
    case vorlane::ProcessStateEnum::Finished: return "finished";
  }
  return "";
}

const char* LinkTypeName(vorlane::LinkTypeEnum t) {
  switch (t) {
    case vorlane::LinkTypeEnum::LinkSuccess: return "success";
    case vorlane::LinkTypeEnum::LinkFail: return "failure";
    case vorlane::LinkTypeEnum::LinkCompletion: return "completion";
  }
  return "";
}

}  // namespace

std::string PrintReport(vorlane::Process& process, const std::string& svg, const std::string& card_type_name) {
  std::string out =
      "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>" + text::XmlEscape(process.Name()) +
      "</title>\n<style>body{font-family:sans-serif;font-size:10pt}table{border-collapse:collapse;margin-bottom:1em}"
      "td,th{border:1px solid #888;padding:2px 6px;text-align:left;vertical-align:top}"
      ".picture svg{max-width:100%;height:auto}</style></head><body>\n";
  out += "<h1>" + text::XmlEscape(process.Name()) + "</h1>\n";
  {
    Table header(out, "Process", {"Field", "Value"});
    header.Row({"Card type", card_type_name});
    header.Row({"Description", process.Description()});
    header.Row({"Kind", process.IsTemplate() ? "template" : "instance"});
    if (!process.IsTemplate()) header.Row({"State", StateName(process.State())});
    header.Row({"Version", process.Version()});
    header.Row({"Created by", process.AuthorCreated()});
    header.Row({"Changed by", process.AuthorModified()});
    header.Row({"Responsible", process.Responsible()});
  }
  // The picture is the designer's own SVG document: it is inlined as it is.
  out += "<div class=\"picture\">" + svg + "</div>\n";
  std::unordered_map<std::string, std::string> captions;
  {
    Table functions(out, "Functions", {"Caption", "Type", "Description"});
    com::Ref<vorlane::Functions> list = process.Functions();
    for (int32_t i = 1, n = list->Count(); i <= n; ++i) {
      com::Ref<vorlane::ProcFunction> f = list->Item(com::Variant(i));
      captions[f->ID()] = f->Caption();
      functions.Row({f->Caption(), f->TypeID(), f->Description()});
    }
  }
  {
    Table gates(out, "Gates", {"Caption", "Type", "Description"});
    com::Ref<vorlane::Gates> list = process.Gates();
    for (int32_t i = 1, n = list->Count(); i <= n; ++i) {
      com::Ref<vorlane::Gate> g = list->Item(com::Variant(i));
      captions[g->ID()] = g->Caption();
      gates.Row({g->Caption(), g->TypeID(), g->Description()});
    }
  }
  {
    Table links(out, "Links", {"Caption", "From", "To", "Type"});
    com::Ref<vorlane::Links> list = process.Links();
    auto name = [&](const std::string& id) {
      auto it = captions.find(id);
      return it == captions.end() ? id : it->second;
    };
    for (int32_t i = 1, n = list->Count(); i <= n; ++i) {
      com::Ref<vorlane::Link> l = list->Item(com::Variant(i));
      links.Row({l->Caption(), name(l->Source()), name(l->Destination()),
                 std::string(LinkTypeName(l->LinkType())) + (l->Disabled() ? ", disabled" : "")});
    }
  }
  {
    Table variables(out, "Variables", {"Name", "Description", "Value"});
    com::Ref<vorlane::Variables> list = process.Variables();
    for (int32_t i = 1, n = list->Count(); i <= n; ++i) {
      com::Ref<vorlane::Variable> v = list->Item(com::Variant(i));
      variables.Row({v->Name(), v->Description(), Text(v->Value())});
    }
  }
  out += "</body></html>\n";
  return out;
}

}  // namespace card
