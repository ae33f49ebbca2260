// What scripts see: sessions, cards and rows through dispatch, by name.
#include <gtest/gtest.h>

#include <set>

#include "platform/com/dispatch.h"
#include "tests/embedded/store_fixture.h"

namespace embedded::testing {
namespace {

class Scripts : public StoreTest {};

com::Ref<com::Unknown> Obj(const com::Variant& v) { return v.ToObject(); }

TEST_F(Scripts, WalkASessionToRowsByName) {
  auto s = Session();
  auto manager = Obj(com::CallMethod(s.get(), "GetCardManager"));
  com::Variant args[] = {Text(kProcessType)};
  auto card = Obj(com::CallMethod(manager.get(), "CreateCardData", args));  // Flags left out
  auto sections = Obj(com::CallMethod(card.get(), "GetSections"));
  com::Variant main_id[] = {Text(kMainInfo)};
  auto section = Obj(com::GetProperty(sections.get(), "Item", main_id));
  auto row = Obj(com::CallMethod(section.get(), "GetFirstRow"));
  com::Variant set[] = {Text("Name"), Text("Order")};
  com::CallMethod(row.get(), "SetField", set);
  com::Variant get[] = {Text("name")};
  EXPECT_EQ(com::CallMethod(row.get(), "getfield", get), Text("Order"));
  // The card data answers for its lock and update views too.
  com::CallMethod(card.get(), "BeginUpdate");
  EXPECT_EQ(com::CallMethod(card.get(), "GetInUpdate"), com::Variant(true));
  com::CallMethod(card.get(), "Lock");
  EXPECT_EQ(com::CallMethod(card.get(), "GetLockStatus"), com::Variant(int32_t{3}));
  com::CallMethod(card.get(), "EndUpdate");
  // A row answers for RowEx.
  com::Variant typed[] = {Text("State"), Text("4"), com::Variant(int32_t{5})};
  com::CallMethod(row.get(), "SetFieldOfType", typed);
  com::Variant state[] = {Text("State")};
  EXPECT_EQ(com::CallMethod(row.get(), "GetField", state), com::Variant(int32_t{4}));
  // Rows by position through the default member.
  auto rows = Obj(com::CallMethod(section.get(), "GetRows"));
  com::Variant zero[] = {com::Variant(int32_t{0})};
  auto first = Obj(com::Invoke(rows.get(), "Item", com::kInvokeGet, zero));
  EXPECT_EQ(com::CallMethod(first.get(), "GetID"), com::CallMethod(row.get(), "GetID"));
  auto d = com::Query<com::Dispatch>(rows);
  EXPECT_EQ(d->Invoke(com::kDispIdValue, com::kInvokeGet, zero).ToObject().get() != nullptr, true);
  EXPECT_EQ(com::GetProperty(rows.get(), "Count"), com::Variant(int32_t{1}));
}

TEST_F(Scripts, EveryInterfaceDescribesItself) {
  const com::TypeInfo* infos[] = {
      &ostrel::Session::DispatchInfo(),       &ostrel::CardManager::DispatchInfo(),
      &ostrel::CardData::DispatchInfo(),      &ostrel::SectionCollection::DispatchInfo(),
      &ostrel::Section::DispatchInfo(),       &ostrel::SubSectionCollection::DispatchInfo(),
      &ostrel::SubSection::DispatchInfo(),    &ostrel::RowCollection::DispatchInfo(),
      &ostrel::Row::DispatchInfo(),           &ostrel::CardType::DispatchInfo(),
      &ostrel::SectionType::DispatchInfo(),   &ostrel::SectionTypeCollection::DispatchInfo(),
      &ostrel::FieldType::DispatchInfo(),     &ostrel::FieldTypeCollection::DispatchInfo(),
      &ostrel::CardLock::DispatchInfo(),      &ostrel::CardUpdate::DispatchInfo(),
      &ostrel::SectionReader::DispatchInfo(), &ostrel::FolderTree::DispatchInfo(),
      &ostrel::Folder::DispatchInfo(),        &ostrel::Shortcuts::DispatchInfo(),
      &ostrel::ProcessManager::DispatchInfo(), &ostrel::ProcessControl::DispatchInfo(),
      &ostrel::ExtensionManager::DispatchInfo(),
  };
  for (const com::TypeInfo* info : infos) {
    EXPECT_FALSE(info->members().empty()) << info->name();
    std::set<std::pair<com::DispId, int>> seen;
    for (const auto& m : info->members()) {
      EXPECT_TRUE(seen.insert({m.id, static_cast<int>(m.kind)}).second) << info->name() << "." << m.name;
    }
  }
  EXPECT_TRUE(ostrel::CardData::DispatchInfo().IdOfName("MarkCardForDeletion"));
  EXPECT_TRUE(ostrel::CardData::DispatchInfo().IdOfName("GetLockOwner"));
  EXPECT_TRUE(ostrel::Row::DispatchInfo().IdOfName("SetFieldOfType"));
  EXPECT_TRUE(ostrel::ProcessControl::DispatchInfo().IdOfName("SetStartOption"));
}

}  // namespace
}  // namespace embedded::testing
