#pragma once

// A Library connected to the fixture's session, as a client makes one.
#include "objects/library/library_object.h"
#include "tests/objects/process_fixture.h"

namespace vorlane::testing {

class LibraryFixture : public ProcessFixture {
 protected:
  void SetUp() override {
    ProcessFixture::SetUp();
    library = Connected(session);
  }

  static com::Ref<LibraryObject> Connected(const com::Ref<ostrel::Session>& s) {
    auto l = com::Make<LibraryObject>();
    l->SetConnection(com::Variant(s));
    return l;
  }
  // The process cards of the store, as written.
  size_t ProcessCardCount() { return store->storage().List(com::Guid(layout::kProcessCardType)).size(); }

  com::Ref<LibraryObject> library;
};

}  // namespace vorlane::testing
