#pragma once

#include <memory>
#include <string>
#include <vector>

#include "embedded/store/store.h"
#include "platform/ostrel/card_data.h"
#include "platform/ostrel/session.h"
#include "vorlane/exchange_limits.h"
#include "vorlane/library.h"
#include "vorlane/process.h"

namespace cli {

// What every command runs on: the store file, a session of the user on it,
// and a Library over that session, opened on first need.
struct Options {
  std::string store = "store.vorlane";
  std::string user;
  int locale = 1033;
  // The account's groups, as the workflow server sees them.
  std::vector<std::string> groups = {"Korvessa Workflow Process Creators"};
  bool json = false;
  // Whether a missing or empty store file may be made into a store: only
  // `init` makes one, so a mistyped --store never becomes a new, empty store.
  bool create_store = false;
  // Whether a missing store may be stood in for by one in memory: a command
  // that only reads a process file needs no store file.
  bool memory_store_if_missing = false;
  // The person agreed beforehand to what a destructive command does (--yes).
  bool yes = false;
  // The largest process file an import or a comparison reads (--max-size).
  uint64_t max_size = vorlane::ExchangeLimits::kDefaultMaxFileSize;
};

class Context {
 public:
  explicit Context(Options options) : options_(std::move(options)) {}

  const Options& options() const { return options_; }
  ostrel::Session& session();
  // The store the session is on (opened with the session).
  embedded::Store& store();
  vorlane::Library& library();
  // The card data of a card, by an ID typed in any case, braces optional.
  com::Ref<ostrel::CardData> Card(const std::string& id);
  // The process of a card, template or instance.
  com::Ref<vorlane::Process> Process(const std::string& id);

  // Where a card lives, for messages: "card {ID} in store "PATH"".
  std::string CardInStore(const std::string& card_id) const;
  // Reports a failure on stderr as "error: ..." and lets the command go on;
  // the tool then exits with 1 after the command printed the rest.
  void ReportFailure(const std::string& text);
  // The command printed its result, and it is a failure all the same (a
  // process with findings): the tool exits with 1.
  void MarkFailed() { failed_ = true; }
  bool failed() const { return failed_; }
  // The text of a failure for people, without its code: with the card the
  // command was working on and its store, unless the text names the store
  // already.
  std::string Describe(const com::Error& e) const;
  // The error's description as a person reads it: the platform's transport
  // prefix ("...SoapError: 1873, 1386, ") left out; the code's standard
  // text when there is no description.
  static std::string PeopleText(const com::Error& e);

 private:
  Options options_;
  std::shared_ptr<embedded::Store> store_;
  com::Ref<ostrel::Session> session_;
  com::Ref<vorlane::Library> library_;
  bool failed_ = false;
  // The card the command opened last by its ID ("" before any).
  std::string card_;
};

// The system's own ID rule: trimmed, upper-cased, braces added when missing.
std::string NormalizeID(std::string_view id);
// The login name of the user running the tool.
std::string LoginName();

}  // namespace cli
