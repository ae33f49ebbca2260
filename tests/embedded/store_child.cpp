// A second process on a store file, driven by the store file tests: it
// runs one command and reports on its standard output, a line at a time.
//
//   store_child FILE lock CARD ACCOUNT  locks the card, says "locked"; then
//                                       "unlock" on its input unlocks it
//                                       (says "unlocked"); end of input ends
//                                       the session and the program
//   store_child FILE set CARD FIELD TEXT sets the MainInfo field, says "done"
//   store_child FILE get CARD FIELD     says the MainInfo field's text
//   store_child FILE write-loop CARD    writes brackets 1, 2, ... for ever,
//                                       saying each number once it is written
//   store_child FILE open               opens a session, says "opened" or
//                                       "error 0x... TEXT"
//   store_child FILE count CARD N MODE  adds one to the MainInfo field
//                                       "LogLimit" N times, each time reading
//                                       it and writing the next value: under
//                                       the card's lock (MODE "lock"), after a
//                                       Refresh ("refresh") or as the view
//                                       stands ("plain"); a conflict is
//                                       counted and the increment made again.
//                                       Says "counted CONFLICTS"
//   store_child FILE sweep              says "sweeping", then checks every
//                                       session mark of the file and opens the
//                                       file, over and over, until its input
//                                       ends; says "swept ROUNDS"
#include <poll.h>
#include <sched.h>

#include <cstdio>
#include <iostream>
#include <string>

#include "embedded/store/open.h"
#include "embedded/store/session_lock.h"
#include "embedded/store/sqlite_storage.h"
#include "platform/ostrel/errors.h"
#include "platform/ostrel/ostrel.h"

namespace {

constexpr const char* kMainInfo = "{0ef6bcca-7a09-4027-a3a2-d2eeeca1bf4d}";
constexpr const char* kFunctions = "{10105dc1-8b61-4a76-b719-02d679662606}";

void Say(const std::string& line) {
  std::cout << line << std::endl;  // flushed: the test waits for each line
}

com::Ref<ostrel::Session> Session(const std::string& file, const std::string& account = "child") {
  return embedded::Open({.store_file = file, .account = account});
}

com::Ref<ostrel::Row> MainRow(const com::Ref<ostrel::CardData>& card) {
  return card->GetSections()->Item(kMainInfo)->GetFirstRow();
}

int Run(int argc, char** argv) {
  if (argc < 3) return 2;
  const std::string file = argv[1];
  const std::string command = argv[2];
  if (command == "open") {
    try {
      Session(file);
      Say("opened");
    } catch (const com::Error& e) {
      Say("error " + com::HexCode(e.code()) + " " + e.description());
    }
    return 0;
  }
  if (command == "sweep") {
    // What every process that opens the store does, as often as it can.
    Say("sweeping");
    const std::string folder = file + "-sessions";
    long rounds = 0;
    for (pollfd input{0, POLLIN, 0}; ::poll(&input, 1, 0) == 0 && rounds < 10'000'000; ++rounds) {
      for (const std::string& session : embedded::SessionLock::Marked(folder)) {
        embedded::SessionLock::IsAlive(folder, session);
      }
      if (rounds % 16 == 0) embedded::SqliteStorage storage(file, {.durability = embedded::Durability::kNormal});
    }
    Say("swept " + std::to_string(rounds));
    return 0;
  }
  if (argc < 4) return 2;
  const std::string card_id = argv[3];
  if (command == "count" && argc == 6) {
    const int n = std::stoi(argv[4]);
    const std::string mode = argv[5];
    auto card = Session(file, "counter")->GetCardManager()->GetCardData(card_id);
    auto lock = com::Query<ostrel::CardLock>(card);
    int conflicts = 0;
    for (int done = 0; done < n;) {
      if (mode == "lock") {
        try {
          lock->Lock(false);
        } catch (const com::Error& e) {
          if (e.code() != ostrel::err::kRefused) throw;
          sched_yield();  // the other one holds it: try again
          continue;
        }
      } else if (mode == "refresh") {
        card->Refresh(false);
      }
      const int32_t value = MainRow(card)->GetField("LogLimit").ToI4();
      try {
        MainRow(card)->SetField("LogLimit", com::Variant(value + 1));
        ++done;
      } catch (const com::Error& e) {
        if (e.code() != ostrel::err::kConflict) throw;
        ++conflicts;  // the view is back at the stored state: read again
      }
      if (mode == "lock") lock->Unlock();
    }
    Say("counted " + std::to_string(conflicts));
    return 0;
  }
  if (command == "lock" && argc == 5) {
    auto session = Session(file, argv[4]);
    auto card = session->GetCardManager()->GetCardData(card_id);
    auto lock = com::Query<ostrel::CardLock>(card);
    lock->Lock(false);
    Say("locked");
    std::string line;
    while (std::getline(std::cin, line)) {
      if (line == "unlock") {
        lock->Unlock();
        Say("unlocked");
      }
    }
    return 0;
  }
  if (command == "set" && argc == 6) {
    auto card = Session(file)->GetCardManager()->GetCardData(card_id);
    MainRow(card)->SetField(argv[4], com::Variant(argv[5]));
    Say("done");
    return 0;
  }
  if (command == "get" && argc == 5) {
    auto card = Session(file)->GetCardManager()->GetCardData(card_id);
    Say(MainRow(card)->GetField(argv[4]).ToText());
    return 0;
  }
  if (command == "write-loop") {
    // Each bracket writes one number into three places and adds rows, so
    // that a half-written bracket would show as numbers that disagree.
    auto card = Session(file)->GetCardManager()->GetCardData(card_id);
    auto update = com::Query<ostrel::CardUpdate>(card);
    auto functions = card->GetSections()->Item(kFunctions)->GetRows();
    for (int n = 1;; ++n) {
      const std::string text = std::to_string(n);
      update->BeginUpdate();
      MainRow(card)->SetField("Name", com::Variant(text));
      card->SetDescription(text);
      for (int i = 0; i < 20; ++i) functions->AddNew(0)->SetField("Caption", com::Variant(text));
      update->EndUpdate();
      Say(text);
    }
  }
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    return Run(argc, argv);
  } catch (const com::Error& e) {
    // The test reads the failure from the output and the exit status.
    Say("error " + com::HexCode(e.code()) + " " + e.description());
    return 1;
  }
}
