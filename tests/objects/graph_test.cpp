// The process graph: the row-backed lists and the function, gate, link and
// pass-state wrappers over their rows.
#include "objects/graph/proc_function_object.h"
#include "platform/com/text.h"
#include "platform/ostrel/sub_section.h"
#include "platform/ostrel/sub_section_collection.h"
#include "tests/objects/process_fixture.h"

namespace vorlane::testing {
namespace {

using com::Variant;

class GraphTest : public ProcessFixture {};

TEST_F(GraphTest, AnEmptyListCountsNothingAndEnumeratesNothing) {
  EXPECT_EQ(process->Functions()->Count(), 0);
  auto e = com::Query<com::Enumerator>(process->Gates()->NewEnum());
  EXPECT_FALSE(e->Next());
  EXPECT_EQ(CodeOf([&] { process->Links()->Item(Variant(1)); }), com::hr::kSubscriptOutOfRange);
}

TEST_F(GraphTest, ItemsAreFoundByPositionAndByIdInAnyForm) {
  auto functions = process->Functions();
  auto first = functions->AddNew();
  auto second = functions->AddNew();
  process->Refresh(false);
  functions = process->Functions();
  EXPECT_EQ(functions->Item(Variant(1))->ID(), first->ID());
  EXPECT_EQ(functions->Item(Variant(2))->ID(), second->ID());
  std::string id = second->ID();
  std::string bare = text::Lower(id.substr(1, id.size() - 2));
  EXPECT_EQ(functions->Item(Variant("  " + bare + " "))->ID(), id);
  EXPECT_EQ(functions->Item(Variant(text::Lower(id)))->ID(), id);
  EXPECT_EQ(CodeOf([&] { functions->Item(Variant(3)); }), com::hr::kSubscriptOutOfRange);
  EXPECT_EQ(CodeOf([&] { functions->Item(Variant("{00000000-0000-0000-0000-000000000001}")); }),
            com::hr::kInvalidProcedureCall);
}

TEST_F(GraphTest, AddNewCountsTheNewItemOnceWhetherTheListWasReadOrNot) {
  auto gates = process->Gates();
  gates->AddNew();  // unread: the next read finds the row
  EXPECT_EQ(gates->Count(), 1);
  auto added = gates->AddNew();  // read: appended at the end
  EXPECT_EQ(gates->Count(), 2);
  EXPECT_EQ(gates->Item(Variant(2)), added);
  EXPECT_EQ(Rows(layout::kGates)->Count(), 2);
}

TEST_F(GraphTest, NewItemsHaveAnIdAndEmptyFields) {
  auto f = process->Functions()->AddNew();
  EXPECT_TRUE(f->ReuseStep());
  EXPECT_EQ(f->TypeID(), "{}");
  EXPECT_EQ(f->Caption(), "");
  EXPECT_EQ(f->Width(), 0);
  EXPECT_EQ(f->XPos(), 0.f);
  EXPECT_EQ(f->ID().size(), 38u);
  EXPECT_EQ(f->ID(), text::Upper(f->ID()));

  auto g = process->Gates()->AddNew();
  EXPECT_EQ(g->TypeID(), "{}");
  EXPECT_EQ(g->Data(), "");
  g->SetTypeID("ab-cd");
  EXPECT_EQ(g->TypeID(), "{AB-CD}");

  auto l = process->Links()->AddNew();
  EXPECT_EQ(l->Source(), "{}");
  EXPECT_EQ(l->LinkType(), LinkTypeEnum::LinkSuccess);
  EXPECT_FALSE(l->Disabled());  // the platform gives a new link False
  l->SetStyle(-1);
  EXPECT_EQ(l->Style(), -1);
}

TEST_F(GraphTest, NarrowFieldsReadTheirLowWordAndBadNumbersReadZero) {
  auto f = process->Functions()->AddNew();
  f->SetWidth(120);
  EXPECT_EQ(f->Width(), 120);
  auto raw = Rows(layout::kFunctions)->Item(Variant(0));
  raw->SetField("PoolingInterval", Variant::Null());
  EXPECT_EQ(f->PoolingInterval(), 0);
}

TEST_F(GraphTest, AnEmptyIdFailsToReadOnTheGraphsOwnItems) {
  auto g = process->Gates()->AddNew();
  Rows(layout::kGates)->Item(Variant(0))->SetField("ID", Variant::Null());
  EXPECT_EQ(CodeOf([&] { g->ID(); }), com::hr::kInvalidUseOfNull);
}

TEST_F(GraphTest, RemoveTakesTheRowAndLeavesTheLinksThatNameIt) {
  auto functions = process->Functions();
  auto a = functions->AddNew();
  auto b = functions->AddNew();
  auto link = process->Links()->AddNew();
  std::string a_id = a->ID();
  link->SetSource(a_id);
  link->SetDestination(b->ID());
  functions->Remove(Variant(text::Lower(a_id)));
  EXPECT_EQ(functions->Count(), 1);
  EXPECT_EQ(Rows(layout::kFunctions)->Count(), 1);
  EXPECT_EQ(process->Links()->Count(), 1);
  EXPECT_EQ(link->Source(), a_id);
  // The removed wrapper still holds its row, which is gone.
  EXPECT_NE(CodeOf([&] { a->Caption(); }), com::hr::kOk);
  EXPECT_EQ(CodeOf([&] { functions->Remove(Variant(5)); }), com::hr::kSubscriptOutOfRange);
  EXPECT_EQ(functions->Count(), 1);
}

TEST_F(GraphTest, RefreshGivesNewWrappersOverTheSameRows) {
  auto links = process->Links();
  EXPECT_EQ(links->Count(), 0);  // read now, so the new link joins the list
  auto before = links->AddNew();
  EXPECT_EQ(links->Item(Variant(before->ID())), before);
  links->Refresh(false);
  auto after = links->Item(Variant(before->ID()));
  EXPECT_NE(after, before);
  after->SetCaption("seen by both");
  EXPECT_EQ(before->Caption(), "seen by both");
}

TEST_F(GraphTest, WrappersOfTwoProcessesOverOneCardSeeEachOthersWrites) {
  auto f = process->Functions()->AddNew();
  auto twin = Attach(card);
  auto there = twin->Functions()->Item(Variant(f->ID()));
  there->SetCaption("Approve");
  there->SetXPos(12.5f);
  EXPECT_EQ(f->Caption(), "Approve");
  EXPECT_EQ(f->XPos(), 12.5f);
}

TEST_F(GraphTest, FunctionDataMovesToTheSpareRowPast1024Characters) {
  auto f = process->Functions()->AddNew();
  auto row = Rows(layout::kFunctions)->Item(Variant(0));
  std::string fits = Cyrillic(1024);  // 2048 bytes, 1024 characters
  f->SetData(fits);
  EXPECT_EQ(row->GetField("UseSparedData"), Variant(false));
  EXPECT_EQ(row->GetField("Data"), Variant(fits));
  EXPECT_EQ(f->Data(), fits);

  std::string longer = Cyrillic(1025);
  f->SetData(longer);
  EXPECT_EQ(row->GetField("UseSparedData"), Variant(true));
  EXPECT_EQ(row->GetField("Data"), Variant(""));
  EXPECT_EQ(row->GetSubSections()->Item(layout::kFunctionSpare)->GetFirstRow()->GetField("Data"), Variant(longer));
  EXPECT_EQ(f->Data(), longer);

  // A text that shrinks again is read from the row; the old long text stays behind, unread.
  f->SetData("short");
  EXPECT_EQ(f->Data(), "short");
  EXPECT_EQ(row->GetSubSections()->Item(layout::kFunctionSpare)->GetFirstRow()->GetField("Data"), Variant(longer));
}

TEST_F(GraphTest, ANewFunctionTextReachesEveryPassStateAndClearsItsFlags) {
  auto f = process->Functions()->AddNew();
  // Written before States was ever read: States is made from the text before the write.
  f->SetData("v0");
  EXPECT_EQ(f->States()->AddNew()->Data(), "");
  f->SetData("v1");
  f->Refresh(false);
  auto states = f->States();
  EXPECT_EQ(f->States(), states);
  auto p0 = states->Item(Variant(1));
  auto p1 = states->AddNew();
  EXPECT_EQ(p1->Data(), "v1");
  p0->SetHasErrors(true);
  p1->SetHasWarnings(true);

  f->SetData("v1");  // the same text touches nothing
  EXPECT_TRUE(p0->HasErrors());
  f->SetData("v2");
  for (auto p : {p0, p1}) {
    EXPECT_EQ(p->Data(), "v2");
    EXPECT_FALSE(p->HasErrors());
    EXPECT_FALSE(p->HasWarnings());
  }
  // New pass states take the text the function had when its States were made.
  EXPECT_EQ(states->AddNew()->Data(), "v1");
  f->Refresh(false);
  EXPECT_NE(f->States(), states);
  EXPECT_EQ(f->States()->AddNew()->Data(), "v2");
}

TEST_F(GraphTest, PassStatesAreNumberedAndListedOnceEvenWhenAddedToAnUnreadList) {
  auto f = process->Functions()->AddNew();
  auto first = f->States()->AddNew();
  f->Refresh(false);  // the next States is unread
  auto states = f->States();
  auto second = states->AddNew();
  EXPECT_EQ(first->Pass(), 0);
  EXPECT_EQ(second->Pass(), 1);
  EXPECT_EQ(states->Count(), 2);
  EXPECT_EQ(second->State(), FuncStateEnum::NonActive);
  // Found by ID whether read from rows or just added.
  EXPECT_EQ(states->Item(Variant(second->ID())), second);
  EXPECT_EQ(states->Item(Variant(first->ID()))->Pass(), 0);
}

TEST_F(GraphTest, PassStateDataKeepsLongTextsEscapedInItsSpareRow) {
  auto p = process->Functions()->AddNew()->States()->AddNew();
  auto row = com::Query<ostrel::Row>(Rows(layout::kFunctions)->Item(Variant(0))
                                         ->GetSubSections()
                                         ->Item(layout::kPassStates)
                                         ->GetRows()
                                         ->Item(Variant(0)));
  auto spare = [&] { return row->GetSubSections()->Item(layout::kPassStateSpare)->GetFirstRow()->GetField("Data"); };
  p->SetData("short");
  std::string longer = Cyrillic(1025);
  p->SetData(longer);
  EXPECT_EQ(row->GetField("UseSparedData"), Variant(true));
  EXPECT_EQ(row->GetField("Data"), Variant("short"));  // left as it was
  EXPECT_EQ(spare(), Variant(longer));                 // not escaped below 32001
  EXPECT_EQ(p->Data(), longer);

  std::string huge = Cyrillic(32001 - 3) + "a&<";
  ASSERT_EQ(text::Length(huge), 32001u);
  p->SetData(huge);
  std::string stored = spare().ToText();
  EXPECT_NE(stored.find("a#amp##lt#"), std::string::npos);
  EXPECT_EQ(p->Data(), huge);
  EXPECT_EQ(p->ID().front(), '{');
}

TEST_F(GraphTest, APassStateWithAnEmptyIdReadsEmptyBraces) {
  auto p = process->Functions()->AddNew()->States()->AddNew();
  Rows(layout::kFunctions)
      ->Item(Variant(0))
      ->GetSubSections()
      ->Item(layout::kPassStates)
      ->GetRows()
      ->Item(Variant(0))
      ->SetField("ID", Variant::Null());
  EXPECT_EQ(p->ID(), "{}");
  p->SetHasWarnings(true);
  EXPECT_TRUE(p->HasWarnings());
  EXPECT_FALSE(p->HasErrors());
}

TEST_F(GraphTest, ScriptsBuildAGraphByName) {
  com::Unknown* functions = com::GetProperty(static_cast<Process*>(process.get()), "Functions").TryObject();
  com::Variant f = com::CallMethod(functions, "AddNew");
  com::SetProperty(f.TryObject(), "Caption", Variant("Step"));
  com::SetProperty(f.TryObject(), "Width", Variant(90));
  Variant one[] = {Variant(1)};
  com::Variant again = com::GetProperty(functions, "Item", one);
  EXPECT_EQ(com::GetProperty(again.TryObject(), "caption"), Variant("Step"));
  EXPECT_EQ(com::GetProperty(again.TryObject(), "Width"), Variant(int16_t{90}));
  com::Variant states = com::GetProperty(again.TryObject(), "States");
  com::CallMethod(states.TryObject(), "AddNew");
  EXPECT_EQ(com::GetProperty(states.TryObject(), "Count"), Variant(1));
}

}  // namespace
}  // namespace vorlane::testing
