#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <nlohmann/json.hpp>

#include "embedded/store/store.h"
#include "platform/com/dispatch.h"
#include "platform/ostrel/card_data.h"
#include "platform/ostrel/session.h"

namespace embedded::web {

using Json = nlohmann::json;

// A browser tab connected to the server: what a card worker sends to it.
// Send may be called from any thread; it never blocks.
class Tab {
 public:
  virtual ~Tab() = default;
  virtual void Send(std::string message) = 0;
};

// Files the person exchanges with a card through the browser: downloads
// the card wrote (an export, a picture, a report) and uploads the person
// chose (an import), each in a private folder, each named by a number that
// only the server hands out.
//
// Each file belongs to the account it was made for or by: another account
// does not find it, whatever number it asks for.
class FileShelf {
 public:
  explicit FileShelf(std::string folder) : folder_(std::move(folder)) {}
  // A path for a file the card is about to write, to be downloaded as `name`.
  std::pair<int64_t, std::string> NewDownload(const std::string& name, const std::string& account);
  // The upload `content` under `name` (only its last part; a name that
  // leaves nothing becomes "upload.xml"): its number.
  int64_t AddUpload(const std::string& name, const std::string& content, const std::string& account);
  struct File {
    std::string path;
    std::string name;
    std::string account;
  };
  // The file of that number if it is the account's.
  std::optional<File> Find(int64_t number, const std::string& account) const;

 private:
  std::string folder_;
  mutable std::mutex mutex_;
  int64_t next_ = 1;
  std::map<int64_t, File> files_;
};

// One open card: its own thread, on which every call into the card control,
// its designer and the object model for that card runs, in the order the
// tabs give; its own session of the account; the card's timer. A host call
// that needs the person (a message, a form, a dialog) asks the tab that
// owns the card and blocks this thread until that tab answers; nothing else
// answers for the person, except closing (below), which is logged.
class CardWorker {
 public:
  struct Options {
    std::shared_ptr<Store> store;
    std::string account;
    std::vector<std::string> groups;
    int32_t locale = 1033;
    std::string card_id;
    std::shared_ptr<FileShelf> files;
    // How long the card stays open after its last tab went away.
    std::chrono::milliseconds grace{std::chrono::seconds(30)};
    // Where the worker says what it does on the person's behalf.
    std::function<void(const std::string&)> log;
  };

  explicit CardWorker(Options options);
  ~CardWorker();
  CardWorker(const CardWorker&) = delete;
  CardWorker& operator=(const CardWorker&) = delete;

  // A tab shows the card: the first (or the one after the owner left) owns
  // it and works in it; others see it read-only. It is sent the window and
  // any question that waits for the owner.
  void Attach(const std::shared_ptr<Tab>& tab);
  void Detach(const Tab* tab);
  // A message from a tab (JSON): input to the card, or an answer.
  void Receive(const Tab* tab, const std::string& message);
  // Closes the card as a "No" to its save question would, then ends the
  // thread. Safe to call more than once.
  void Shutdown();
  // Waits until the thread has ended (after Shutdown, or the card closed).
  void Join();
  // True once the card is closed and the thread has ended its work.
  bool Finished() const;
  const std::string& card_id() const { return options_.card_id; }

  // Used by the card's host objects, on the card's thread.
  Json Ask(Json question);
  void Notify(Json message);
  void WindowChanged() { window_dirty_ = true; }
  // Whether the card's designer is read-only now.
  bool DesignerReadOnly();
  class Host;

 private:
  void Run();
  void Post(std::function<void()> job);
  void SendWindow();
  void Broadcast(const std::string& message, bool owner_only);
  bool IsOwner(const Tab* tab);
  // What a question gets while the card closes without its person.
  Json Closing(const Json& question);
  // On the card's thread.
  // A change of the graph the page asks for: "op" "apply" with "edits"
  // (the designer's ApplyEdits list, one step), "undo", "redo", "copy"
  // ("ids" of functions; the part is sent back as "copied") or "paste"
  // (an "upload" of such a part, at "x", "y").
  void Edit(const Json& message);
  // Compares the card's process with another card's (`with`) or with a
  // process file, and sends the differences to the tabs.
  void Compare(const std::optional<std::string>& with, const std::optional<FileShelf::File>& file);
  // What a tab is told of its part: owner or viewer, the locale, the account.
  std::string RoleMessage(bool owner) const;
  void CallCard(const char* member, std::vector<com::Variant> args);
  // QueryClose, then (when it may close, or `for_good`) Close and Unload.
  void CloseCard(bool for_good);

  Options options_;
  std::thread thread_;
  mutable std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<std::function<void()>> jobs_;
  bool stopping_ = false;
  bool finished_ = false;
  // Tabs: the owner first.
  std::vector<std::weak_ptr<Tab>> tabs_;
  std::optional<std::chrono::steady_clock::time_point> orphaned_since_;
  // The question that waits for the owner, and its answer.
  std::optional<Json> question_;
  std::optional<Json> answer_;
  int64_t next_question_ = 1;
  // What a tab that comes later is sent (written on the card's thread):
  // the toolbar's images, read once; the last window; the designer's graph
  // as last read, at the designer's revision graph_revision_.
  std::string images_;
  std::string window_;
  std::string graph_;
  std::atomic<bool> window_dirty_ = true;

  // The card and its host: touched on the card's thread only.
  com::Ref<com::Unknown> card_;
  com::Ref<Host> host_;
  com::Ref<ostrel::Session> session_;
  com::Ref<ostrel::CardData> card_data_;
  uint32_t events_cookie_ = 0;
  bool closed_ = false;
  int32_t graph_revision_ = -1;
};

}  // namespace embedded::web
