// Sections and rows: single-row sections, lookups, sorting, selections,
// rows of a sub-section under every parent, trees and readers.
#include <gtest/gtest.h>

#include "platform/com/text.h"
#include "tests/embedded/store_fixture.h"

namespace embedded::testing {
namespace {

class Rows : public StoreTest {
 protected:
  void SetUp() override {
    session_ = Session();
    card_ = NewProcess(session_);
  }
  com::Ref<ostrel::RowCollection> Functions() { return StoreTest::Rows(card_, kFunctions); }
  com::Ref<ostrel::SubSection> Sub(const com::Ref<ostrel::Row>& row, const char* id) {
    return row->GetSubSections()->Item(id);
  }

  com::Ref<ostrel::Session> session_;
  com::Ref<ostrel::CardData> card_;
};

TEST_F(Rows, GetFirstRowOfASingleRowSubSectionMakesItsRowOnce) {
  auto fn = Functions()->AddNew(0);
  auto spare = Sub(fn, kFunctionSpare);
  EXPECT_EQ(spare->GetRows()->Count(), 0);
  auto first = spare->GetFirstRow();
  first->SetField("Data", Text("long"));
  EXPECT_EQ(spare->GetRows()->Count(), 1);
  EXPECT_EQ(spare->GetFirstRow()->GetID(), first->GetID());
  EXPECT_EQ(CodeOf([&] { spare->GetRows()->AddNew(0); }), ostrel::err::kSingleRowTaken);
  // A table section has no row to make.
  EXPECT_EQ(CodeOf([&] { Sub(fn, kPassStates)->GetFirstRow(); }), com::hr::kSubscriptOutOfRange);
  // The row was written like any other change: another session sees it.
  auto other = OpenCard(Session("bob"), card_->GetID());
  auto fn2 = StoreTest::Rows(other, kFunctions)->Item(com::Variant(int32_t{0}));
  EXPECT_EQ(Sub(fn2, kFunctionSpare)->GetFirstRow()->GetField("Data"), Text("long"));
}

TEST_F(Rows, SubSectionsAreFoundByTheirIDInAnyForm) {
  auto fn = Functions()->AddNew(0);
  Sub(fn, kPassStates)->GetRows()->AddNew(0);
  const std::string id = kPassStates;
  for (const std::string& form : {id, text::Upper(id), id.substr(1, 36), " " + id + " "}) {
    EXPECT_EQ(Sub(fn, form.c_str())->GetRows()->Count(), 1) << form;
  }
  // A section of the card, or of another row's section, is no sub-section of this row.
  for (const char* other : {kFunctions, "{DDF1C304-3967-4D36-97D2-D38F9F392489}", "{00000000-0000-0000-0000-000000000001}", "PassStates"}) {
    EXPECT_EQ(CodeOf([&] { Sub(fn, other); }), ostrel::err::kUnknownSchemaItem) << other;
  }
}

TEST_F(Rows, RowIDsAreUpperCaseGuidsFoundInAnyForm) {
  auto rows = Functions();
  auto fn = rows->AddNew(0);
  std::string id = fn->GetID();
  ASSERT_EQ(id.size(), 38u);
  EXPECT_EQ(id, text::Upper(id));
  std::string bare = text::Lower(id.substr(1, 36));
  for (const std::string& form : {id, text::Lower(id), bare, " " + bare + " "}) {
    EXPECT_EQ(rows->Item(com::Variant(form))->GetID(), id) << form;
  }
  EXPECT_EQ(rows->Item(com::Variant(int16_t{0}))->GetID(), id);
  EXPECT_EQ(CodeOf([&] { rows->Item(com::Variant(int32_t{1})); }), com::hr::kSubscriptOutOfRange);
  EXPECT_EQ(CodeOf([&] { rows->Item(Text("{00000000-0000-0000-0000-000000000001}")); }), com::hr::kInvalidProcedureCall);
  // A row of another container is not found here.
  auto pass = Sub(fn, kPassStates)->GetRows()->AddNew(0);
  EXPECT_EQ(CodeOf([&] { rows->Item(com::Variant(pass->GetID())); }), com::hr::kInvalidProcedureCall);
}

TEST_F(Rows, RemoveTakesSubSectionRowsAlongAndLeavesHeldRowsDead) {
  auto rows = Functions();
  auto keep = rows->AddNew(0);
  auto gone = rows->AddNew(0);
  auto pass = Sub(gone, kPassStates)->GetRows()->AddNew(0);
  rows->Remove(com::Variant(gone->GetID()));
  EXPECT_EQ(rows->Count(), 1);
  EXPECT_EQ(CodeOf([&] { gone->GetField("Caption"); }), ostrel::err::kRowDeleted);
  EXPECT_EQ(CodeOf([&] { pass->GetField("State"); }), ostrel::err::kRowDeleted);
  EXPECT_EQ(card_->GetSections()->Item(kPassStates)->GetRows()->Count(), 0);
  rows->Remove(com::Variant(int32_t{0}));
  EXPECT_EQ(rows->Count(), 0);
  rows->AddNew(0);
  rows->AddNew(0);
  rows->Clear();
  EXPECT_EQ(rows->Count(), 0);
  EXPECT_EQ(StoreTest::Rows(OpenCard(Session("bob"), card_->GetID()), kFunctions)->Count(), 0);
}

TEST_F(Rows, SortedRowsAreStableWithNullFirst) {
  auto rows = Functions();
  struct Seed {
    const char* caption;
    com::Variant x;
  } seeds[] = {{"a", com::Variant(2.0)}, {"b", com::Variant::Null()}, {"c", com::Variant(1.0)},
               {"d", com::Variant(2.0)}, {"e", com::Variant::Null()}, {"f", com::Variant(-1.0)}};
  for (const Seed& s : seeds) {
    auto row = rows->AddNew(0);
    row->SetField("Caption", Text(s.caption));
    row->SetField("XPos", s.x);
  }
  auto order = [](const com::Ref<ostrel::RowCollection>& sorted) {
    std::string out;
    for (int32_t i = 0; i < sorted->Count(); ++i) out += sorted->Item(com::Variant(i))->GetField("Caption").ToText();
    return out;
  };
  EXPECT_EQ(order(rows->GetSortedRows("xpos", true)), "befcad");
  EXPECT_EQ(order(rows->GetSortedRows("XPos", false)), "adcfbe");
  EXPECT_EQ(order(rows->GetSortedRows("Caption", true)), "abcdef");
  // A sorted list adds to its section and lists the new row last.
  auto sorted = rows->GetSortedRows("XPos", true);
  sorted->AddNew(0)->SetField("Caption", Text("g"));
  EXPECT_EQ(order(sorted), "befcadg");
  EXPECT_EQ(rows->Count(), 7);
  EXPECT_EQ(CodeOf([&] { rows->GetSortedRows("Nope", true); }), ostrel::err::kUnknownSchemaItem);
}

TEST_F(Rows, ASubSectionTypeAtCardLevelHoldsItsRowsUnderEveryParent) {
  auto rows = Functions();
  auto f1 = rows->AddNew(0);
  auto f2 = rows->AddNew(0);
  for (const auto& [fn, n] : {std::pair{f1, 2}, std::pair{f2, 1}}) {
    for (int i = 0; i < n; ++i) Sub(fn, kPassStates)->GetRows()->AddNew(0)->SetField("Pass", com::Variant(int32_t{i}));
  }
  auto section = card_->GetSections()->Item(kPassStates);
  section->SetSectionMode(2);
  EXPECT_EQ(section->GetSectionMode(), 2);
  auto all = section->GetRows();
  EXPECT_EQ(all->Count(), 3);
  // Rows added under a parent afterwards show at once, in parent order.
  auto late = Sub(f1, kPassStates)->GetRows()->AddNew(0);
  EXPECT_EQ(all->Count(), 4);
  EXPECT_EQ(all->Item(com::Variant(int32_t{2}))->GetID(), late->GetID());
  EXPECT_EQ(all->Item(com::Variant(late->GetID()))->GetID(), late->GetID());
  // There is no one parent to add to.
  EXPECT_EQ(CodeOf([&] { all->AddNew(0); }), ostrel::err::kRefused);
  EXPECT_EQ(section->SelectRows(0, 0)->Count(), 4);
  EXPECT_EQ(section->SelectRows(0, 2)->Count(), 2);
  EXPECT_EQ(CodeOf([&] { card_->GetSections()->Item("{12345678-0000-0000-0000-000000000000}"); }),
            ostrel::err::kUnknownSchemaItem);
}

TEST_F(Rows, ATreeListsItsTopRowsAndSelectsEveryDepth) {
  auto folders = Cards(session_)->GetDictionaryData(kFolderType);
  auto section = folders->GetSections()->Item(kFolders);
  auto top = section->GetRows();
  ASSERT_EQ(top->Count(), 1);  // the seeded top folder
  auto root = top->Item(com::Variant(int32_t{0}));
  auto a = root->GetChildRows()->AddNew(0);
  a->SetField("Name", Text("A"));
  a->GetChildRows()->AddNew(0)->SetField("Name", Text("B"));
  root->GetChildRows()->AddNew(0)->SetField("Name", Text("C"));
  EXPECT_EQ(top->Count(), 1);
  std::string names;
  auto every = section->SelectRows(0, 0);
  for (int32_t i = 0; i < every->Count(); ++i) names += every->Item(com::Variant(i))->GetField("Name").ToText() + "/";
  EXPECT_EQ(names, "Cards/A/B/C/");
  EXPECT_EQ(section->SelectRows(ostrel::row_selection::kRootRowsOnly, 0)->Count(), 1);
  section->SetSectionMode(0);
  EXPECT_EQ(section->GetRows()->Count(), 4);
  // A non-tree row has no child rows, and takes none.
  auto fn = Functions()->AddNew(0);
  EXPECT_EQ(fn->GetChildRows()->Count(), 0);
  EXPECT_EQ(CodeOf([&] { fn->GetChildRows()->AddNew(0); }), ostrel::err::kRefused);
}

TEST_F(Rows, CardTypeListsEverySectionTypeAtAnyDepth) {
  auto type = card_->GetCardType();
  EXPECT_EQ(type->GetName(), "Process");
  EXPECT_EQ(type->GetDisplayName(), "Business process");
  auto top = type->GetSectionTypes();
  auto all = type->GetAllSectionTypes();
  EXPECT_EQ(top->Count(), 6);
  EXPECT_EQ(all->Count(), 16);
  EXPECT_TRUE(all->Contains("passstates"));
  EXPECT_FALSE(top->Contains("PassStates"));
  auto main = top->Item(Text("MainInfo"));
  EXPECT_EQ(main->GetID(), "{0EF6BCCA-7A09-4027-A3A2-D2EEECA1BF4D}");
  EXPECT_EQ(main->GetSectionKind(), ostrel::section_kind::kSingleRow);
  EXPECT_EQ(main->GetSubSectionTypes()->Count(), 1);
  auto fields = main->GetFieldTypes();
  EXPECT_TRUE(fields->Contains("refreshperiod"));
  EXPECT_EQ(fields->Item(Text("RefreshPeriod"))->GetDefaultValue(), com::Variant(int32_t{60}));
  EXPECT_EQ(fields->Item(Text("Template"))->GetFlags() & ostrel::field_flag::kSystem, ostrel::field_flag::kSystem);
  EXPECT_EQ(fields->Item(com::Variant(int32_t{0}))->GetName(), "Name");
  // Parents come before their sub-sections.
  EXPECT_EQ(all->Item(com::Variant(int32_t{0}))->GetName(), "MainInfo");
  EXPECT_EQ(all->Item(com::Variant(int32_t{1}))->GetName(), "DocTypes");
  EXPECT_EQ(main->GetID(), MainRow(card_)->GetSection()->GetSchema()->GetID());
}

TEST_F(Rows, AReaderWalksRowsForwardWhereTheyAre) {
  auto log = card_->GetSections()->Item(kLog);
  auto rows = log->GetRows();
  for (int i = 0; i < 3; ++i) rows->AddNew(0)->SetField("Action", com::Variant(int32_t{i}));
  auto reader = log->OpenReader(2, 0, 0);
  ASSERT_TRUE(reader->ReadNext());
  EXPECT_EQ(reader->GetField("Action"), Text("0"));
  EXPECT_EQ(reader->GetField("RowID"), com::Variant(rows->Item(com::Variant(int32_t{0}))->GetID()));
  // Changes while reading: the first row goes, a new row comes at the end.
  rows->Remove(com::Variant(int32_t{0}));
  rows->AddNew(0)->SetField("Action", Text("3"));
  std::string seen;
  while (reader->ReadNext()) seen += reader->GetField("Action").ToText();
  EXPECT_EQ(seen, "123");
  EXPECT_EQ(CodeOf([&] { reader->GetField("Action"); }), com::hr::kSubscriptOutOfRange);
  auto limited = log->OpenReader(0, 1, 2);
  seen.clear();
  while (limited->ReadNext()) seen += limited->GetField("Action").ToText();
  EXPECT_EQ(seen, "23");
  auto closed = log->OpenReader(0, 0, 0);
  closed->Close();
  EXPECT_FALSE(closed->ReadNext());
}

TEST_F(Rows, AReaderAnswersEachRecordByAnySpellingOfAField) {
  auto log = card_->GetSections()->Item(kLog);
  auto rows = log->GetRows();
  for (int i = 0; i < 3; ++i) {
    auto row = rows->AddNew(0);
    row->SetField("Action", com::Variant("act " + std::to_string(i)));
    row->SetField("Message", com::Variant("msg " + std::to_string(i)));
  }
  auto reader = log->OpenReader(2, 0, 0);
  for (int i = 0; i < 3; ++i) {
    ASSERT_TRUE(reader->ReadNext());
    const std::string n = std::to_string(i);
    // Fields asked in turn and in several spellings each name their own
    // value of this record, never one read before.
    EXPECT_EQ(reader->GetField("Action"), com::Variant("act " + n));
    EXPECT_EQ(reader->GetField("MESSAGE"), com::Variant("msg " + n));
    EXPECT_EQ(reader->GetField("action"), com::Variant("act " + n));
    EXPECT_EQ(reader->GetField("Message"), com::Variant("msg " + n));
    EXPECT_EQ(reader->GetField("RowID"), com::Variant(rows->Item(com::Variant(int32_t{i}))->GetID()));
    EXPECT_EQ(CodeOf([&] { reader->GetField("Nope"); }), ostrel::err::kUnknownSchemaItem) << "record " << n;
  }
}

TEST_F(Rows, LogRowsCarryTheWriteSequence) {
  auto rows = card_->GetSections()->Item(kLog)->GetRows();
  auto first = rows->AddNew(0);
  auto second = rows->AddNew(0);
  com::Variant a = first->GetField("SysRowTimestamp");
  com::Variant b = second->GetField("SysRowTimestamp");
  ASSERT_EQ(a.type(), com::Variant::Type::I4);
  EXPECT_LT(a.ToI4(), b.ToI4());
  first->SetField("Message", Text("again"));
  EXPECT_GT(first->GetField("SysRowTimestamp").ToI4(), b.ToI4());
  // Inside a bracket the stamp comes with the write.
  Update(card_)->BeginUpdate();
  auto third = rows->AddNew(0);
  EXPECT_TRUE(third->GetField("SysRowTimestamp").IsNull());
  Update(card_)->EndUpdate();
  EXPECT_EQ(third->GetField("SysRowTimestamp").type(), com::Variant::Type::I4);
}

}  // namespace
}  // namespace embedded::testing
