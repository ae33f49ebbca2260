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
#include <cstdio>
#include <iostream>
#include <string>

#include "embedded/store/open.h"
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
  if (argc < 4) return 2;
  const std::string card_id = argv[3];
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
