// The folder card's object form: the tree, folder paths, shortcuts and the
// one-hard-shortcut rule, across sessions and brackets.
#include <gtest/gtest.h>

#include "platform/com/dispatch.h"
#include "store_fixture.h"

namespace embedded::testing {
namespace {

constexpr const char* kRootFolder = "{E8228EC1-6D0F-43F0-A4AE-FF5AE7394D32}";
constexpr const char* kShortcuts = "{DD05BFE8-3041-4245-9FFF-3692817161B9}";

class FoldersTest : public StoreTest {
 protected:
  static com::Ref<ostrel::FolderTree> Tree(const com::Ref<ostrel::Session>& s) {
    return com::Query<ostrel::FolderTree>(Cards(s)->GetDictionaryObject(kFolderType));
  }
  static com::Ref<ostrel::CardData> FolderCard(const com::Ref<ostrel::Session>& s) {
    return Cards(s)->GetDictionaryData(kFolderType);
  }
  // A new folder under `parent` (a row of the folder card's tree), written at once.
  static std::string AddFolder(const com::Ref<ostrel::Session>& s, const std::string& parent, const char* name) {
    com::Ref<ostrel::Row> row =
        FolderCard(s)->GetSections()->Item(kFolders)->SelectRows(0, 0)->Item(Text(parent.c_str()))->GetChildRows()->AddNew(0);
    row->SetField("Name", Text(name));
    return row->GetID();
  }
  // The folder's path as the card control shows it: R\A\B.
  static std::string PathOf(com::Ref<ostrel::Folder> folder) {
    std::string path = folder->GetName();
    for (folder = folder->GetParent(); folder; folder = folder->GetParent()) path = folder->GetName() + "\\" + path;
    return path;
  }
  // Each shortcut of the folder: card ID and whether it is hard.
  static std::vector<std::pair<std::string, bool>> Filed(const com::Ref<ostrel::Session>& s, const std::string& folder) {
    com::Ref<ostrel::RowCollection> rows = FolderCard(s)->GetSections()->Item(kFolders)->SelectRows(0, 0)->Item(
        Text(folder.c_str()))->GetSubSections()->Item(kShortcuts)->GetRows();
    std::vector<std::pair<std::string, bool>> out;
    for (int32_t i = 0; i < rows->Count(); ++i) {
      com::Ref<ostrel::Row> r = rows->Item(com::Variant(i));
      out.emplace_back(r->GetField("CardID").ToText(), r->GetField("Hard").ToBool());
    }
    return out;
  }
};

TEST_F(FoldersTest, TheTreeIsTheFolderCardsObjectForm) {
  com::Ref<ostrel::Session> s = Session();
  com::Ref<ostrel::Folder> root = Tree(s)->GetRootFolder();
  EXPECT_EQ(root->GetID(), kRootFolder);
  EXPECT_EQ(root->GetName(), "Cards");
  EXPECT_FALSE(root->GetParent());
  // By ID in any case, with or without braces; also through GetCardObject of the card's ID.
  EXPECT_EQ(Tree(s)->GetFolder("e8228ec1-6d0f-43f0-a4ae-ff5ae7394d32")->GetName(), "Cards");
  com::Ref<ostrel::FolderTree> by_card = com::Query<ostrel::FolderTree>(Cards(s)->GetCardObject(FolderCard(s)->GetID()));
  EXPECT_EQ(by_card->GetFolder(kRootFolder)->GetID(), kRootFolder);
  // Other card types have no object form but their card data.
  com::Ref<ostrel::CardData> process = NewProcess(s);
  EXPECT_TRUE(com::TryQuery<ostrel::CardData>(Cards(s)->GetCardObject(process->GetID())));
}

TEST_F(FoldersTest, AFolderPathWalksUpToTheTopFolder) {
  com::Ref<ostrel::Session> s = Session();
  const std::string a = AddFolder(s, kRootFolder, "A");
  const std::string b = AddFolder(s, a, "B");
  const std::string c = AddFolder(s, kRootFolder, "C");
  EXPECT_EQ(PathOf(Tree(s)->GetFolder(b)), "Cards\\A\\B");
  EXPECT_EQ(PathOf(Tree(s)->GetFolder(c)), "Cards\\C");
  EXPECT_EQ(Tree(s)->GetFolder(b)->GetParent()->GetID(), a);
  // And down: the folders each holds, in their order.
  com::Ref<ostrel::Folder> root = Tree(s)->GetRootFolder();
  ASSERT_EQ(root->GetChildCount(), 2);
  EXPECT_EQ(root->GetChildFolder(0)->GetID(), a);
  EXPECT_EQ(root->GetChildFolder(1)->GetName(), "C");
  EXPECT_EQ(root->GetChildFolder(0)->GetChildFolder(0)->GetID(), b);
  EXPECT_EQ(Tree(s)->GetFolder(b)->GetChildCount(), 0);
  for (int32_t past : {-1, 2}) {
    try {
      root->GetChildFolder(past);
      ADD_FAILURE() << "no folder at " << past;
    } catch (const com::Error& e) {
      EXPECT_EQ(e.code(), com::hr::kSubscriptOutOfRange);
    }
  }
  // The name is read when asked.
  com::Ref<ostrel::Folder> folder_a = Tree(s)->GetFolder(a);
  FolderCard(s)->GetSections()->Item(kFolders)->SelectRows(0, 0)->Item(Text(a.c_str()))->SetField("Name", Text("Ä"));
  EXPECT_EQ(folder_a->GetName(), "Ä");
}

TEST_F(FoldersTest, UnknownFoldersAndCardsAreRefused) {
  com::Ref<ostrel::Session> s = Session();
  EXPECT_EQ(CodeOf([&] { Tree(s)->GetFolder("{00000000-0000-0000-0000-000000000001}"); }), ostrel::err::kUnknownCard);
  EXPECT_EQ(CodeOf([&] { Tree(s)->GetFolder("folder"); }), ostrel::err::kUnknownCard);
  com::Ref<ostrel::Shortcuts> shortcuts = Tree(s)->GetRootFolder()->GetShortcuts();
  EXPECT_EQ(CodeOf([&] { shortcuts->AddShortcut("{00000000-0000-0000-0000-000000000001}", true); }),
            ostrel::err::kUnknownCard);
  com::Ref<ostrel::CardData> gone = NewProcess(s);
  const std::string gone_id = gone->GetID();
  Cards(s)->DeleteCard(gone_id, true);
  EXPECT_EQ(CodeOf([&] { shortcuts->AddShortcut(gone_id, true); }), ostrel::err::kUnknownCard);
  EXPECT_EQ(shortcuts->Count(), 0);
}

TEST_F(FoldersTest, ACardHasOneHardShortcutAndIsFiledOncePerFolder) {
  com::Ref<ostrel::Session> s = Session();
  const std::string a = AddFolder(s, kRootFolder, "A");
  const std::string b = AddFolder(s, kRootFolder, "B");
  const std::string card = NewProcess(s)->GetID();
  const std::string other = NewProcess(s)->GetID();
  std::string lower = card.substr(1, 36);
  for (char& ch : lower) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));

  Tree(s)->GetFolder(a)->GetShortcuts()->AddShortcut(lower, true);
  Tree(s)->GetFolder(a)->GetShortcuts()->AddShortcut(card, true);   // filed again: nothing new
  Tree(s)->GetFolder(a)->GetShortcuts()->AddShortcut(other, false);
  EXPECT_EQ(Filed(s, a), (std::vector<std::pair<std::string, bool>>{{card, true}, {other, false}}));
  com::Ref<ostrel::Shortcuts> in_a = Tree(s)->GetFolder(a)->GetShortcuts();
  ASSERT_EQ(in_a->Count(), 2);
  EXPECT_EQ(in_a->Item(0), card);
  EXPECT_EQ(CodeOf([&] { in_a->Item(2); }), com::hr::kSubscriptOutOfRange);

  // A hard shortcut elsewhere takes the card's place; the old one stays, soft.
  Tree(s)->GetFolder(b)->GetShortcuts()->AddShortcut(card, true);
  EXPECT_EQ(Filed(s, a), (std::vector<std::pair<std::string, bool>>{{card, false}, {other, false}}));
  EXPECT_EQ(Filed(s, b), (std::vector<std::pair<std::string, bool>>{{card, true}}));
  // A soft one changes no other; filing a soft shortcut hard makes it hard.
  Tree(s)->GetFolder(a)->GetShortcuts()->AddShortcut(card, false);
  EXPECT_EQ(Filed(s, b), (std::vector<std::pair<std::string, bool>>{{card, true}}));
  Tree(s)->GetFolder(a)->GetShortcuts()->AddShortcut(card, true);
  EXPECT_EQ(Filed(s, a), (std::vector<std::pair<std::string, bool>>{{card, true}, {other, false}}));
  EXPECT_EQ(Filed(s, b), (std::vector<std::pair<std::string, bool>>{{card, false}}));
}

TEST_F(FoldersTest, OtherSessionsFoldersAndShortcutsCount) {
  com::Ref<ostrel::Session> alice = Session("alice");
  com::Ref<ostrel::Session> bob = Session("bob");
  com::Ref<ostrel::FolderTree> alices_tree = Tree(alice);  // opened before bob's changes
  const std::string card = NewProcess(bob)->GetID();
  const std::string folder = AddFolder(bob, kRootFolder, "Bob's");
  Tree(bob)->GetFolder(folder)->GetShortcuts()->AddShortcut(card, true);

  // Alice's open folder card does not hold bob's folder yet: GetFolder looks again.
  com::Ref<ostrel::Folder> found = alices_tree->GetFolder(folder);
  EXPECT_EQ(found->GetName(), "Bob's");
  EXPECT_EQ(found->GetShortcuts()->Item(0), card);
  // Her hard shortcut sees his, and his becomes soft.
  alices_tree->GetRootFolder()->GetShortcuts()->AddShortcut(card, true);
  FolderCard(bob)->Refresh(true);
  EXPECT_EQ(Filed(bob, folder), (std::vector<std::pair<std::string, bool>>{{card, false}}));
  EXPECT_EQ(Filed(bob, kRootFolder), (std::vector<std::pair<std::string, bool>>{{card, true}}));
}

TEST_F(FoldersTest, InsideTheClientsBracketShortcutsAreWrittenWithIt) {
  com::Ref<ostrel::Session> s = Session();
  const std::string card = NewProcess(s)->GetID();
  com::Ref<ostrel::CardUpdate> update = Update(FolderCard(s));
  update->BeginUpdate();
  Tree(s)->GetRootFolder()->GetShortcuts()->AddShortcut(card, true);
  EXPECT_TRUE(update->GetInUpdate());
  EXPECT_EQ(Tree(Session("bob"))->GetRootFolder()->GetShortcuts()->Count(), 0);
  update->CancelUpdate();
  EXPECT_EQ(Tree(s)->GetRootFolder()->GetShortcuts()->Count(), 0);

  update->BeginUpdate();
  Tree(s)->GetRootFolder()->GetShortcuts()->AddShortcut(card, true);
  update->EndUpdate();
  EXPECT_EQ(Tree(Session("bob"))->GetRootFolder()->GetShortcuts()->Count(), 1);
}

TEST_F(FoldersTest, ARefusedFilingLeavesNothingBehind) {
  com::Ref<ostrel::Session> alice = Session("alice");
  com::Ref<ostrel::Session> bob = Session("bob");
  const std::string card = NewProcess(alice)->GetID();
  const std::string a = AddFolder(alice, kRootFolder, "A");
  Tree(alice)->GetFolder(a)->GetShortcuts()->AddShortcut(card, true);
  Lock(FolderCard(bob))->Lock(false);

  // The filing would demote the shortcut in A and add one at the top: neither stays.
  EXPECT_EQ(CodeOf([&] { Tree(alice)->GetRootFolder()->GetShortcuts()->AddShortcut(card, true); }),
            ostrel::err::kRefused);
  EXPECT_FALSE(Update(FolderCard(alice))->GetInUpdate());
  EXPECT_EQ(Filed(alice, a), (std::vector<std::pair<std::string, bool>>{{card, true}}));
  EXPECT_EQ(Filed(alice, kRootFolder).size(), 0u);
  EXPECT_NE(alice->GetLastErrorText().find("bob"), std::string::npos);
}

TEST_F(FoldersTest, ScriptsFileThroughDispatch) {
  com::Ref<ostrel::Session> s = Session();
  const std::string card = NewProcess(s)->GetID();
  com::Ref<com::Unknown> tree = Cards(s)->GetDictionaryObject(kFolderType);
  com::Variant folder = com::CallMethod(tree.get(), "GetFolder", std::vector<com::Variant>{Text(kRootFolder)});
  com::Variant shortcuts = com::CallMethod(folder.ToObject().get(), "GetShortcuts");
  com::CallMethod(shortcuts.ToObject().get(), "AddShortcut", std::vector<com::Variant>{Text(card.c_str())});
  EXPECT_EQ(Filed(s, kRootFolder), (std::vector<std::pair<std::string, bool>>{{card, true}}));  // Hard by default
  EXPECT_EQ(com::GetProperty(shortcuts.ToObject().get(), "Item", std::vector<com::Variant>{com::Variant(0)}).ToText(),
            card);
}

}  // namespace
}  // namespace embedded::testing
