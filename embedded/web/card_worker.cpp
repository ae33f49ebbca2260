#include "embedded/web/card_worker.h"

#include <filesystem>
#include <functional>
#include <fstream>
#include <sstream>

#include "embedded/folders/folder_tree_object.h"
#include "embedded/store/open.h"
#include "platform/com/events.h"
#include "platform/com/registry.h"
#include "platform/ostrel/card_manager.h"
#include "platform/ostrel/folder.h"
#include "platform/ostrel/folder_tree.h"
#include "platform/pellory/card_ui.h"
#include "platform/pellory/host.h"

namespace embedded::web {
namespace {

const std::string kFolderType = folders::kFolderCardType.ToString();
constexpr int32_t kActivateEdit = 1;

com::Variant AsVariant(com::Unknown* o) { return com::Variant(com::Ref<com::Unknown>(o)); }

std::string TextOf(const com::Variant& v) { return v.IsEmpty() || v.IsNull() ? "" : v.ToText(); }

// A control model's properties that a page draws, by name.
Json ControlJson(com::Unknown* control, std::initializer_list<const char*> names) {
  Json out = Json::object();
  for (const char* name : names) {
    com::Variant v = com::GetProperty(control, name);
    if (v.IsEmpty() || v.IsNull()) continue;
    if (v.type() == com::Variant::Type::Bool) {
      out[name] = v.ToBool();
    } else if (v.IsNumeric()) {
      out[name] = v.ToR8();
    } else {
      out[name] = v.ToText();
    }
  }
  return out;
}

// The items of a control's list ("Buttons", "Panels", "ListImages").
template <class Fn>
void ForEachItem(com::Unknown* control, const char* list, Fn&& fn) {
  com::Ref<com::Unknown> items = com::GetProperty(control, list).ToObject();
  const int32_t n = com::GetProperty(items.get(), "Count").ToI4();
  for (int32_t i = 1; i <= n; ++i) fn(com::GetProperty(control, list, std::vector{com::Variant(i)}).ToObject().get());
}

// A value as the page shows it.
Json ValueJson(const com::Variant& v) {
  if (v.IsEmpty() || v.IsNull()) return nullptr;
  if (v.type() == com::Variant::Type::Bool) return v.ToBool();
  if (v.IsNumeric()) return v.ToR8();
  return v.ToText();
}

// A field of a tab's message when it is there with the type the message
// needs; what a tab sends is untrusted, and a field of another type is as
// good as none.
std::optional<std::string> TextField(const Json& m, const char* key) {
  auto it = m.find(key);
  return it != m.end() && it->is_string() ? std::optional(it->get<std::string>()) : std::nullopt;
}
std::optional<int64_t> WholeField(const Json& m, const char* key) {
  auto it = m.find(key);
  return it != m.end() && it->is_number_integer() ? std::optional(it->get<int64_t>()) : std::nullopt;
}
bool FlagField(const Json& m, const char* key) {
  auto it = m.find(key);
  return it != m.end() && it->is_boolean() && it->get<bool>();
}
// A size in the card's units (twips), within what a screen can be.
int32_t SizeField(const Json& m, const char* key, int32_t otherwise) {
  const std::optional<int64_t> v = WholeField(m, key);
  return v && *v > 0 && *v <= 1'000'000 ? static_cast<int32_t>(*v) : otherwise;
}

// A value the page sent.
com::Variant VariantOf(const Json& j) {
  if (j.is_null()) return com::Variant::Null();
  if (j.is_boolean()) return com::Variant(j.get<bool>());
  // A whole number beyond 32 bits stays a number rather than wrapping;
  // the variable's type then takes it or refuses it.
  if (j.is_number_unsigned()) {
    const uint64_t v = j.get<uint64_t>();
    return v <= INT32_MAX ? com::Variant(static_cast<int32_t>(v)) : com::Variant(static_cast<double>(v));
  }
  if (j.is_number_integer()) {
    const int64_t v = j.get<int64_t>();
    return v >= INT32_MIN && v <= INT32_MAX ? com::Variant(static_cast<int32_t>(v)) : com::Variant(static_cast<double>(v));
  }
  if (j.is_number()) return com::Variant(j.get<double>());
  if (j.is_string()) return com::Variant(j.get<std::string>());
  return com::Variant();
}

// A form model as the page draws it: its name, caption and controls.
Json FormJson(com::Unknown* form) {
  Json controls = Json::array();
  for (const char* name : {"lblMessage", "chkAdditionalFlag", "cmdYes", "cmdNo", "imgIcon", "pgbConvert"}) {
    com::Ref<com::Unknown> control;
    try {
      control = com::CallMethod(form, "Controls", std::vector{com::Variant(name)}).ToObject();
    } catch (const com::Error&) {
      continue;  // not a control of this form
    }
    Json c = ControlJson(control.get(), {"Kind", "Name", "Caption", "Value", "Visible", "Min", "Max"});
    controls.push_back(std::move(c));
  }
  return {{"name", TextOf(com::GetProperty(form, "Name"))},
          {"caption", TextOf(com::GetProperty(form, "Caption"))},
          {"controls", std::move(controls)}};
}

// A session of the card's account.
SessionOptions SessionFor(const CardWorker::Options& options) {
  SessionOptions so;
  so.store = options.store;
  so.account = options.account;
  so.groups = options.groups;
  so.locale = options.locale;
  return so;
}

}  // namespace

// ---- files ---------------------------------------------------------------------

std::pair<int64_t, std::string> FileShelf::NewDownload(const std::string& name, const std::string& account) {
  std::lock_guard lock(mutex_);
  const int64_t number = next_++;
  const std::string folder = folder_ + "/" + std::to_string(number);
  std::filesystem::create_directories(folder);
  File file{folder + "/file", name, account};
  files_[number] = file;
  return {number, file.path};
}

int64_t FileShelf::AddUpload(const std::string& name, const std::string& content, const std::string& account) {
  // The card reads the file by its own name's extension; the name is the
  // browser's, so only its last part is kept, and never "." or "..".
  std::string last = std::filesystem::path(name).filename().string();
  if (last.empty() || last == "." || last == "..") last = "upload.xml";
  auto [number, path] = NewDownload(last, account);
  const std::string named = (std::filesystem::path(path).parent_path() / last).string();
  std::ofstream(named, std::ios::binary) << content;
  std::lock_guard lock(mutex_);
  files_[number].path = named;
  return number;
}

std::optional<FileShelf::File> FileShelf::Find(int64_t number, const std::string& account) const {
  std::lock_guard lock(mutex_);
  auto it = files_.find(number);
  if (it == files_.end() || it->second.account != account) return std::nullopt;
  return it->second;
}

// ---- the card's host -------------------------------------------------------------

// The services object the card sees: each call that needs the person
// becomes a question to the owning tab. The frame and the window's event
// sink are objects of their own (below), as a client reaches each by its
// own dispatch description.
class CardWorker::Host final : public com::Object<pellory::Pellory> {
 public:
  Host(CardWorker& worker, std::string folder_card_id) : worker_(worker), folder_card_id_(std::move(folder_card_id)) {}

  // What the frame is told.
  void SetCaption(const std::string& caption) { caption_ = caption; }
  void ShowCard(const std::string& card_id) { worker_.Notify({{"type", "show"}, {"card", card_id}}); }
  void CloseCard() { closed_ = true; }

  int32_t ShowMessage(const std::string& caption, const std::string& text, const std::string& details, int32_t icon,
                      int32_t buttons, int32_t /*owner_window*/) override {
    Json answer = worker_.Ask({{"kind", "message"},
                               {"caption", caption},
                               {"text", text},
                               {"details", details},
                               {"icon", icon},
                               {"buttons", buttons}});
    return answer.is_number_integer() ? answer.get<int32_t>() : pellory::answer::kCancel;
  }
  std::string SelectFolder(const std::string& prompt, int32_t /*flags*/, const std::string& initial) override {
    // The folders the person may pick: the whole tree, parents before
    // their children, each with its depth and path.
    Json folders = Json::array();
    if (session_) {
      auto tree = com::Query<ostrel::FolderTree>(session_->GetCardManager()->GetDictionaryObject(kFolderType));
      std::function<void(ostrel::Folder&, int, const std::string&)> add = [&](ostrel::Folder& f, int depth,
                                                                                const std::string& above) {
        const std::string path = above.empty() ? f.GetName() : above + " \\ " + f.GetName();
        folders.push_back({{"id", f.GetID()}, {"name", f.GetName()}, {"path", path}, {"depth", depth}});
        for (int32_t i = 0, n = f.GetChildCount(); i < n; ++i) add(*f.GetChildFolder(i), depth + 1, path);
      };
      add(*tree->GetRootFolder(), 0, "");
    }
    std::string preselected;
    for (const Json& f : folders) {
      auto id = com::Guid::Parse(f["id"].get<std::string>());
      if (id && id == com::Guid::Parse(initial)) preselected = f["id"];
    }
    Json answer = worker_.Ask({{"kind", "folder"}, {"prompt", prompt}, {"initial", preselected}, {"folders", folders}});
    return answer.is_string() ? answer.get<std::string>() : "";
  }
  void OpenCard(const std::string& card_id, const std::string& /*mode_id*/, int32_t /*flags*/,
                const com::Variant& /*params*/, const com::Variant& /*extra*/) override {
    worker_.Notify({{"type", "show"}, {"card", card_id}});
  }
  std::string GetFolderCardID() override { return folder_card_id_; }
  void ShowForm(const com::Variant& form) override {
    com::Ref<com::Unknown> object = form.ToObject();
    // The form's changes reach the page while it is shown (a progress bar).
    auto sink = com::Make<FormSink>(*this, object);
    uint32_t cookie = 0;
    if (com::Query<com::ConnectionPointContainer>(object)) {
      cookie = com::Advise(object.get(), pellory::CardWindowEvents::kIID, com::Ref<com::Dispatch>(sink.get()));
    }
    try {
      com::CallMethod(object.get(), "Activate");
      while (com::GetProperty(object.get(), "Visible").ToBool()) {
        Json answer = worker_.Ask({{"kind", "form"}, {"form", FormJson(object.get())}});
        if (answer.is_string()) {
          com::CallMethod(object.get(), "Click", std::vector{com::Variant(answer.get<std::string>())});
        } else {
          com::CallMethod(object.get(), "Close");
        }
      }
    } catch (...) {
      if (cookie) com::Unadvise(object.get(), pellory::CardWindowEvents::kIID, cookie);
      throw;
    }
    if (cookie) com::Unadvise(object.get(), pellory::CardWindowEvents::kIID, cookie);
  }
  // The new instance's variables, as a form the person fills in: each with
  // its name, type, value and, for an enumeration, its values to choose
  // from. A value the variable refuses is said, and the form asked again.
  int32_t ShowInstanceDialog(const com::Variant& process) override {
    com::Ref<com::Unknown> variables = com::GetProperty(process.ToObject().get(), "Variables").ToObject();
    std::string problem;
    for (;;) {
      Json list = Json::array();
      const int32_t n = com::GetProperty(variables.get(), "Count").ToI4();
      for (int32_t i = 1; i <= n; ++i) {
        com::Ref<com::Unknown> v = com::CallMethod(variables.get(), "Item", std::vector{com::Variant(i)}).ToObject();
        Json entry{{"id", TextOf(com::GetProperty(v.get(), "ID"))},
                   {"name", TextOf(com::GetProperty(v.get(), "Name"))},
                   {"type", com::GetProperty(v.get(), "VarType").ToI4()},
                   {"value", ValueJson(com::GetProperty(v.get(), "Value"))},
                   {"required", com::GetProperty(v.get(), "IsRequered").ToBool()}};
        if (com::GetProperty(v.get(), "IsMultipleValued").ToBool()) {
          // A list: its values, one each.
          com::Ref<com::Unknown> values = com::GetProperty(v.get(), "Values").ToObject();
          Json all = Json::array();
          for (int32_t k = 1, m = com::GetProperty(values.get(), "Count").ToI4(); k <= m; ++k) {
            all.push_back(ValueJson(com::GetProperty(
                com::CallMethod(values.get(), "Item", std::vector{com::Variant(k)}).ToObject().get(), "Value")));
          }
          entry["value"] = std::move(all);
          entry["multiple"] = true;
        }
        if (entry["type"] == 6) {
          com::Ref<com::Unknown> values = com::GetProperty(v.get(), "EnumValues").ToObject();
          Json choices = Json::array();
          for (int32_t k = 1, m = com::GetProperty(values.get(), "Count").ToI4(); k <= m; ++k) {
            choices.push_back(TextOf(com::GetProperty(
                com::CallMethod(values.get(), "Item", std::vector{com::Variant(k)}).ToObject().get(), "Value")));
          }
          entry["choices"] = std::move(choices);
        }
        list.push_back(std::move(entry));
      }
      Json answer = worker_.Ask({{"kind", "instance"}, {"variables", list}, {"problem", problem}});
      if (!answer.is_object() || !FlagField(answer, "accepted")) return 2;
      problem.clear();
      if (answer.contains("values") && answer["values"].is_object()) {
        for (const auto& [id, value] : answer["values"].items()) {
          try {
            com::Ref<com::Unknown> v = com::CallMethod(variables.get(), "Item", std::vector{com::Variant(id)}).ToObject();
            if (value.is_array()) {
              // A list is replaced by the values given, in their order.
              com::Ref<com::Unknown> values = com::GetProperty(v.get(), "Values").ToObject();
              com::CallMethod(values.get(), "Clear");
              for (const Json& one : value) com::CallMethod(values.get(), "AddNew", std::vector{VariantOf(one)});
            } else {
              com::SetProperty(v.get(), "Value", VariantOf(value));
            }
          } catch (const com::Error& e) {
            problem += (problem.empty() ? "" : "\n") + e.description();
          }
        }
      }
      if (problem.empty()) return 1;
    }
  }
  // The process's own fields the person sets; read-only cards show them.
  bool ShowProperties(const com::Variant& process) override {
    static constexpr const char* kFields[] = {"Name", "Description", "Priority", "InstanceName", "Responsible"};
    com::Ref<com::Unknown> p = process.ToObject();
    Json fields = Json::object();
    for (const char* f : kFields) fields[f] = ValueJson(com::GetProperty(p.get(), f));
    const bool read_only = worker_.DesignerReadOnly();
    Json answer = worker_.Ask({{"kind", "properties"}, {"fields", fields}, {"readOnly", read_only}});
    if (read_only || !answer.is_object()) return false;
    bool changed = false;
    for (const char* f : kFields) {
      if (answer.contains(f) && answer[f] != fields[f]) {
        com::SetProperty(p.get(), f, VariantOf(answer[f]));
        changed = true;
      }
    }
    return changed;
  }
  // The process's log, for the person to read and filter.
  void ShowLog(const com::Variant& process) override {
    com::Ref<com::Unknown> messages = com::GetProperty(process.ToObject().get(), "LogMessages").ToObject();
    Json entries = Json::array();
    for (int32_t i = 1, n = com::GetProperty(messages.get(), "Count").ToI4(); i <= n; ++i) {
      com::Ref<com::Unknown> m = com::CallMethod(messages.get(), "Item", std::vector{com::Variant(i)}).ToObject();
      entries.push_back({{"date", TextOf(com::GetProperty(m.get(), "MessageDate"))},
                         {"type", com::GetProperty(m.get(), "ActionType").ToI4()},
                         {"action", TextOf(com::GetProperty(m.get(), "Action"))},
                         {"change", TextOf(com::GetProperty(m.get(), "ChangeState"))},
                         {"function", TextOf(com::GetProperty(m.get(), "FunctionName"))},
                         {"message", TextOf(com::GetProperty(m.get(), "Message"))}});
    }
    worker_.Ask({{"kind", "log"}, {"entries", entries}});
  }
  std::string ChooseFile(bool save, const std::string& title, const std::string& /*filter*/,
                         const std::string& default_name, const std::string& /*default_ext*/,
                         int32_t /*flags*/) override {
    Json answer = worker_.Ask({{"kind", "file"}, {"save", save}, {"title", title}, {"name", default_name}});
    if (save) {
      if (answer != true) return "";
      auto [number, path] = worker_.options_.files->NewDownload(default_name, worker_.options_.account);
      downloads_.push_back(number);
      return path;
    }
    if (!answer.is_number_integer()) return "";
    auto file = worker_.options_.files->Find(answer.get<int64_t>(), worker_.options_.account);
    return file ? file->path : "";
  }
  // The person saves the picture as SVG, or as PNG that the page renders
  // from the SVG; either way the page fetches the file the host wrote.
  void SavePicture(const std::string& svg, const std::string& default_name) override {
    std::string name = default_name;
    if (name.size() > 4 && name.ends_with(".svg")) name.resize(name.size() - 4);
    auto [number, path] = worker_.options_.files->NewDownload(name + ".svg", worker_.options_.account);
    std::ofstream(path, std::ios::binary) << svg;
    worker_.Ask({{"kind", "picture"}, {"name", name}, {"url", "/files/" + std::to_string(number)}});
  }
  void PrintDocument(const std::string& title, const std::string& html) override {
    auto [number, path] = worker_.options_.files->NewDownload(title + ".html", worker_.options_.account);
    std::ofstream(path, std::ios::binary) << html;
    // As a print dialog is, the question is modal: the page opens the
    // report in a print view when the person says so.
    worker_.Ask({{"kind", "print"}, {"title", title}, {"url", "/files/" + std::to_string(number)}});
  }

  // Files the last call of the card wrote for the person, now ready.
  void OfferDownloads() {
    for (int64_t number : downloads_) {
      auto file = worker_.options_.files->Find(number, worker_.options_.account);
      if (file && std::filesystem::exists(file->path)) {
        worker_.Notify({{"type", "download"}, {"url", "/files/" + std::to_string(number)}, {"name", file->name}});
      }
    }
    downloads_.clear();
  }

  void set_session(com::Ref<ostrel::Session> session) { session_ = std::move(session); }
  bool closed() const { return closed_; }
  const std::string& caption() const { return caption_; }

 private:
  class FormSink final : public com::Object<pellory::CardWindowEvents> {
   public:
    FormSink(Host& host, com::Ref<com::Unknown> form) : host_(host), form_(std::move(form)) {}
    void WindowChanged() override {
      host_.worker_.Notify({{"type", "form"}, {"form", FormJson(form_.get())}});
    }

   private:
    Host& host_;
    com::Ref<com::Unknown> form_;
  };

  CardWorker& worker_;
  std::string folder_card_id_;
  com::Ref<ostrel::Session> session_;
  std::string caption_;
  bool closed_ = false;
  std::vector<int64_t> downloads_;
};

namespace {

class FrameObject final : public com::Object<pellory::Frame> {
 public:
  explicit FrameObject(com::Ref<CardWorker::Host> host) : host_(std::move(host)) {}
  com::Ref<pellory::Pellory> GetPellory() override { return com::Ref<pellory::Pellory>(host_.get()); }
  void SetCaption(const std::string& caption) override { host_->SetCaption(caption); }
  void ShowCard(const std::string& card_id, bool /*flag*/) override { host_->ShowCard(card_id); }
  void CloseCard() override { host_->CloseCard(); }
  int32_t GetFrameValue() override { return 0; }

 private:
  com::Ref<CardWorker::Host> host_;
};

class WindowSink final : public com::Object<pellory::CardWindowEvents> {
 public:
  explicit WindowSink(CardWorker& worker) : worker_(worker) {}
  void WindowChanged() override { worker_.WindowChanged(); }

 private:
  CardWorker& worker_;
};

}  // namespace

// ---- the worker ------------------------------------------------------------------

CardWorker::CardWorker(Options options) : options_(std::move(options)) { thread_ = std::thread([this] { Run(); }); }

CardWorker::~CardWorker() {
  Shutdown();
  Join();
  // The last reference can go on the worker's own thread, as its last tab
  // lets go of it after the closing message: the thread then has nothing
  // left of the worker to touch and ends by itself.
  if (thread_.joinable()) thread_.detach();
}

void CardWorker::Join() {
  if (thread_.joinable() && thread_.get_id() != std::this_thread::get_id()) thread_.join();
}

std::string CardWorker::RoleMessage(bool owner) const {
  return Json{{"type", "role"}, {"owner", owner}, {"locale", options_.locale}, {"account", options_.account}}.dump();
}

void CardWorker::Attach(const std::shared_ptr<Tab>& tab) {
  std::string images, window, graph;
  std::optional<Json> question;
  bool owner = false;
  {
    std::lock_guard lock(mutex_);
    if (finished_) {
      // Closed between the tab's request and now: the tab is told so.
      tab->Send(Json{{"type", "closed"}}.dump());
      return;
    }
    std::erase_if(tabs_, [](const std::weak_ptr<Tab>& t) { return t.expired(); });
    tabs_.push_back(tab);
    owner = tabs_.size() == 1;
    orphaned_since_.reset();
    images = images_;
    window = window_;
    graph = graph_;
    if (owner) question = question_;
  }
  tab->Send(RoleMessage(owner));
  for (const std::string* text : {&images, &window, &graph}) {
    if (!text->empty()) tab->Send(*text);
  }
  if (question) tab->Send(question->dump());
}

void CardWorker::Detach(const Tab* tab) {
  std::optional<Json> question;
  std::shared_ptr<Tab> next_owner;
  {
    std::lock_guard lock(mutex_);
    const bool was_owner = !tabs_.empty() && tabs_.front().lock().get() == tab;
    std::erase_if(tabs_, [&](const std::weak_ptr<Tab>& t) { return t.expired() || t.lock().get() == tab; });
    if (tabs_.empty()) {
      orphaned_since_ = std::chrono::steady_clock::now();
    } else if (was_owner) {
      next_owner = tabs_.front().lock();
      question = question_;
    }
  }
  wake_.notify_all();
  if (next_owner) {
    next_owner->Send(RoleMessage(true));
    if (question) next_owner->Send(question->dump());
  }
}

bool CardWorker::IsOwner(const Tab* tab) {
  std::lock_guard lock(mutex_);
  return !tabs_.empty() && tabs_.front().lock().get() == tab;
}

void CardWorker::Receive(const Tab* tab, const std::string& message) {
  const Json m = Json::parse(message, nullptr, false);
  if (!m.is_object()) return;
  const std::optional<std::string> type = TextField(m, "type");
  if (!type) return;
  if (!IsOwner(tab)) return;  // a tab that only looks at the card
  if (*type == "answer") {
    const std::optional<int64_t> id = WholeField(m, "id");
    std::lock_guard lock(mutex_);
    if (question_ && id && *id == (*question_)["id"].get<int64_t>()) {
      answer_ = m.contains("value") ? m["value"] : Json();
      wake_.notify_all();
    }
    return;
  }
  if (*type == "click") {
    const std::optional<std::string> key = TextField(m, "key");
    if (!key) return;
    const bool shift = FlagField(m, "shift");
    Post([this, key = *key, shift] {
      if (shift) CallCard("KeyDown", {com::Variant(16), com::Variant(1)});
      CallCard("ButtonClick", {com::Variant(key)});
      if (shift) CallCard("KeyUp", {com::Variant(16), com::Variant(0)});
      host_->OfferDownloads();
      window_dirty_ = true;
    });
  } else if (*type == "resize") {
    Post([this, w = SizeField(m, "width", 9000), h = SizeField(m, "height", 7000)] {
      CallCard("Resize", {com::Variant(w), com::Variant(h)});
    });
  } else if (*type == "close") {
    Post([this] { CloseCard(false); });
  } else if (*type == "edit") {
    Edit(m);
  } else if (*type == "compare") {
    // With another card of the store, or with a file the person uploaded.
    const std::optional<std::string> with = TextField(m, "with");
    const std::optional<int64_t> upload = WholeField(m, "upload");
    std::optional<FileShelf::File> file;
    if (upload) {
      file = options_.files->Find(*upload, options_.account);
      if (!file) return;
    } else if (!with) {
      return;
    }
    Post([this, with, file] { Compare(with, file); });
  }
}

// The process as the card holds it now (edits not yet saved included) is
// the newer side; the other process, or the uploaded file, the older. A
// failure reaches the tab as any job's does.
void CardWorker::Compare(const std::optional<std::string>& with, const std::optional<FileShelf::File>& file) {
  com::Ref<com::Unknown> exchange = com::CreateObject("QXVorlane.ProcessImportExport");
  auto serialize = [&](com::Unknown* card) {
    return TextOf(com::CallMethod(exchange.get(), "SerializeProcess",
                                  std::vector{AsVariant(session_.get()), AsVariant(card)}));
  };
  std::string before, name;
  if (file) {
    std::ifstream in(file->path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    before = text.str();
    name = file->name;
  } else {
    // The other card as it is stored: read in a session of its own, since
    // this session sees this card with its edits (and the other one too,
    // when it is the same card).
    com::Ref<ostrel::Session> reader = Open(SessionFor(options_));
    com::Ref<ostrel::CardData> other = reader->GetCardManager()->GetCardData(*with);
    before = TextOf(com::CallMethod(exchange.get(), "SerializeProcess",
                                    std::vector{AsVariant(reader.get()), AsVariant(other.get())}));
    name = other->GetDescription();
  }
  const std::string after = serialize(card_data_.get());
  com::Ref<com::Unknown> compare = com::CreateObject("QXVorlane.ProcessCompare");
  const std::string result =
      TextOf(com::CallMethod(compare.get(), "Compare", std::vector{com::Variant(before), com::Variant(after)}));
  Notify({{"type", "comparison"}, {"name", name}, {"result", Json::parse(result)}});
}

// An edit of the graph from the page goes to the designer, which is the one
// that decides: it refuses any edit while it is read-only, whatever the
// page let the person do. A refused edit is told to the tab, and the graph
// is sent again so that the page shows what stands.
void CardWorker::Edit(const Json& m) {
  const std::optional<std::string> op = TextField(m, "op");
  if (!op) return;
  std::function<void(com::Unknown*)> call;
  if (*op == "undo" || *op == "redo") {
    call = [method = *op == "undo" ? "Undo" : "Redo"](com::Unknown* designer) { com::CallMethod(designer, method); };
  } else if (*op == "copy") {
    // The copied part goes back to the page, which keeps it for a paste
    // here or in another tab.
    auto ids = m.find("ids");
    if (ids == m.end() || !ids->is_array()) return;
    call = [this, text = ids->dump()](com::Unknown* designer) {
      const std::string part = TextOf(com::CallMethod(designer, "CopyPart", std::vector{com::Variant(text)}));
      Notify({{"type", "copied"}, {"part", part}});
    };
  } else if (*op == "paste") {
    // The part comes as an upload: it may be larger than a message.
    const std::optional<int64_t> upload = WholeField(m, "upload");
    auto number = [&](const char* key) {
      auto it = m.find(key);
      return it != m.end() && it->is_number() ? it->get<double>() : 0.0;
    };
    std::optional<FileShelf::File> file = upload ? options_.files->Find(*upload, options_.account) : std::nullopt;
    if (!file) return;
    call = [path = file->path, x = number("x"), y = number("y")](com::Unknown* designer) {
      std::ifstream in(path, std::ios::binary);
      std::ostringstream part;
      part << in.rdbuf();
      com::CallMethod(designer, "Paste", std::vector{com::Variant(part.str()), com::Variant(x), com::Variant(y)});
    };
  } else if (*op == "apply") {
    auto edits = m.find("edits");
    if (edits == m.end() || !edits->is_array()) return;
    call = [text = edits->dump()](com::Unknown* designer) {
      com::CallMethod(designer, "ApplyEdits", std::vector{com::Variant(text)});
    };
  } else {
    return;
  }
  Post([this, call = std::move(call)] {
    com::Ref<com::Unknown> place = com::CallMethod(card_.get(), "Controls", std::vector{com::Variant("Designer")}).ToObject();
    com::Variant designer = com::GetProperty(place.get(), "Object");
    if (!designer.IsObject()) return;
    try {
      call(designer.ToObject().get());
    } catch (const com::Error& e) {
      graph_revision_ = -1;  // the page shows the edit; the graph that stands goes again
      Notify({{"type", "error"}, {"text", e.description()}});
    }
    window_dirty_ = true;
  });
}

void CardWorker::Post(std::function<void()> job) {
  {
    std::lock_guard lock(mutex_);
    if (stopping_) return;
    jobs_.push_back(std::move(job));
  }
  wake_.notify_all();
}

void CardWorker::Shutdown() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  wake_.notify_all();
}

bool CardWorker::Finished() const {
  std::lock_guard lock(mutex_);
  return finished_;
}

Json CardWorker::Ask(Json question) {
  // The person sees the window as it stands when the question comes, and
  // gets the files written so far (an export's file before its message).
  if (host_) host_->OfferDownloads();
  if (window_dirty_ && card_ && host_) SendWindow();
  std::unique_lock lock(mutex_);
  if (stopping_) return Closing(question);
  question["type"] = "ask";
  question["id"] = next_question_++;
  question_ = question;
  answer_.reset();
  std::shared_ptr<Tab> owner = tabs_.empty() ? nullptr : tabs_.front().lock();
  if (owner) owner->Send(question.dump());
  while (!answer_ && !stopping_) {
    wake_.wait_for(lock, std::chrono::milliseconds(200));
    // A question whose tabs all went away waits out the grace period, then
    // the card closes without its person.
    if (!answer_ && orphaned_since_ && std::chrono::steady_clock::now() - *orphaned_since_ > options_.grace) {
      stopping_ = true;
      if (options_.log) options_.log("card " + options_.card_id + ": no tab came back to answer; closing it");
    }
  }
  question_.reset();
  if (!answer_) return Closing(question);
  Json answer = std::move(*answer_);
  answer_.reset();
  return answer;
}

Json CardWorker::Closing(const Json& question) {
  // The card is being closed without its person: a question is answered
  // "No" (a save question does not save), anything else as cancelled.
  const std::string kind = question.value("kind", "");
  if (options_.log) options_.log("card " + options_.card_id + ": closing, \"" + question.value("text", kind) +
                                 "\" answered for the person");
  if (kind == "message") return pellory::answer::kNo;
  return Json();
}

void CardWorker::Notify(Json message) { Broadcast(message.dump(), false); }

void CardWorker::Broadcast(const std::string& message, bool owner_only) {
  std::vector<std::shared_ptr<Tab>> to;
  {
    std::lock_guard lock(mutex_);
    for (const auto& t : tabs_) {
      if (auto tab = t.lock()) to.push_back(std::move(tab));
      if (owner_only) break;
    }
  }
  for (const auto& tab : to) tab->Send(message);
}

bool CardWorker::DesignerReadOnly() {
  com::Ref<com::Unknown> place = com::CallMethod(card_.get(), "Controls", std::vector{com::Variant("Designer")}).ToObject();
  com::Variant designer = com::GetProperty(place.get(), "Object");
  return !designer.IsObject() || com::GetProperty(designer.ToObject().get(), "ReadOnly").ToBool();
}

void CardWorker::CallCard(const char* member, std::vector<com::Variant> args) {
  com::CallMethod(card_.get(), member, args);
}

void CardWorker::SendWindow() {
  window_dirty_ = false;
  com::Unknown* card = card_.get();
  Json w{{"type", "window"}, {"caption", host_->caption()}, {"pointer", com::GetProperty(card, "MousePointer").ToI4()}};
  com::Ref<com::Unknown> toolbar = com::CallMethod(card, "Controls", std::vector{com::Variant("tbMain")}).ToObject();
  w["toolbarVisible"] = com::GetProperty(toolbar.get(), "Visible").ToBool();
  Json buttons = Json::array();
  ForEachItem(toolbar.get(), "Buttons", [&](com::Unknown* b) {
    buttons.push_back(ControlJson(b, {"Key", "ToolTipText", "Image", "Style", "Enabled", "Visible", "Value"}));
  });
  w["buttons"] = std::move(buttons);
  com::Ref<com::Unknown> status = com::CallMethod(card, "Controls", std::vector{com::Variant("sbMain")}).ToObject();
  for (const char* key : {"Mode", "Folder"}) {
    w["panels"][key] = TextOf(com::GetProperty(
        com::GetProperty(status.get(), "Panels", std::vector{com::Variant(key)}).ToObject().get(), "Text"));
  }
  if (images_.empty()) {
    // The toolbar's images do not change while the card is open: read once.
    Json images{{"type", "images"}, {"images", Json::object()}};
    com::Ref<com::Unknown> list = com::CallMethod(card, "Controls", std::vector{com::Variant("imToolbar")}).ToObject();
    ForEachItem(list.get(), "ListImages", [&](com::Unknown* image) {
      images["images"][TextOf(com::GetProperty(image, "Key"))] = TextOf(com::GetProperty(image, "Picture"));
    });
    std::string text = images.dump();
    {
      std::lock_guard lock(mutex_);
      images_ = text;
    }
    Broadcast(text, false);
  }
  com::Ref<com::Unknown> place = com::CallMethod(card, "Controls", std::vector{com::Variant("Designer")}).ToObject();
  com::Variant designer = com::GetProperty(place.get(), "Object");
  std::string graph;
  if (designer.IsObject()) {
    com::Unknown* shown = designer.ToObject().get();
    w["view"] = {{"zoom", com::GetProperty(shown, "Zoom").ToR8()},
                 {"linkText", com::GetProperty(shown, "LinkTextShown").ToBool()},
                 {"readOnly", com::GetProperty(shown, "ReadOnly").ToBool()},
                 {"canUndo", com::GetProperty(shown, "CanUndo").ToBool()},
                 {"canRedo", com::GetProperty(shown, "CanRedo").ToBool()}};
    // The graph goes to the page when the designer says it may have
    // changed (a process shown again, an edit), not with every window: a
    // large process costs its reading once per change. It follows the
    // window, so that the page knows how to show it before drawing it.
    const int32_t revision = com::GetProperty(shown, "Revision").ToI4();
    if (revision != graph_revision_) {
      graph_revision_ = revision;
      // What the person adds from, and what stands in the way of a start,
      // go with the graph they belong to.
      graph = R"({"type":"graph","graph":)" + TextOf(com::GetProperty(shown, "Graph")) +
              R"(,"palette":)" + TextOf(com::GetProperty(shown, "Palette")) +
              R"(,"findings":)" + TextOf(com::GetProperty(shown, "Findings")) + "}";
    }
  }
  const std::string text = w.dump();
  {
    std::lock_guard lock(mutex_);
    window_ = text;  // for tabs that come later
    if (!graph.empty()) graph_ = graph;
  }
  Broadcast(text, false);
  if (!graph.empty()) Broadcast(graph, false);
}

void CardWorker::CloseCard(bool for_good) {
  if (!card_ || closed_) return;
  const int32_t answer = com::CallMethod(card_.get(), "QueryClose").ToI4();
  if (answer == 0 && !for_good) return;  // the person chose to stay
  com::CallMethod(card_.get(), "Close");
  com::CallMethod(card_.get(), "Unload");
  closed_ = true;
}

void CardWorker::Run() {
  com::Ref<ostrel::Session> session;
  try {
    session = Open(SessionFor(options_));
    com::Ref<ostrel::CardManager> cards = session->GetCardManager();
    host_ = com::Make<Host>(*this, cards->GetDictionaryData(kFolderType)->GetID());
    host_->set_session(session);
    session_ = session;
    card_data_ = cards->GetCardData(options_.card_id);
    card_ = com::CreateObject("QXProcess.Card");
    events_cookie_ = com::Advise(card_.get(), pellory::CardWindowEvents::kIID,
                                 com::Ref<com::Dispatch>(com::Make<WindowSink>(*this).get()));
    const com::Variant frame = AsVariant(static_cast<pellory::Frame*>(com::Make<FrameObject>(host_).get()));
    const com::Variant services = AsVariant(static_cast<pellory::Pellory*>(host_.get()));
    CallCard("Init", {AsVariant(session.get()), AsVariant(card_data_.get())});
    CallCard("Load", {frame});
    if (com::CallMethod(card_.get(), "QueryActivate",
                        std::vector{services, com::Variant(kActivateEdit), com::Variant(""), com::Variant(""),
                                    com::Variant(""), com::Variant::Missing()})
            .ToI4() == 0x4001) {
      CallCard("Activate", {com::Variant(kActivateEdit), com::Variant(""), com::Variant(""), com::Variant(""),
                            com::Variant::Missing()});
    }
    using Clock = std::chrono::steady_clock;
    auto next_tick = Clock::now();
    while (!host_->closed() && !closed_) {
      if (window_dirty_) SendWindow();
      // The card's timer, as a host runs it: a tick when it is enabled and
      // its interval has passed.
      com::Ref<com::Unknown> timer = com::CallMethod(card_.get(), "Controls", std::vector{com::Variant("tmrMain")}).ToObject();
      const bool ticking = com::GetProperty(timer.get(), "Enabled").ToBool();
      const auto interval = std::chrono::milliseconds(std::max(100, com::GetProperty(timer.get(), "Interval").ToI4()));
      if (!ticking) next_tick = Clock::now() + interval;
      std::function<void()> job;
      {
        std::unique_lock lock(mutex_);
        wake_.wait_until(lock, ticking ? next_tick : Clock::now() + std::chrono::seconds(1),
                         [&] { return stopping_ || !jobs_.empty(); });
        if (stopping_) break;
        if (orphaned_since_ && Clock::now() - *orphaned_since_ > options_.grace) {
          stopping_ = true;
          if (options_.log) options_.log("card " + options_.card_id + ": no tab came back; closing it");
          break;
        }
        if (!jobs_.empty()) {
          job = std::move(jobs_.front());
          jobs_.pop_front();
        } else if (ticking && Clock::now() >= next_tick) {
          next_tick = Clock::now() + interval;
          job = [this] { CallCard("TimerTick", {}); };
        }
      }
      if (job) {
        try {
          job();
        } catch (const com::Error& e) {
          Notify({{"type", "error"}, {"text", e.ToString()}});
        }
      }
    }
    // Closed by its person, or by the server: in the latter case every
    // question is answered for the person (Closing) and nothing is saved.
    try {
      CloseCard(true);
    } catch (const com::Error& e) {
      if (options_.log) options_.log("card " + options_.card_id + ": closing failed: " + e.ToString());
    }
    if (events_cookie_) com::Unadvise(card_.get(), pellory::CardWindowEvents::kIID, events_cookie_);
  } catch (const com::Error& e) {
    Notify({{"type", "error"}, {"text", e.ToString()}});
    if (options_.log) options_.log("card " + options_.card_id + ": " + e.ToString());
  }
  // Everything the card held (its lock among it) is let go before its tabs
  // hear that it closed: a tab that opens the card again then gets a card
  // of its own rather than this one, still closing.
  card_ = nullptr;
  host_ = nullptr;
  card_data_ = nullptr;
  session_ = nullptr;
  session = nullptr;
  {
    std::lock_guard lock(mutex_);
    finished_ = true;
  }
  Notify({{"type", "closed"}});
}

}  // namespace embedded::web
