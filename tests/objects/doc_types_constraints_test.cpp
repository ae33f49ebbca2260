// The document types of a process and the constraints of a pass state.
#include <gtest/gtest.h>

#include "platform/com/text.h"
#include "platform/ostrel/sub_section.h"
#include "platform/ostrel/sub_section_collection.h"
#include "tests/objects/process_fixture.h"

namespace vorlane::testing {
namespace {

using com::Variant;

class DocTypesTest : public ProcessFixture {
 protected:
  com::Ref<ostrel::RowCollection> DocTypeRows() {
    return process->MainInfoRow().GetSubSections()->Item(layout::kDocTypes)->GetRows();
  }
};

TEST_F(DocTypesTest, ANewDocumentTypeHasAnIDAndNoTypeYet) {
  com::Ref<DocTypes> list = process->DocTypes();
  com::Ref<DocType> t = list->AddNew();
  EXPECT_EQ(t->ID().size(), 38u);
  // The type is read without a check for Null: unset, it does not read.
  EXPECT_EQ(CodeOf([&] { t->TypeID(); }), com::hr::kInvalidUseOfNull);
  t->SetTypeID(" ab-cd ");
  EXPECT_EQ(DocTypeRows()->Item(Variant(0))->GetField("TypeID"), Variant(" ab-cd "));
  EXPECT_EQ(t->TypeID(), "{AB-CD}");
}

TEST_F(DocTypesTest, ItemAndRemoveFindByNormalisedID) {
  com::Ref<DocTypes> list = process->DocTypes();
  ASSERT_EQ(list->Count(), 0);  // read: new types join the list
  com::Ref<DocType> a = list->AddNew();
  com::Ref<DocType> b = list->AddNew();
  ASSERT_EQ(list->Count(), 2);
  std::string bare = text::Lower(b->ID().substr(1, 36));
  EXPECT_EQ(list->Item(Variant(bare)).get(), b.get());
  list->Remove(Variant(bare));
  EXPECT_EQ(list->Count(), 1);
  EXPECT_EQ(DocTypeRows()->Count(), 1);
  EXPECT_EQ(list->Item(Variant(1)).get(), a.get());
  EXPECT_EQ(CodeOf([&] { list->Remove(Variant(bare)); }), com::hr::kInvalidProcedureCall);
}

class ConstraintsTest : public ProcessFixture {
 protected:
  void SetUp() override {
    ProcessFixture::SetUp();
    pass = process->Functions()->AddNew()->States()->AddNew();
  }
  com::Ref<ostrel::RowCollection> ConstraintRows() {
    com::Ref<ostrel::Row> function_row = Rows(layout::kFunctions)->Item(Variant(0));
    com::Ref<ostrel::Row> pass_row = function_row->GetSubSections()->Item(layout::kPassStates)->GetRows()->Item(Variant(0));
    return pass_row->GetSubSections()->Item(layout::kConstraints)->GetRows();
  }

  com::Ref<PassState> pass;
};

TEST_F(ConstraintsTest, AConstraintIsFoundByItsIDWhetherReadOrJustAdded) {
  com::Ref<Constraints> list = pass->Constraints();
  ASSERT_EQ(list->Count(), 0);  // read, and empty
  com::Ref<Constraint> added = list->AddNew("f1");
  EXPECT_EQ(added->ID(), NormalizeID(ConstraintRows()->Item(Variant(0))->GetID()));
  EXPECT_EQ(list->Item(Variant(added->ID())).get(), added.get());

  pass->Refresh(false);  // a new list, read from the rows
  com::Ref<Constraints> read = pass->Constraints();
  EXPECT_NE(read.get(), list.get());
  com::Ref<Constraint> found = read->Item(Variant(text::Lower(added->ID())));
  EXPECT_EQ(found->PrevFunction(), "{F1}");
  read->Remove(Variant(added->ID()));
  EXPECT_EQ(ConstraintRows()->Count(), 0);
}

TEST_F(ConstraintsTest, PropertiesReadTheirFields) {
  com::Ref<Constraint> c = pass->Constraints()->AddNew("");
  EXPECT_EQ(c->PrevFunction(), "{}");
  EXPECT_EQ(ConstraintRows()->Item(Variant(0))->GetField("PrevFunction"), Variant(""));
  c->SetPrevFunction(" ab ");
  EXPECT_EQ(c->PrevFunction(), "{AB}");
  EXPECT_FALSE(c->Completed());
  c->SetCompleted(true);
  EXPECT_TRUE(c->Completed());
  // A row whose "ID" was never written does not read an ID.
  ConstraintRows()->AddNew(0);
  pass->Refresh(false);
  EXPECT_EQ(CodeOf([&] { pass->Constraints()->Item(Variant(2))->ID(); }), com::hr::kInvalidUseOfNull);
}

TEST_F(ConstraintsTest, ThePassStateKeepsItsConstraintsUntilRefresh) {
  com::Ref<Constraints> list = pass->Constraints();
  EXPECT_EQ(pass->Constraints().get(), list.get());
  EXPECT_EQ(com::GetProperty(pass.get(), "Constraints").TryObject(), static_cast<com::Unknown*>(list.get()));
  pass->Refresh(false);
  EXPECT_NE(pass->Constraints().get(), list.get());
}

}  // namespace
}  // namespace vorlane::testing
