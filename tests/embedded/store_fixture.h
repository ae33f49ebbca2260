#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "embedded/store/open.h"
#include "platform/ostrel/ostrel.h"
#include "tests/embedded/store_files.h"

namespace embedded::testing {

// Card types and sections the tests use.
inline constexpr const char* kProcessType = "{AE82DD57-348C-4407-A50A-9F2C7D694DA8}";
inline constexpr const char* kMainInfo = "{0ef6bcca-7a09-4027-a3a2-d2eeeca1bf4d}";
inline constexpr const char* kFunctions = "{10105dc1-8b61-4a76-b719-02d679662606}";
inline constexpr const char* kPassStates = "{97cc73ba-1953-4a70-8460-415bd4bcaaae}";
inline constexpr const char* kFunctionSpare = "{E1C92C90-DD3F-4ED8-AA37-35F5F2EB65D8}";
inline constexpr const char* kVariables = "{79f5b1f6-6bd0-499b-9093-232989bdcc6e}";
inline constexpr const char* kLinks = "{d2527f62-62b1-4f47-9d71-916c22d6994d}";
inline constexpr const char* kLog = "{388F390F-139E-498E-A461-A24FBA160487}";
inline constexpr const char* kFolderType = "{DA86FABF-4DD7-4A86-B6FF-C58C24D12DE2}";
inline constexpr const char* kFolders = "{1E0BB405-660D-4945-82E0-565221AC839A}";

// One store and sessions over it: in memory, or in a store file of its own
// when the suite runs on store files (TestsOnStoreFiles).
class StoreTest : public ::testing::Test {
 protected:
  StoreTest()
      : files_(TestsOnStoreFiles() ? std::make_unique<TempFolder>() : nullptr),
        store_(files_ ? Store::Open({.path = files_->File("test.vorlane"), .durability = Durability::kNormal})
                      : Store::Open()) {}

  com::Ref<ostrel::Session> Session(const std::string& account = "alice", int32_t locale = 1033) {
    SessionOptions o;
    o.store = store_;
    o.account = account;
    o.locale = locale;
    return Open(o);
  }
  static com::Ref<ostrel::CardManager> Cards(const com::Ref<ostrel::Session>& s) { return s->GetCardManager(); }
  static com::Ref<ostrel::CardData> NewProcess(const com::Ref<ostrel::Session>& s) {
    return s->GetCardManager()->CreateCardData(kProcessType, 0);
  }
  static com::Ref<ostrel::CardData> OpenCard(const com::Ref<ostrel::Session>& s, const std::string& id) {
    return s->GetCardManager()->GetCardData(id);
  }
  static com::Ref<ostrel::RowCollection> Rows(const com::Ref<ostrel::CardData>& card, const std::string& section) {
    return card->GetSections()->Item(section)->GetRows();
  }
  static com::Ref<ostrel::Row> MainRow(const com::Ref<ostrel::CardData>& card) {
    return card->GetSections()->Item(kMainInfo)->GetFirstRow();
  }
  static com::Ref<ostrel::CardUpdate> Update(const com::Ref<ostrel::CardData>& card) {
    return com::Query<ostrel::CardUpdate>(card);
  }
  static com::Ref<ostrel::CardLock> Lock(const com::Ref<ostrel::CardData>& card) {
    return com::Query<ostrel::CardLock>(card);
  }

  std::unique_ptr<TempFolder> files_;  // outlives the store over it
  std::shared_ptr<Store> store_;
};

// The code a call fails with, 0 when it does not fail.
inline com::HResult CodeOf(const std::function<void()>& call) {
  try {
    call();
  } catch (const com::Error& e) {
    return e.code();
  }
  return 0;
}

// The description a call fails with, "" when it does not fail.
inline std::string TextOf(const std::function<void()>& call) {
  try {
    call();
  } catch (const com::Error& e) {
    return e.description();
  }
  return "";
}

inline com::Variant Text(const char* s) { return com::Variant(s); }

}  // namespace embedded::testing
