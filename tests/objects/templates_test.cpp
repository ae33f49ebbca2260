// The searched lists of templates and instances: when they search, what
// they keep, and what a search adds.
#include "embedded/store/store.h"
#include "platform/com/enumerator.h"
#include "platform/ostrel/card_manager.h"
#include "platform/ostrel/errors.h"
#include "tests/objects/library_fixture.h"

namespace vorlane::testing {
namespace {

using com::Variant;

// The store's own search, counting the searches made through it.
class CountingSearch final : public embedded::SearchEngine {
 public:
  explicit CountingSearch(std::shared_ptr<embedded::SearchEngine> inner) : inner_(std::move(inner)) {}
  std::vector<com::Guid> Find(embedded::Store& store, std::string_view query) override {
    ++searches;
    return inner_->Find(store, query);
  }
  int searches = 0;

 private:
  std::shared_ptr<embedded::SearchEngine> inner_;
};

class TemplatesTest : public LibraryFixture {
 protected:
  void SetUp() override {
    LibraryFixture::SetUp();
    search = std::make_shared<CountingSearch>(store->search_engine());
    store->SetSearchEngine(search);
  }
  // A template card made and written by another session, never seen here.
  std::string TemplateMadeElsewhere() {
    auto other = OtherSession("bob")->GetCardManager()->CreateCardData(layout::kProcessCardType,
                                                                       ostrel::create_flag::kTemplate);
    return other->GetID();
  }
  static std::vector<std::string> IdsOf(const com::Ref<com::Unknown>& enumerator) {
    std::vector<std::string> ids;
    auto e = com::Query<com::Enumerator>(enumerator);
    while (auto item = e->Next()) ids.push_back(com::Query<Process>(item->ToObject())->ID());
    return ids;
  }

  std::shared_ptr<CountingSearch> search;
};

TEST_F(TemplatesTest, CountSearchesOnceUntilRefresh) {
  auto templates = library->Templates();
  EXPECT_EQ(templates->Count(), 1);
  EXPECT_EQ(templates->Count(), 1);
  EXPECT_EQ(search->searches, 1);
  TemplateMadeElsewhere();
  EXPECT_EQ(templates->Count(), 1);  // loaded: no new search
  templates->Refresh(false);
  EXPECT_EQ(search->searches, 1);  // Refresh itself asks the platform nothing
  EXPECT_EQ(templates->Count(), 2);
  EXPECT_EQ(search->searches, 2);
}

TEST_F(TemplatesTest, TemplatesListTemplatesAndInstancesListInstances) {
  auto instance = library->CreateProcess(card->GetID());
  auto second = library->Templates()->AddNew();
  library->Refresh(false);
  EXPECT_EQ(IdsOf(library->Templates()->NewEnum()), (std::vector<std::string>{card->GetID(), second->ID()}));
  EXPECT_EQ(IdsOf(library->Instances()->NewEnum()), (std::vector<std::string>{instance->ID()}));
  EXPECT_EQ(library->Instances()->Item(Variant(1))->TemplateProcess(), card->GetID());
}

TEST_F(TemplatesTest, AnItemOpenedByIdIsListedOnceWhenASearchFindsItLater) {
  const std::string id = TemplateMadeElsewhere();
  auto templates = library->Templates();
  auto opened = templates->Item(Variant(id));
  EXPECT_EQ(search->searches, 0);  // by ID: no search
  EXPECT_EQ(templates->Item(Variant(id)), opened);
  EXPECT_EQ(templates->Count(), 2);
  EXPECT_EQ(search->searches, 1);
  // The search keeps what was listed first, and appends what it found new.
  EXPECT_EQ(templates->Item(Variant(1)), opened);
  EXPECT_EQ(templates->Item(Variant(2))->ID(), card->GetID());
  EXPECT_EQ(CodeOf([&] { templates->Item(Variant(3)); }), com::hr::kSubscriptOutOfRange);
}

TEST_F(TemplatesTest, ANewTemplateIsListedBeforeAnySearchAndOnceAfter) {
  auto templates = library->Templates();
  auto t = templates->AddNew();
  EXPECT_EQ(search->searches, 0);
  EXPECT_EQ(templates->Item(Variant(t->ID())), t);
  EXPECT_EQ(templates->Count(), 2);
  EXPECT_EQ(templates->Item(Variant(1)), t);
}

TEST_F(TemplatesTest, ATemplateDeletedElsewhereStaysListedUntilRefresh) {
  const std::string id = TemplateMadeElsewhere();
  auto templates = library->Templates();
  EXPECT_EQ(templates->Count(), 2);
  OtherSession("bob")->GetCardManager()->DeleteCard(id, true);
  EXPECT_EQ(templates->Count(), 2);
  EXPECT_EQ(templates->Item(Variant(id))->ID(), id);
  templates->Refresh(false);
  EXPECT_EQ(templates->Count(), 1);
}

TEST_F(TemplatesTest, AFailedSearchKeepsWhatWasListedAndSearchesAgainNextTime) {
  auto templates = library->Templates();
  const std::string id = TemplateMadeElsewhere();
  templates->Item(Variant(id));
  // The search service is down.
  store->SetSearchEngine(nullptr);
  EXPECT_EQ(CodeOf([&] { templates->Count(); }), ostrel::err::kServiceUnavailable);
  EXPECT_EQ(CodeOf([&] { templates->NewEnum(); }), ostrel::err::kServiceUnavailable);
  EXPECT_EQ(templates->Item(Variant(id))->ID(), id);  // by ID needs no search
  store->SetSearchEngine(search);
  EXPECT_EQ(templates->Count(), 2);
  EXPECT_EQ(search->searches, 1);
}

TEST_F(TemplatesTest, AnItemByIdOfACardThatDoesNotOpenFailsAndListsNothing) {
  auto templates = library->Templates();
  EXPECT_EQ(CodeOf([&] { templates->Item(Variant("{6D1C5A3E-0000-4000-8000-00000000F00D}")); }),
            ostrel::err::kUnknownCard);
  EXPECT_EQ(templates->Count(), 1);
}

TEST_F(TemplatesTest, AnyCardOpenedByIdIsListedWhateverItIs) {
  auto instance = library->CreateProcess(card->GetID());
  auto templates = library->Templates();
  EXPECT_EQ(templates->Item(Variant(instance->ID()))->ID(), instance->ID());
  EXPECT_EQ(templates->Count(), 2);
}

TEST_F(TemplatesTest, ByDispatchTheListIsIndexedAndWalked) {
  Variant l(com::Ref<com::Unknown>(library.get()));
  Variant templates = com::GetProperty(l.TryObject(), "Templates");
  EXPECT_EQ(com::GetProperty(templates.TryObject(), "Count"), Variant(1));
  auto dispatch = com::Query<com::Dispatch>(templates.ToObject());
  Variant first[] = {Variant(1)};
  Variant p = dispatch->Invoke(com::kDispIdValue, com::kInvokeGet, first);
  EXPECT_EQ(com::GetProperty(p.TryObject(), "ID"), Variant(card->GetID()));
  Variant from[] = {p};
  Variant made = com::CallMethod(com::GetProperty(l.TryObject(), "Instances").TryObject(), "AddNew", from);
  EXPECT_EQ(com::GetProperty(made.TryObject(), "IsTemplate"), Variant(false));
}

}  // namespace
}  // namespace vorlane::testing
