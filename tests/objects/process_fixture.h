#pragma once

// A process over a new process card of a session on a store in memory: what
// the object model's tests start from.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "embedded/store/open.h"
#include "objects/core/card_layout.h"
#include "objects/process/process_object.h"
#include "platform/ostrel/card_manager.h"
#include "platform/ostrel/row_collection.h"
#include "platform/ostrel/section.h"
#include "platform/ostrel/section_collection.h"

namespace vorlane::testing {

class ProcessFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    store = embedded::Store::Open();
    session = embedded::Open({.store = store, .account = "alice"});
    card = session->GetCardManager()->CreateCardData(layout::kProcessCardType, ostrel::create_flag::kTemplate);
    process = Attach(card);
  }

  // A new Process over `c`, as the library attaches one.
  static com::Ref<ProcessObject> Attach(com::Ref<ostrel::CardData> c) {
    auto p = com::Make<ProcessObject>();
    p->Initialize(std::move(c));
    return p;
  }
  // Another session over the same store.
  com::Ref<ostrel::Session> OtherSession(const std::string& account) {
    return embedded::Open({.store = store, .account = account});
  }
  // The raw rows of a section of the card, bypassing the object model.
  com::Ref<ostrel::RowCollection> Rows(const char* section_id) {
    return card->GetSections()->Item(section_id)->GetRows();
  }

  std::shared_ptr<embedded::Store> store;
  com::Ref<ostrel::Session> session;
  com::Ref<ostrel::CardData> card;
  com::Ref<ProcessObject> process;
};

// The code a call fails with; 0 when it does not fail.
inline com::HResult CodeOf(const std::function<void()>& call) {
  try {
    call();
  } catch (const com::Error& e) {
    return e.code();
  }
  return com::hr::kOk;
}

// A text of `n` characters of Cyrillic (two bytes each in UTF-8).
inline std::string Cyrillic(size_t n) {
  std::string s;
  for (size_t i = 0; i < n; ++i) s += "ж";
  return s;
}

}  // namespace vorlane::testing
