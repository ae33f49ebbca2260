#include "cli/commands.h"

#include <fnmatch.h>
#include <poll.h>
#include <pthread.h>
#include <signal.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <map>
#include <sstream>
#include <optional>
#include <unistd.h>
#include <unordered_map>
#include <vector>

#include <nlohmann/json.hpp>

#include "cli/checks.h"
#include "cli/interruption.h"
#include "cli/output.h"
#include "cli/progress.h"
#include "embedded/store/schema.h"
#include "embedded/store/storage.h"
#include "embedded/web/web_server.h"
#include "platform/com/collection.h"
#include "platform/com/describe.h"
#include "platform/com/registry.h"
#include "platform/com/text.h"
#include "platform/ostrel/card_lock.h"
#include "platform/ostrel/card_manager.h"
#include "platform/ostrel/card_type.h"
#include "platform/ostrel/card_types.h"
#include "platform/ostrel/errors.h"
#include "platform/ostrel/card_update.h"
#include "platform/ostrel/process_control.h"
#include "platform/ostrel/process_manager.h"
#include "platform/designer/designer.h"
#include "vorlane/dict_function.h"
#include "vorlane/dict_functions.h"
#include "vorlane/dict_gate.h"
#include "vorlane/dict_gates.h"
#include "vorlane/dictionary.h"
#include "vorlane/instances.h"
#include "vorlane/log_reader.h"
#include "vorlane/pass_state.h"
#include "vorlane/pass_states.h"
#include "vorlane/exchange_progress.h"
#include "vorlane/process_compare.h"
#include "vorlane/exchange_limits.h"
#include "vorlane/process_import_export.h"
#include "vorlane/templates.h"
#include "vorlane/user_settings.h"

namespace cli {
namespace {

using com::Ref;
using com::Variant;

// The process card: templates and instances.
constexpr const char* kProcessCardType = ostrel::card_type::kProcess;

// The operation was not done: the person did not agree to it, or could not
// be asked (the platform's "aborted").
constexpr com::HResult kNotDone = com::MakeHResult(0x80004004u);

// What processes of this version carry, as the card writes them: a process
// with another version, or an older build, is converted when opened.
constexpr const char* kCurrentVersion = "4.1";
constexpr int16_t kCurrentBuild = 1316;

[[noreturn]] void Refuse(const std::string& text) { throw com::Error(kNotDone, "vorlane", text); }

bool IsProcessCard(ostrel::CardData& card) {
  return NormalizeID(card.GetCardType()->GetID()) == NormalizeID(kProcessCardType);
}

// The card types the store is made with on `init`.
constexpr const char* kSingleCards[] = {
    "{bdb73d05-8de1-41b2-9f3c-aa76c4d9cd64}",  // function types
    "{c1887469-3d28-4ec6-84bd-7caea7607f0c}",  // gate types
    "{DA86FABF-4DD7-4A86-B6FF-C58C24D12DE2}",  // folders
};

void Print(const std::string& s) { std::fputs(s.c_str(), stdout); }
void PrintJson(const JsonWriter& w) { Print(w.text() + "\n"); }

// Writes `data` to a temporary file beside `path` and renames it over
// `path`: a failure leaves no half-written file behind.
void WriteFileWhole(const std::string& path, const std::string& data) {
  const std::string temp = path + ".tmp";
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    out.write(data.data(), static_cast<std::streamsize>(data.size()));
    out.close();
    if (!out) {
      std::remove(temp.c_str());
      throw com::Error(com::hr::kFail, "vorlane", "cannot write " + path);
    }
  }
  std::error_code ec;
  std::filesystem::rename(temp, path, ec);
  if (ec) {
    std::remove(temp.c_str());
    throw com::Error(com::hr::kFail, "vorlane", "cannot write " + path + ": " + ec.message());
  }
}

const char* StateName(vorlane::ProcessStateEnum s) {
  switch (s) {
    case vorlane::ProcessStateEnum::NonActive: return "NonActive";
    case vorlane::ProcessStateEnum::Active: return "Active";
    case vorlane::ProcessStateEnum::Paused: return "Paused";
    case vorlane::ProcessStateEnum::Failed: return "Failed";
    case vorlane::ProcessStateEnum::Finished: return "Finished";
  }
  return "?";
}

const char* FuncStateName(vorlane::FuncStateEnum s) {
  static const char* kNames[] = {"NonActive", "Wait", "Active", "Done", "Finished", "Error",
                                 "WaitForProcessChange", "WaitForLinkedCardChange", "WaitForWeaklyLinkedCardChange"};
  const int i = static_cast<int>(s);
  return i >= 0 && i < 9 ? kNames[i] : "?";
}

const char* TemplateStateName(vorlane::TemplateStateEnum s) {
  switch (s) {
    case vorlane::TemplateStateEnum::Design: return "Design";
    case vorlane::TemplateStateEnum::InUse: return "InUse";
    case vorlane::TemplateStateEnum::Test: return "Test";
    case vorlane::TemplateStateEnum::ReadyToStart: return "ReadyToStart";
  }
  return "?";
}

const char* VarTypeName(vorlane::VarTypeEnum t) {
  static const char* kNames[] = {"Generic", "Integer", "Float", "String", "Boolean", "DateTime", "Enum"};
  int i = static_cast<int>(t);
  return i >= 0 && i < 7 ? kNames[i] : "?";
}

const char* ActionTypeName(vorlane::ActionTypeEnum t) {
  switch (t) {
    case vorlane::ActionTypeEnum::Error: return "error";
    case vorlane::ActionTypeEnum::Warning: return "warning";
    case vorlane::ActionTypeEnum::Information: return "info";
  }
  return "?";
}

// Calls `f` with items 1..Count of a collection.
template <class List, class F>
void ForEach(List& list, F f) {
  int32_t n = list.Count();
  for (int32_t i = 1; i <= n; ++i) f(list.Item(Variant(i)));
}

// The name of a function or gate type, or its ID when the dictionary does not know it.
template <class Types>
std::string TypeName(Types& types, const std::string& id) {
  try {
    return types.Item(Variant(id))->Name();
  } catch (const com::Error&) {
    // An unknown type is shown by its ID: the dictionary answers unknown types so.
    return id == "{}" ? "" : id;
  }
}

// Lists what can be read of the store's templates (or instances); each card
// that cannot be read, or whose card type the store does not know, is
// reported on its own and the rest is listed.
void ListProcesses(Context& ctx, bool templates, const ListFilter& filter) {
  vorlane::Library& lib = ctx.library();
  embedded::Store& store = ctx.store();
  struct Listed {
    std::string id, name, state;
    int32_t functions = 0;      // of a template
    std::string template_id;  // of an instance
  };
  std::vector<Listed> found;
  std::vector<std::string> unreadable;
  const com::Guid process_type(kProcessCardType);
  for (const embedded::Storage::CardEntry& entry : store.storage().ListEntries()) {
    if (entry.is_template != templates) continue;
    const std::string id = entry.id.ToString();
    if (!store.schema().Find(entry.type)) {
      unreadable.push_back(ctx.CardInStore(id) + " cannot be read: its card type " + entry.type.ToString() +
                           " is not one of the store's card types");
      continue;
    }
    if (entry.type != process_type) continue;
    try {
      Ref<vorlane::Process> p = templates ? lib.Templates()->Item(Variant(id)) : lib.Instances()->Item(Variant(id));
      if (templates) {
        found.push_back({p->ID(), p->Name(), TemplateStateName(p->TemplateState()), p->Functions()->Count(), ""});
      } else {
        found.push_back({p->ID(), p->Name(), StateName(p->State()), 0, p->TemplateProcess()});
      }
    } catch (const com::Error& e) {
      // Shown: one card that cannot be read is reported, not the listing failed.
      unreadable.push_back(ctx.CardInStore(id) + " cannot be read: " + e.ToString());
    }
  }
  // The filters: a name pattern as the shell's (without regard to case), a
  // template, a state, and how many at most.
  std::erase_if(found, [&](const Listed& l) {
    if (filter.name && ::fnmatch(filter.name->c_str(), l.name.c_str(), FNM_CASEFOLD) != 0) return true;
    if (filter.template_id && NormalizeID(l.template_id) != NormalizeID(*filter.template_id)) return true;
    if (filter.state && !text::EqualNoCase(l.state, *filter.state)) return true;
    return false;
  });
  if (filter.limit && found.size() > static_cast<size_t>(*filter.limit)) {
    found.resize(static_cast<size_t>(*filter.limit));
  }
  if (ctx.options().json) {
    JsonWriter w;
    w.BeginArray();
    for (const Listed& l : found) {
      w.BeginObject().Field("id", l.id).Field("name", l.name).Field("state", l.state);
      if (templates) {
        w.Field("functions", l.functions);
      } else {
        w.Field("templateId", l.template_id);
      }
      w.EndObject();
    }
    PrintJson(w.EndArray());
  } else if (!found.empty()) {
    Table t(templates ? std::vector<std::string>{"ID", "NAME", "STATE", "FUNCTIONS"}
                      : std::vector<std::string>{"ID", "NAME", "STATE", "TEMPLATE"});
    for (const Listed& l : found) {
      t.Add({l.id, l.name, l.state, templates ? std::to_string(l.functions) : l.template_id});
    }
    Print(t.Render());
  } else if (unreadable.empty()) {
    Print(templates ? "No templates yet. Make one with: vorlane new-template NAME\n"
                    : "No instances yet. Make one with: vorlane instance TEMPLATE-ID\n");
  }
  std::fflush(stdout);
  for (const std::string& text : unreadable) ctx.ReportFailure(text);
}

// The text of a variable's value: its values joined for a multi-valued one.
Variant VariableValue(vorlane::Variable& v) {
  if (!v.IsMultipleValued()) return v.Value();
  Variant::Array values;
  ForEach(*v.Values(), [&](Ref<vorlane::Value> value) { values.push_back(value->GetValue()); });
  return Variant(std::move(values));
}

std::string ShowValue(const Variant& v) {
  const Variant::Array* items = v.TryArray();
  if (!items) return Show(v);
  std::string out;
  for (const auto& item : *items) out += (out.empty() ? "" : ", ") + Show(item);
  return out;
}

// Reports the state a control left the instance in.
void ReportState(Context& ctx, vorlane::Process& p, const char* done) {
  if (ctx.options().json) {
    PrintJson(JsonWriter().BeginObject().Field("id", p.ID()).Field("state", StateName(p.State())).EndObject());
    return;
  }
  Print(std::string(done) + " " + p.Name() + " " + p.ID() + ": now " + StateName(p.State()) + "\n");
}


// A temporary file that is removed with this object: what a command reads
// from standard input, or writes for standard output.
class TempFile {
 public:
  TempFile() {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/vorlane-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    const int fd = ::mkstemp(name.data());
    if (fd < 0) throw com::Error(com::hr::kFail, "vorlane", "cannot make a temporary file in " + pattern);
    ::close(fd);
    path_ = name.data();
  }
  ~TempFile() { std::remove(path_.c_str()); }
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

bool ParseBoolean(const std::string& key, const std::string& value);

// A process that a command reads, named by its card's ID or by a process
// file. A file is read into a new card inside an update bracket that is
// cancelled when the command is done, so the store keeps nothing of it.
class ProcessToRead {
 public:
  ProcessToRead(Context& ctx, const std::string& id_or_file) {
    std::error_code ec;
    if (id_or_file != "-" && !std::filesystem::is_regular_file(id_or_file, ec)) {
      process_ = ctx.Process(id_or_file);
      return;
    }
    std::string file = id_or_file;
    if (id_or_file == "-") {
      input_.emplace();
      SaveStandardInput(input_->path(), ctx.options().max_size);
      file = input_->path();
    }
    CheckProcessFile(file, ctx.options().max_size);
    card_ = ctx.session().GetCardManager()->CreateCardData(kProcessCardType, ostrel::create_flag::kTemplate);
    update_ = com::Query<ostrel::CardUpdate>(card_);
    update_->BeginUpdate();
    update_->MarkCardForDeletion(card_->GetID());
    try {
      auto importer = com::Query<vorlane::ProcessImportExport>(com::CreateObject("QXVorlane.ProcessImportExport"));
      com::Query<vorlane::ExchangeLimits>(importer)->SetMaxFileSize(ctx.options().max_size);
      importer->ImportProcessEx(Ref<ostrel::Session>(&ctx.session()), card_, file, "",
                                Ref<com::Collection>(com::Make<com::KeyedList>().get()), false);
      process_ = ctx.library().GetProcess(card_->GetID(), true);
    } catch (...) {
      Cancel();
      throw;
    }
  }
  ~ProcessToRead() { Cancel(); }
  ProcessToRead(const ProcessToRead&) = delete;
  ProcessToRead& operator=(const ProcessToRead&) = delete;

  vorlane::Process& operator*() { return *process_; }
  vorlane::Process* operator->() { return process_.get(); }
  Ref<vorlane::Process> get() { return process_; }

 private:
  void Cancel() {
    if (!update_) return;
    Ref<ostrel::CardUpdate> update = std::move(update_);
    try {
      update->CancelUpdate();
    } catch (const com::Error&) {
      // Swallowed: the card was never written, and what the command
      // reports (its result or its own failure) is what matters.
    }
  }

  std::optional<TempFile> input_;
  Ref<vorlane::Process> process_;
  Ref<ostrel::CardData> card_;
  Ref<ostrel::CardUpdate> update_;
};

// Refuses a start, or an instance, of a process with findings that keep it
// from starting, as the card does; `force` lets the platform decide.
void CheckStartable(Context& ctx, vorlane::Process& p, bool force, const std::string& what) {
  if (force) return;
  const std::vector<Finding> blocking = StartFindings(CheckProcess(p, *ctx.library().Dictionary()));
  if (blocking.empty()) return;
  std::string text = "cannot " + what + " '" + p.Name() + "': it cannot start.";
  for (const Finding& f : blocking) text += "\n  " + f.text;
  text += "\nMend the process (vorlane validate " + p.ID() + "), or run with --force to let the server decide.";
  throw com::Error(kNotDone, "vorlane", text);
}

}  // namespace

void Init(Context& ctx) {
  auto manager = ctx.session().GetCardManager();
  for (const char* type : kSingleCards) manager->GetDictionaryData(type);
  ctx.library().UserSettings();
  if (ctx.options().json) {
    PrintJson(JsonWriter().BeginObject().Field("store", ctx.options().store).EndObject());
    return;
  }
  auto dictionary = ctx.library().Dictionary();
  Print("Store " + ctx.options().store + " is ready: " + std::to_string(dictionary->Functions()->Count()) +
        " function types, " + std::to_string(dictionary->Gates()->Count()) + " gate types.\n");
}

void ListTemplates(Context& ctx, const ListFilter& filter) { ListProcesses(ctx, true, filter); }
void ListInstances(Context& ctx, const ListFilter& filter) { ListProcesses(ctx, false, filter); }

void ListTypes(Context& ctx) {
  Ref<vorlane::Dictionary> dictionary = ctx.library().Dictionary();
  struct Type {
    std::string kind, id, name, notes;
  };
  std::vector<Type> types;
  ForEach(*dictionary->Functions(), [&](Ref<vorlane::DictFunction> f) {
    std::string notes = f->IsStart() ? "start" : (f->IsStop() ? "stop" : "");
    types.push_back({"function", f->ID(), f->Name(), notes});
  });
  ForEach(*dictionary->Gates(), [&](Ref<vorlane::DictGate> g) { types.push_back({"gate", g->ID(), g->Name(), ""}); });
  if (ctx.options().json) {
    JsonWriter w;
    w.BeginArray();
    for (const Type& t : types) {
      w.BeginObject().Field("kind", t.kind).Field("id", t.id).Field("name", t.name);
      w.Field("isStart", t.notes == "start").Field("isStop", t.notes == "stop").EndObject();
    }
    PrintJson(w.EndArray());
    return;
  }
  Table t({"KIND", "NAME", "ID", ""});
  for (const Type& type : types) t.Add({type.kind, type.name, type.id, type.notes});
  Print(t.Render());
}

void ShowProcess(Context& ctx, const std::string& id) {
  Ref<vorlane::Process> p = ctx.Process(id);
  auto dictionary = ctx.library().Dictionary();
  auto func_types = dictionary->Functions();
  auto gate_types = dictionary->Gates();
  // Node names for the links: functions and gates by ID, looked up once per
  // end of a link, so the table costs what the process holds.
  std::unordered_map<std::string, std::string> nodes;
  auto node_name = [&](const std::string& node_id) {
    auto found = nodes.find(node_id);
    return found == nodes.end() ? node_id : found->second;
  };

  JsonWriter w;
  const bool json = ctx.options().json;
  std::string out;
  if (json) {
    w.BeginObject().Field("id", p->ID()).Field("name", p->Name()).Field("isTemplate", p->IsTemplate());
    if (p->IsTemplate()) {
      w.Field("state", TemplateStateName(p->TemplateState()));
    } else {
      w.Field("state", StateName(p->State()))
          .Field("templateId", p->TemplateProcess())
          .Field("startedBy", p->StartedBy())
          .Key("dateBegin");
      WriteJsonDate(w, p->DateBegin());
    }
    w.Field("description", p->Digest()).Field("version", p->Version()).Field("build", int32_t{p->BuildNumber()});
  } else {
    out += (p->IsTemplate() ? "Template " : "Instance ") + p->Name() + "\n";
    Table head({"", ""});
    head.Add({"ID", p->ID()});
    head.Add({"Shown as", p->Digest()});
    if (p->IsTemplate()) {
      head.Add({"State", TemplateStateName(p->TemplateState())});
    } else {
      head.Add({"State", StateName(p->State())});
      head.Add({"Template", p->TemplateProcess()});
      head.Add({"Started by", p->StartedBy()});
      head.Add({"Began", ShowDate(p->DateBegin())});
    }
    head.Add({"Modified", ShowDate(p->DateModified())});
    head.Add({"Version", (p->Version().empty() ? std::string("(none)") : p->Version()) + ", build " +
                             std::to_string(p->BuildNumber())});
    std::string h = head.Render("  ");
    out += h.substr(h.find('\n') + 1);  // no header line for the key/value block
  }

  // Type names by type ID: a process has many functions of a few types.
  std::unordered_map<std::string, std::string> type_names;
  auto function_type_name = [&](const std::string& type_id) -> const std::string& {
    auto found = type_names.find(type_id);
    if (found == type_names.end()) found = type_names.emplace(type_id, TypeName(*func_types, type_id)).first;
    return found->second;
  };
  // An instance says where it stands: each function's passes and their
  // states, the last pass in the table.
  const bool instance = !p->IsTemplate();
  Table functions(instance ? std::vector<std::string>{"CAPTION", "TYPE", "STATE", "ID"}
                           : std::vector<std::string>{"CAPTION", "TYPE", "ID"});
  if (json) w.Key("functions").BeginArray();
  // Each property is one field read: read once, used where needed.
  ForEach(*p->Functions(), [&](Ref<vorlane::ProcFunction> f) {
    const std::string fid = f->ID(), caption = f->Caption();
    nodes.emplace(fid, caption);
    std::string type = function_type_name(f->TypeID());
    std::vector<std::pair<int32_t, const char*>> passes;
    if (instance) {
      ForEach(*f->States(),
              [&](Ref<vorlane::PassState> s) { passes.emplace_back(s->Pass(), FuncStateName(s->State())); });
    }
    if (json) {
      w.BeginObject().Field("id", fid).Field("caption", caption).Field("type", type);
      if (instance) {
        w.Key("passes").BeginArray();
        for (const auto& [pass, state] : passes) w.BeginObject().Field("pass", pass).Field("state", state).EndObject();
        w.EndArray();
      }
      w.EndObject();
    }
    if (!instance) {
      functions.Add({caption, type, fid});
    } else {
      const std::string stands = passes.empty() ? std::string("not reached")
                                                : std::string(passes.back().second) + " (pass " +
                                                      std::to_string(passes.back().first) + ")";
      functions.Add({caption, type, stands, fid});
    }
  });
  if (json) w.EndArray();

  Table gates({"CAPTION", "TYPE", "ID"});
  if (json) w.Key("gates").BeginArray();
  ForEach(*p->Gates(), [&](Ref<vorlane::Gate> g) {
    nodes.emplace(g->ID(), g->Caption());
    std::string type = TypeName(*gate_types, g->TypeID());
    if (json) w.BeginObject().Field("id", g->ID()).Field("caption", g->Caption()).Field("type", type).EndObject();
    gates.Add({g->Caption(), type, g->ID()});
  });
  if (json) w.EndArray();

  Table links({"FROM", "TO", "KIND"});
  static const char* kLinkKinds[] = {"success", "fail", "completion"};
  if (json) w.Key("links").BeginArray();
  ForEach(*p->Links(), [&](Ref<vorlane::Link> l) {
    int kind = static_cast<int>(l->LinkType());
    const char* kind_name = kind >= 0 && kind < 3 ? kLinkKinds[kind] : "?";
    const std::string source = l->Source(), destination = l->Destination();
    if (json) {
      w.BeginObject().Field("id", l->ID()).Field("source", source).Field("destination", destination);
      w.Field("kind", kind_name).EndObject();
    }
    links.Add({node_name(source), node_name(destination), kind_name});
  });
  if (json) w.EndArray();

  Table variables({"NAME", "TYPE", "VALUE"});
  if (json) w.Key("variables").BeginArray();
  ForEach(*p->Variables(), [&](Ref<vorlane::Variable> v) {
    Variant value = VariableValue(*v);
    if (json) {
      w.BeginObject().Field("id", v->ID()).Field("name", v->Name()).Field("type", VarTypeName(v->VarType()));
      w.Key("value");
      WriteJson(w, value);
      w.EndObject();
    }
    variables.Add({v->Name(), VarTypeName(v->VarType()), ShowValue(value)});
  });
  if (json) {
    PrintJson(w.EndArray().EndObject());
    return;
  }
  auto block = [&](const char* title, const Table& t) {
    out += std::string("\n") + title + (t.empty() ? ": none\n" : "\n" + t.Render("  "));
  };
  block("Functions", functions);
  block("Gates", gates);
  block("Links", links);
  block("Variables", variables);
  Print(out);
}

void Validate(Context& ctx, const std::string& id_or_file) {
  ProcessToRead p(ctx, id_or_file);
  const std::vector<Finding> findings = CheckProcess(*p, *ctx.library().Dictionary());
  if (ctx.options().json) {
    JsonWriter w;
    w.BeginObject().Field("id", p->ID()).Field("name", p->Name()).Field("valid", findings.empty());
    w.Key("findings").BeginArray();
    for (const Finding& f : findings) {
      w.BeginObject().Field("rule", f.rule).Field("kind", f.kind).Field("caption", f.caption).Field("id", f.id);
      w.Field("blocksStart", f.blocks_start).Field("message", f.text).EndObject();
    }
    PrintJson(w.EndArray().EndObject());
  } else if (findings.empty()) {
    Print("Process '" + p->Name() + "' " + p->ID() + ": no findings.\n");
  } else {
    std::string out = "Process '" + p->Name() + "' " + p->ID() + ": " + std::to_string(findings.size()) +
                      (findings.size() == 1 ? " finding" : " findings") + ":\n";
    for (const Finding& f : findings) out += std::string(f.blocks_start ? "  [start] " : "  ") + f.text + "\n";
    Print(out);
  }
  std::fflush(stdout);
  if (!findings.empty()) ctx.MarkFailed();
}

namespace {

// A process document: the one a file holds, or the one an export of the
// card would write.
std::string ProcessText(Context& ctx, const std::string& id_or_file) {
  std::error_code ec;
  if (std::filesystem::exists(id_or_file, ec)) return CheckProcessFile(id_or_file, ctx.options().max_size);
  auto exporter = com::Query<vorlane::ProcessImportExport>(com::CreateObject("QXVorlane.ProcessImportExport"));
  return exporter->SerializeProcess(Ref<ostrel::Session>(&ctx.session()), ctx.Card(id_or_file));
}

// A field's value quoted for a terminal: control characters written as
// escapes, so that stored text cannot move the cursor or recolour it.
std::string Quoted(const std::string& value) {
  std::string out = "\"";
  for (unsigned char c : value) {
    if (c == '\n') out += "\\n";
    else if (c == '\t') out += "\\t";
    else if (c == '"' || c == '\\') out += std::string("\\") + static_cast<char>(c);
    else if (c < 0x20 || c == 0x7F) {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02X", c);
      out += hex;
    } else out += static_cast<char>(c);
  }
  return out + "\"";
}

}  // namespace

void Diff(Context& ctx, const std::string& before, const std::string& after) {
  const std::string before_text = ProcessText(ctx, before);
  const std::string after_text = ProcessText(ctx, after);
  auto compare = com::Query<vorlane::ProcessCompare>(com::CreateObject("QXVorlane.ProcessCompare"));
  const std::string result = compare->Compare(before_text, after_text);
  const nlohmann::json diff = nlohmann::json::parse(result);
  if (ctx.options().json) {
    Print(result + "\n");
  } else {
    std::string out = "Comparing '" + diff["before"]["name"].get<std::string>() + "' " +
                      diff["before"]["id"].get<std::string>() + " with '" + diff["after"]["name"].get<std::string>() +
                      "' " + diff["after"]["id"].get<std::string>() + "\n";
    static const std::map<std::string, std::string> marks = {
        {"added", "+"}, {"removed", "-"}, {"changed", "~"}, {"moved", ">"}};
    for (const auto& d : diff["differences"]) {
      const std::string change = d["change"];
      out += "  " + marks.at(change) + " " + change + " " + d["kind"].get<std::string>();
      if (d["kind"] != "process") out += " " + Quoted(d["caption"]) + " " + d["id"].get<std::string>();
      std::string fields;
      for (const auto& f : d["fields"]) {
        fields += (fields.empty() ? ": " : "; ") + f["name"].get<std::string>() + " " + Quoted(f["before"]) + " -> " +
                  Quoted(f["after"]);
      }
      out += fields + "\n";
    }
    const auto& counts = diff["counts"];
    const size_t total = diff["differences"].size();
    if (total == 0) {
      out += "The processes do not differ.\n";
    } else {
      out += std::to_string(total) + (total == 1 ? " difference: " : " differences: ") +
             std::to_string(counts["added"].get<int>()) + " added, " + std::to_string(counts["removed"].get<int>()) +
             " removed, " + std::to_string(counts["changed"].get<int>()) + " changed, " +
             std::to_string(counts["moved"].get<int>()) + " moved\n";
    }
    Print(out);
  }
  std::fflush(stdout);
  // As diff does: the exit status says whether they differ.
  if (!diff["differences"].empty()) ctx.MarkFailed();
}

void Render(Context& ctx, const std::string& id_or_file, PictureFormat format, const std::string& output) {
  ProcessToRead p(ctx, id_or_file);
  std::string picture;
  if (format == PictureFormat::Dot) {
    picture = DotPicture(*p);
  } else {
    // The designer's own picture, as its export draws it.
    auto designer = com::Query<designer::Designer>(com::CreateObject("QXDesigner.Designer"));
    designer->Initialize(Variant(Ref<com::Unknown>(static_cast<com::Unknown*>(&ctx.session()))), Variant(),
                         Variant(Ref<com::Unknown>(static_cast<com::Unknown*>(&ctx.library()))),
                         Variant(Ref<com::Unknown>(static_cast<com::Unknown*>(p.get().get()))), 0);
    designer->ShowLinkText(true);  // a rendering shows what the links say
    picture = designer->Picture();
    designer->Shutdown();
  }
  if (output.empty() || output == "-") {
    Print(picture);
    return;
  }
  WriteFileWhole(output, picture);
  if (ctx.options().json) {
    PrintJson(JsonWriter().BeginObject().Field("id", p->ID()).Field("file", output).EndObject());
    return;
  }
  Print("Rendered " + p->Name() + " " + p->ID() + " to " + output + "\n");
}

void NewTemplate(Context& ctx, const std::string& name) {
  Ref<vorlane::Process> p = ctx.library().Templates()->AddNew();
  p->SetName(name);
  // What the card writes into a template it makes, so that the card does
  // not take it for one of an older version.
  p->SetVersion(kCurrentVersion);
  p->SetBuildNumber(kCurrentBuild);
  if (ctx.options().json) {
    PrintJson(JsonWriter().BeginObject().Field("id", p->ID()).Field("name", name).EndObject());
    return;
  }
  Print("Created template " + name + " " + p->ID() + "\n");
}

namespace {

// A value typed on the command line, as its variable's type takes it.
Variant TypedValue(const std::string& variable, vorlane::VarTypeEnum type, const std::string& given) {
  auto refuse = [&](const char* what) -> Variant {
    throw com::Error(com::hr::kTypeMismatch, "vorlane",
                     "variable " + variable + " holds " + what + ": \"" + given + "\" is not one");
  };
  try {
    switch (type) {
      case vorlane::VarTypeEnum::Integer: return Variant(Variant(given).ToI4());
      case vorlane::VarTypeEnum::Float: return Variant(Variant(given).ToR8());
      case vorlane::VarTypeEnum::Boolean: return Variant(ParseBoolean(variable, given));
      case vorlane::VarTypeEnum::DateTime:
        if (auto date = com::TextToDate(given)) return Variant(*date);
        return refuse("a date");
      default: return Variant(given);
    }
  } catch (const com::Error& e) {
    // Told in the terms of the variable; the code stays the conversion's.
    if (e.source() == "vorlane") throw;
    return refuse(type == vorlane::VarTypeEnum::Integer ? "an integer" : "a number");
  }
}

}  // namespace

void NewInstance(Context& ctx, const std::string& template_id, const std::string& name, bool force,
                 const std::vector<std::string>& assignments) {
  Ref<vorlane::Process> tmpl = ctx.Process(template_id);
  CheckStartable(ctx, *tmpl, force, "make an instance of");
  // Every NAME=VALUE is checked against the template before anything is made.
  std::vector<std::pair<std::string, Variant>> values;
  for (const std::string& assignment : assignments) {
    const size_t eq = assignment.find('=');
    if (eq == std::string::npos || eq == 0) {
      throw com::Error(com::hr::kInvalidArg, "vorlane", "--var takes NAME=VALUE, not \"" + assignment + "\"");
    }
    const std::string var_name = assignment.substr(0, eq);
    Ref<vorlane::Variable> found;
    std::string known;
    ForEach(*tmpl->Variables(), [&](Ref<vorlane::Variable> v) {
      known += (known.empty() ? "" : ", ") + v->Name();
      if (!found && text::EqualNoCase(v->Name(), var_name)) found = v;
    });
    if (!found) {
      throw com::Error(com::hr::kInvalidArg, "vorlane",
                       "template '" + tmpl->Name() + "' has no variable " + var_name +
                           (known.empty() ? std::string(": it has none") : "; its variables are " + known));
    }
    values.emplace_back(found->Name(), TypedValue(found->Name(), found->VarType(), assignment.substr(eq + 1)));
  }
  Ref<vorlane::Process> p = ctx.library().CreateProcess(tmpl->ID());
  try {
    // An instance is named after its template unless told otherwise.
    p->SetName(name.empty() ? "Process instance " + tmpl->Name() : name);
    for (const auto& [var_name, value] : values) {
      ForEach(*p->Variables(), [&](Ref<vorlane::Variable> v) {
        if (v->Name() == var_name) v->SetValue(value);
      });
    }
  } catch (...) {
    // No half-made instance stays behind.
    ctx.library().DeleteProcess(p->ID());
    throw;
  }
  if (ctx.options().json) {
    PrintJson(JsonWriter().BeginObject().Field("id", p->ID()).Field("name", p->Name()).Field("templateId", tmpl->ID())
                  .EndObject());
    return;
  }
  Print("Created instance " + p->Name() + " " + p->ID() + " of template " + tmpl->Name() + "\n");
}

void Control(Context& ctx, const std::string& id, ControlAction action, bool force) {
  Ref<ostrel::CardData> card = ctx.Card(id);
  if (action == ControlAction::Start && IsProcessCard(*card)) {
    CheckStartable(ctx, *ctx.Process(card->GetID()), force, "start");
  }
  Ref<ostrel::ProcessControl> control = ctx.session().GetProcessManager()->GetProcessControl(card->GetID());
  const char* done = "";
  const char* verb = "";
  // The server's refusal, in the terms of the command: what the instance's
  // state is, and what would help.
  auto refused = [&](const com::Error& e) {
    Ref<vorlane::Process> p = ctx.Process(card->GetID());
    p->Refresh(true);
    const vorlane::ProcessStateEnum state = p->State();
    std::string why;
    if (action == ControlAction::Pause && state != vorlane::ProcessStateEnum::Active) {
      why = "it is not running (state " + std::string(StateName(state)) + "). Start it first.";
    } else if (action == ControlAction::Resume && state != vorlane::ProcessStateEnum::Paused) {
      why = "it is not paused (state " + std::string(StateName(state)) + ").";
    } else if (action == ControlAction::Stop && state != vorlane::ProcessStateEnum::Active &&
               state != vorlane::ProcessStateEnum::Paused) {
      why = "it is not running (state " + std::string(StateName(state)) + ").";
    } else {
      why = "the workflow server refused: " + Context::PeopleText(e);
    }
    return com::Error(e.code(), e.source(), std::string("cannot ") + verb + " '" + p->Name() + "': " + why);
  };
  verb = action == ControlAction::Start ? "start" : action == ControlAction::Pause ? "pause"
       : action == ControlAction::Resume ? "resume" : "stop";
  try {
  switch (action) {
    case ControlAction::Start:
      com::Query<ostrel::ProcessControlEx>(control)->SetStartOption(false);
      control->Start();
      done = "Started";
      break;
    case ControlAction::Pause:
      control->Pause();
      done = "Paused";
      break;
    case ControlAction::Resume:
      control->Resume();
      done = "Resumed";
      break;
    case ControlAction::Stop:
      control->Stop();
      done = "Stopped";
      break;
  }
  } catch (const com::Error& e) {
    // Told again in the command's terms, with the server's code.
    if (e.code() != ostrel::err::kRefused) throw;
    throw refused(e);
  }
  Ref<vorlane::Process> p = ctx.Process(card->GetID());
  p->Refresh(true);  // the server wrote the state in a session of its own
  ReportState(ctx, *p, done);
}

namespace {

void WriteMessageJson(JsonWriter& w, vorlane::LogMessage& m) {
  w.BeginObject().Key("date");
  WriteJsonDate(w, m.MessageDate());
  w.Field("type", ActionTypeName(m.ActionType()));
  w.Field("action", m.Action()).Field("change", m.ChangeState()).Field("function", m.FunctionName());
  w.Field("message", m.Message()).EndObject();
}

// One message on a line of its own, as `log --follow` prints them.
std::string MessageLine(vorlane::LogMessage& m) {
  return ShowDate(m.MessageDate()) + "  " + ActionTypeName(m.ActionType()) + "  " + m.Action() + "  " +
         m.ChangeState() + "  " + m.Message() + "\n";
}

}  // namespace

void ShowLog(Context& ctx, const std::string& id, int tail, bool follow) {
  Ref<vorlane::Process> p = ctx.Process(id);
  Ref<vorlane::LogReader> reader = p->GetLogReader();
  std::vector<Ref<vorlane::LogMessage>> messages;
  size_t read = 0;
  while (reader->Read()) {
    messages.push_back(reader->Current());
    ++read;
    // Only the last `tail` messages are kept, so a long log costs no more
    // memory; a negative tail keeps them all.
    if (tail >= 0 && messages.size() > static_cast<size_t>(tail)) messages.erase(messages.begin());
  }
  if (follow) {
    // The log as it grows, until Ctrl-C or SIGTERM: one message a line (one
    // JSON object a line with --json), the log read again every second.
    InterruptionGuard interruption;
    const bool json = ctx.options().json;
    auto print = [&](vorlane::LogMessage& m) {
      if (json) {
        JsonWriter w;
        WriteMessageJson(w, m);
        PrintJson(w);
      } else {
        Print(MessageLine(m));
      }
    };
    for (auto& m : messages) print(*m);
    std::fflush(stdout);
    const std::string card_id = p->ID();
    while (!InterruptionGuard::Signal()) {
      ::poll(nullptr, 0, 1000);  // a signal ends the wait at once
      if (InterruptionGuard::Signal()) break;
      p->Refresh(true);  // the server writes the log in a session of its own
      Ref<vorlane::LogReader> again = p->GetLogReader();
      size_t seen = 0;
      while (again->Read()) {
        if (++seen > read) print(*again->Current());
      }
      read = std::max(read, seen);
      std::fflush(stdout);
    }
    return;
  }
  if (ctx.options().json) {
    JsonWriter w;
    w.BeginArray();
    for (auto& m : messages) WriteMessageJson(w, *m);
    PrintJson(w.EndArray());
    return;
  }
  if (tail == 0) return;
  if (messages.empty()) {
    Print("The log of " + p->Name() + " is empty.\n");
    return;
  }
  Table t({"DATE", "TYPE", "ACTION", "CHANGE", "MESSAGE"});
  for (auto& m : messages) {
    t.Add({ShowDate(m->MessageDate()), ActionTypeName(m->ActionType()), m->Action(), m->ChangeState(), m->Message()});
  }
  Print(t.Render());
}

void Export(Context& ctx, const std::string& id, const std::string& given_file, bool sub_processes) {
  // "-" is standard output: the document is written to a file first, so
  // that a failure prints nothing half-made.
  std::optional<TempFile> output;
  if (given_file == "-") {
    if (ctx.options().json) {
      throw com::Error(com::hr::kInvalidArg, "vorlane", "--json and the file - both want standard output");
    }
    output.emplace();
  }
  const std::string file = output ? output->path() : given_file;
  Ref<ostrel::CardData> card = ctx.Card(id);
  auto exporter = com::Query<vorlane::ProcessImportExport>(com::CreateObject("QXVorlane.ProcessImportExport"));
  Progress progress("Exporting");
  if (auto hook = com::TryQuery<vorlane::ExchangeProgress>(exporter)) {
    hook->SetProgressCallback([&](int64_t done, int64_t total) { progress.Update(done, total); });
  }
  exporter->ExportProcessEx(Ref<ostrel::Session>(&ctx.session()), card, file, sub_processes);
  if (output) {
    std::ifstream in(file, std::ios::binary);
    std::cout << in.rdbuf();
    std::cout.flush();
    return;
  }
  if (ctx.options().json) {
    PrintJson(JsonWriter().BeginObject().Field("id", card->GetID()).Field("file", file).EndObject());
    return;
  }
  Print("Exported " + card->GetDescription() + " " + card->GetID() + " to " + file + "\n");
}

void Import(Context& ctx, const std::string& given_file, const std::string& into, bool sub_processes) {
  const std::string nothing = "interrupted: nothing was imported";
  InterruptionGuard interruption;
  // "-" is standard input, kept in a file for the importer to read.
  std::optional<TempFile> input;
  if (given_file == "-") {
    input.emplace();
    SaveStandardInput(input->path(), ctx.options().max_size);
    InterruptionGuard::Check(nothing);
  }
  const std::string file = input ? input->path() : given_file;
  ctx.session();  // a missing store is told before anything about the file
  CheckProcessFile(file, ctx.options().max_size);
  Ref<ostrel::CardData> card;
  const bool made = into.empty();
  if (made) {
    card = ctx.session().GetCardManager()->CreateCardData(kProcessCardType, ostrel::create_flag::kTemplate);
  } else {
    card = ctx.Card(into);
    const std::string where = ctx.CardInStore(card->GetID());
    if (!IsProcessCard(*card)) Refuse(where + " is not a process card: a process file is imported into a template");
    if (!card->GetIsTemplate()) {
      Refuse(where + " is a process instance: an import replaces the content of a template only. "
                     "Import the file as a new template: vorlane import " + file);
    }
    const std::string what = "Importing " + file + " replaces the content of template " + card->GetDescription() +
                             " (" + where + ")";
    if (!ctx.options().yes) {
      if (!CanAsk()) Refuse(what + "; run with --yes to do it without a question");
      if (!Ask(what + ". Go on? [y/N] ", nothing)) Refuse("nothing was imported");
    }
  }
  // The import is one bracket: the new card is marked for deletion until
  // the import succeeded, so that a failure of any kind, or a signal,
  // takes it away again with the cards the import made.
  Ref<ostrel::CardUpdate> update = com::Query<ostrel::CardUpdate>(card);
  update->BeginUpdate();
  auto created = com::Make<com::KeyedList>();
  try {
    if (made) update->MarkCardForDeletion(card->GetID());
    InterruptionGuard::Check(nothing);
    auto importer = com::Query<vorlane::ProcessImportExport>(com::CreateObject("QXVorlane.ProcessImportExport"));
    com::Query<vorlane::ExchangeLimits>(importer)->SetMaxFileSize(ctx.options().max_size);
    Progress progress("Importing");
    if (auto hook = com::TryQuery<vorlane::ExchangeProgress>(importer)) {
      hook->SetProgressCallback([&](int64_t done, int64_t total) {
        InterruptionGuard::Check(nothing);
        progress.Update(done, total);
      });
    }
    importer->ImportProcessEx(Ref<ostrel::Session>(&ctx.session()), card, file, "",
                              Ref<com::Collection>(created.get()), sub_processes);
    // A file exported from an instance says so; what it is imported into
    // is a template all the same.
    if (!card->GetIsTemplate()) card->SetIsTemplate(true);
    InterruptionGuard::Check(nothing);
    update->UpdateNow();  // ends the marks: the cards are written now
    update->EndUpdate();
  } catch (...) {
    try {
      update->CancelUpdate();
    } catch (const com::Error&) {
      // Swallowed: the failure that stopped the import is the one reported.
    }
    InterruptionGuard::Check(nothing);
    throw;
  }
  if (ctx.options().json) {
    JsonWriter w;
    w.BeginObject().Field("id", card->GetID()).Field("name", card->GetDescription()).Key("created").BeginArray();
    for (size_t i = 0; i < created->size(); ++i) w.String(created->at(i).ToText());
    PrintJson(w.EndArray().EndObject());
  } else {
    Print("Imported " + file + " into " + card->GetDescription() + " " + card->GetID() + "\n");
    if (created->size() > 0) Print("  and made " + std::to_string(created->size()) + " linked card(s)\n");
  }
  std::fflush(stdout);
  InterruptionGuard::Check("interrupted after the import had finished: " + file + " was imported into " +
                           card->GetID());
}

namespace {

// What deleting a process card ends beyond the card itself, each as a
// clause for the person to read; empty when it ends nothing else.
std::vector<std::string> WhatDeletingEnds(Context& ctx, ostrel::CardData& card) {
  std::vector<std::string> ends;
  const std::string id = card.GetID();
  Ref<vorlane::Process> p = ctx.library().GetProcess(id, card.GetIsTemplate());
  if (card.GetIsTemplate()) {
    int instances = 0;
    for (const com::Guid& instance : ctx.store().storage().ListByTemplate(com::Guid(kProcessCardType), false)) {
      try {
        if (NormalizeID(ctx.library().Instances()->Item(Variant(instance.ToString()))->TemplateProcess()) == id) {
          ++instances;
        }
      } catch (const com::Error&) {
        // Ignored: an instance that cannot be read is not counted; listing
        // the instances reports it.
      }
    }
    if (instances > 0) {
      ends.push_back("it is the template of " + std::to_string(instances) +
                     (instances == 1 ? " instance, which loses it" : " instances, which lose it"));
    }
  } else {
    const vorlane::ProcessStateEnum state = p->State();
    if (state == vorlane::ProcessStateEnum::Active || state == vorlane::ProcessStateEnum::Paused) {
      ends.push_back(std::string("it is a running instance (") + StateName(state) + "), whose run ends");
    }
  }
  const int32_t lock = com::Query<ostrel::CardLock>(&card)->GetLockStatus();
  if (lock != ostrel::lock_status::kFree && lock != ostrel::lock_status::kThisSession) {
    ends.push_back("another session (" + com::Query<ostrel::CardLock>(&card)->GetLockOwner() +
                   ") is editing it, and its changes are lost");
  }
  return ends;
}

}  // namespace

void Delete(Context& ctx, const std::string& id) {
  Ref<ostrel::CardData> card = ctx.Card(id);
  std::string card_id = card->GetID(), name = card->GetDescription();
  const std::string where = ctx.CardInStore(card_id);
  if (!IsProcessCard(*card)) {
    Refuse(where + " is not a process card (it is a card of type " + card->GetCardType()->GetName() +
           "): delete removes templates and instances only");
  }
  const char* kind = card->GetIsTemplate() ? "template" : "instance";
  const std::vector<std::string> ends = WhatDeletingEnds(ctx, *card);
  std::string said;
  for (const std::string& clause : ends) said += (said.empty() ? "" : "; ") + clause;
  const std::string what = "Deleting " + std::string(kind) + " " + name + " (" + where + ")";
  if (!ctx.options().yes) {
    if (!ends.empty()) Refuse(what + " does more than that: " + said + ". Run with --yes to delete it all the same");
    if (CanAsk() && !Ask(what + ". Go on? [y/N] ", "interrupted: nothing was deleted")) {
      Refuse("nothing was deleted");
    }
  }
  card.reset();
  ctx.library().DeleteProcess(card_id);
  if (ctx.options().json) {
    PrintJson(JsonWriter().BeginObject().Field("deleted", card_id).EndObject());
    return;
  }
  Print("Deleted " + std::string(kind) + " " + name + " " + card_id + (said.empty() ? "" : ": " + said) + "\n");
}

namespace {

struct Setting {
  const char* name;
  const char* json_key;
  bool (vorlane::UserSettings::*get)();
  void (vorlane::UserSettings::*set)(bool);
};

constexpr Setting kSettings[] = {
    {"ShowExportDialog", "showExportDialog", &vorlane::UserSettings::ShowExportDialog,
     &vorlane::UserSettings::SetShowExportDialog},
    {"ShowImportDialog", "showImportDialog", &vorlane::UserSettings::ShowImportDialog,
     &vorlane::UserSettings::SetShowImportDialog},
    {"ExportWithSubprocesses", "exportWithSubprocesses", &vorlane::UserSettings::ExportWithSubprocesses,
     &vorlane::UserSettings::SetExportWithSubprocesses},
    {"ImportWithSubprocesses", "importWithSubprocesses", &vorlane::UserSettings::ImportWithSubprocesses,
     &vorlane::UserSettings::SetImportWithSubprocesses},
};

const Setting& FindSetting(const std::string& key) {
  for (const Setting& setting : kSettings) {
    if (text::EqualNoCase(setting.name, key) || text::EqualNoCase(setting.json_key, key)) return setting;
  }
  throw com::Error(com::hr::kInvalidArg, "vorlane",
                   "there is no setting " + key +
                       "; the settings are ShowExportDialog, ShowImportDialog, ExportWithSubprocesses, "
                       "ImportWithSubprocesses");
}

// A yes-or-no as people and scripts write it.
bool ParseBoolean(const std::string& key, const std::string& value) {
  const std::string v = text::Lower(text::Trim(value));
  if (v == "true" || v == "yes" || v == "1" || v == "on") return true;
  if (v == "false" || v == "no" || v == "0" || v == "off") return false;
  throw com::Error(com::hr::kInvalidArg, "vorlane",
                   key + " is true or false (or yes/no, 1/0), not \"" + value + "\"");
}

}  // namespace

bool SubprocessesByDefault(Context& ctx, bool for_export) {
  Ref<vorlane::UserSettings> s = ctx.library().UserSettings();
  return for_export ? s->ExportWithSubprocesses() : s->ImportWithSubprocesses();
}

void Settings(Context& ctx, const std::string& key, const std::optional<std::string>& value) {
  Ref<vorlane::UserSettings> s = ctx.library().UserSettings();
  if (!key.empty()) {
    const Setting& setting = FindSetting(key);
    if (value) ((*s).*(setting.set))(ParseBoolean(setting.name, *value));
    const bool now = ((*s).*(setting.get))();
    if (ctx.options().json) {
      PrintJson(JsonWriter().BeginObject().Field(setting.json_key, now).EndObject());
    } else {
      Print(std::string(now ? "true" : "false") + "\n");
    }
    return;
  }
  if (ctx.options().json) {
    JsonWriter w;
    w.BeginObject();
    for (const Setting& setting : kSettings) w.Field(setting.json_key, ((*s).*(setting.get))());
    PrintJson(w.EndObject());
    return;
  }
  Table t({"SETTING", "VALUE"});
  for (const Setting& setting : kSettings) t.Add({setting.name, ((*s).*(setting.get))() ? "true" : "false"});
  Print(t.Render());
}

}  // namespace cli

namespace cli {
namespace {

// The converter's progress bar: what it sets, drawn on stderr.
class ProgressBar : public virtual com::Dispatch {
 public:
  static constexpr com::Guid kIID{"{D35B0E72-9A41-4C8F-B6E2-1F07A4C9E836}"};
  static const com::TypeInfo& DispatchInfo() {
    static const com::TypeInfo info = com::Describe<ProgressBar>("ProgressBar")
                                          .GetLet("Min", &ProgressBar::Min, &ProgressBar::SetMin)
                                          .GetLet("Max", &ProgressBar::Max, &ProgressBar::SetMax)
                                          .GetLet("Value", &ProgressBar::Value, &ProgressBar::SetValue)
                                          .Build();
    return info;
  }
  virtual int32_t Min() = 0;
  virtual void SetMin(int32_t value) = 0;
  virtual int32_t Max() = 0;
  virtual void SetMax(int32_t value) = 0;
  virtual int32_t Value() = 0;
  virtual void SetValue(int32_t value) = 0;
};

class StderrBar final : public com::Object<ProgressBar> {
 public:
  explicit StderrBar(std::string label) : progress_(std::move(label)) {}
  int32_t Min() override { return min_; }
  void SetMin(int32_t value) override { min_ = value; }
  int32_t Max() override { return max_; }
  void SetMax(int32_t value) override { max_ = value; }
  int32_t Value() override { return value_; }
  void SetValue(int32_t value) override {
    value_ = value;
    progress_.Update(value_ - min_, max_ - min_);
  }

 private:
  Progress progress_;
  int32_t min_ = 0, max_ = 100, value_ = 0;
};

}  // namespace

void Convert(Context& ctx, const std::string& id) {
  Ref<vorlane::Process> p = ctx.Process(id);
  Ref<ostrel::CardData> card = ctx.Card(p->ID());
  const std::string where = ctx.CardInStore(card->GetID());
  const std::string version = p->Version();
  const int32_t build = p->BuildNumber();
  if (version == kCurrentVersion && build >= kCurrentBuild) {
    if (ctx.options().json) {
      PrintJson(JsonWriter().BeginObject().Field("id", p->ID()).Field("converted", false).Field("version", version)
                    .Field("build", build).EndObject());
      return;
    }
    Print("Process " + p->Name() + " (" + where + ") is of this version (" + version + ", build " +
          std::to_string(build) + "): there is nothing to convert.\n");
    return;
  }
  // The converter of the card library, as a script would use it; it writes
  // the process and the sub-processes it runs, each whole or not at all.
  Ref<com::Unknown> converter = com::CreateObject("QXProcess.cProcessConverter");
  {
    auto bar = com::Make<StderrBar>("Converting");
    auto object = [](com::Unknown* o) { return Variant(Ref<com::Unknown>(o)); };
    const Variant args[] = {object(&ctx.library()), object(p.get()), Variant::Null(), object(card.get()),
                            object(static_cast<ProgressBar*>(bar.get()))};
    com::CallMethod(converter.get(), "Convert", args);
  }
  auto count = [&](const char* name) { return com::GetProperty(converter.get(), name).ToI4(); };
  const char* kCounts[][2] = {{"ValuesUnprefixed", "values freed of their prefix"},
                              {"ValuesRetyped", "values stored with their type"},
                              {"EnumValuesRenumbered", "enumeration values numbered"},
                              {"ReferencesReplaced", "references to them replaced"},
                              {"FunctionsConverted", "functions converted by their type"},
                              {"SubProcessesConverted", "sub-processes converted"}};
  const bool gate = com::GetProperty(converter.get(), "NullGateAdded").ToBool();
  const std::string from = version.empty() ? "(none)" : version;
  if (ctx.options().json) {
    JsonWriter w;
    w.BeginObject().Field("id", p->ID()).Field("converted", true).Field("fromVersion", version).Field("fromBuild", build);
    w.Field("version", std::string(kCurrentVersion)).Field("build", int32_t{kCurrentBuild});
    for (const auto& [key, text] : kCounts) {
      std::string camel = key;
      camel[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(camel[0])));
      w.Field(camel, count(key));
    }
    PrintJson(w.Field("nullGateAdded", gate).EndObject());
    return;
  }
  std::string out = "Converted " + p->Name() + " (" + where + ") from version " + from + ", build " +
                    std::to_string(build) + ", to " + kCurrentVersion + ", build " + std::to_string(kCurrentBuild) +
                    ":\n";
  for (const auto& [key, text] : kCounts) out += "  " + std::to_string(count(key)) + " " + text + "\n";
  out += gate ? "  the null gate added\n" : "";
  Print(out);
}

}  // namespace cli

namespace cli {

void Serve(Context& ctx, const std::vector<std::string>& users, const std::string& listen, int port) {
  ctx.session();  // the store opens as for any command, and says so when it is missing
  embedded::web::WebServer::Options o;
  o.store = std::shared_ptr<embedded::Store>(&ctx.store(), [](embedded::Store*) {});
  o.address = listen;
  o.port = static_cast<uint16_t>(port);
  o.locale = ctx.options().locale;
  o.log = [](const std::string& text) { std::fprintf(stderr, "serve: %s\n", text.c_str()); };
  for (const std::string& user : users.empty() ? std::vector<std::string>{ctx.options().user.empty() ? LoginName() : ctx.options().user} : users) {
    o.accounts.push_back({user, ctx.options().groups, ""});
  }
  if (listen != "127.0.0.1" && listen != "localhost" && listen != "::1") {
    std::fprintf(stderr, "warning: listening on %s: anyone who can reach it and has an address below can use the store\n",
                 listen.c_str());
  }
  // Ctrl-C and SIGTERM end the server: they are waited for here, so every
  // thread the server starts leaves them to this one.
  sigset_t stop;
  sigemptyset(&stop);
  sigaddset(&stop, SIGINT);
  sigaddset(&stop, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &stop, nullptr);
  embedded::web::WebServer server(std::move(o));
  server.Start();
  std::string out = "Serving " + ctx.options().store + ". Open in a browser:\n";
  for (const auto& a : server.accounts()) out += "  " + a.name + ": " + server.Url(a.name) + "\n";
  Print(out + "Ctrl-C stops the server; open cards close without saving.\n");
  std::fflush(stdout);
  int sig = 0;
  sigwait(&stop, &sig);
  std::fprintf(stderr, "serve: stopping: closing %zu open card(s)\n", server.OpenCards());
  server.Stop();
}

}  // namespace cli
