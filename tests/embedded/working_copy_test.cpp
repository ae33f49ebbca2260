// The rows of an open card: how long their nodes live.
#include "embedded/store/working_copy.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "embedded/store/schema.h"

namespace embedded {
namespace {

constexpr char kType[] = R"(<cardType id="{11111111-2222-3333-4444-555555555555}" name="T">
  <section id="{11111111-2222-3333-4444-555555555556}" name="Items" kind="tree">
    <field name="N" type="int"/>
    <section id="{11111111-2222-3333-4444-555555555557}" name="Parts" kind="table">
      <field name="M" type="int"/>
    </section>
  </section>
</cardType>)";

class WorkingCopyNodes : public ::testing::Test {
 protected:
  std::shared_ptr<const Schema> schema = Schema::Load({{"t.xml", kType}});
  const CardTypeDef& type = *schema->Find(com::Guid("{11111111-2222-3333-4444-555555555555}"));
  const SectionDef& items = *type.Section(com::Guid("{11111111-2222-3333-4444-555555555556}"));
  const SectionDef& parts = *items.subsections[0];

  // Rows with tree children and sub-section rows, so that parents hold
  // their children; the nodes are watched.
  void Fill(WorkingCopy& card, std::vector<std::weak_ptr<RowNode>>& watched, int rows) {
    for (int i = 0; i < rows; ++i) {
      auto row = card.AddRow(nullptr, items, true);
      watched.push_back(row);
      watched.push_back(card.AddRow(row.get(), items, true));
      watched.push_back(card.AddRow(row.get(), parts, true));
    }
  }
  static size_t Alive(const std::vector<std::weak_ptr<RowNode>>& watched) {
    size_t n = 0;
    for (const auto& w : watched) n += !w.expired();
    return n;
  }
};

TEST_F(WorkingCopyNodes, AClosedCardFreesEveryRowAndARemovedRowLivesWhileHeld) {
  std::vector<std::weak_ptr<RowNode>> watched;
  std::shared_ptr<RowNode> held;
  {
    WorkingCopy card(type);
    Fill(card, watched, 100);
    held = watched[3].lock();
    card.RemoveRow(*held);
  }
  ASSERT_TRUE(held);
  EXPECT_TRUE(held->deleted);
  EXPECT_TRUE(held->subs[0].empty() && held->children.empty()) << "a removed row keeps no rows of its own";
  held.reset();
  EXPECT_EQ(Alive(watched), 0u) << "no node keeps another alive once the card is gone";
}

TEST_F(WorkingCopyNodes, ACardLoadedFromItsImageAndReloadedFreesEveryRow) {
  std::vector<std::weak_ptr<RowNode>> made, loaded;
  CardImage image;
  {
    WorkingCopy card(type);
    Fill(card, made, 50);
    image = card.Image(false);
  }
  EXPECT_EQ(Alive(made), 0u);
  {
    WorkingCopy card(type);
    card.Load(image, false);
    for (const auto& row : card.Collect(items, false)) loaded.push_back(card.Find(row->id));
    for (const auto& row : card.Collect(parts, false)) loaded.push_back(card.Find(row->id));
    EXPECT_EQ(loaded.size(), 150u);
    EXPECT_EQ(Alive(loaded), 150u);
    // A reload keeps the nodes of rows that stay, in the same tree.
    RowNode* first = card.Collect(items, true).front().get();
    card.Load(image, false);
    EXPECT_EQ(card.Collect(items, true).front().get(), first);
    EXPECT_EQ(first->children.size(), 1u);
    EXPECT_EQ(first->subs[0].size(), 1u);
  }
  EXPECT_EQ(Alive(loaded), 0u);
}

// Rows added go into the index of rows by ID when it is next used: a look-up,
// a removal or a close in between must leave every row that stands found,
// the one that went not found, and no row kept alive by its parent.
TEST_F(WorkingCopyNodes, TheIndexOfRowsCatchesUpWithRowsAddedBetweenItsUses) {
  std::vector<std::weak_ptr<RowNode>> watched;
  {
    WorkingCopy card(type);
    Fill(card, watched, 10);
    EXPECT_EQ(card.Find(watched[0].lock()->id), watched[0].lock());
    Fill(card, watched, 10);
    std::shared_ptr<RowNode> gone = watched[40].lock();  // a tree child added after the look-up
    card.RemoveRow(*gone);
    Fill(card, watched, 5);
    EXPECT_EQ(card.Find(gone->id), nullptr);
    size_t found = 0;
    for (const auto& w : watched) {
      std::shared_ptr<RowNode> node = w.lock();
      if (node != gone) found += card.Find(node->id) == node;
    }
    EXPECT_EQ(found, watched.size() - 1);
    EXPECT_EQ(card.Image(false).rows.size(), watched.size() - 1);
  }
  EXPECT_EQ(Alive(watched), 0u);

  std::vector<std::weak_ptr<RowNode>> never_looked_up;
  {
    WorkingCopy card(type);
    Fill(card, never_looked_up, 20);
  }
  EXPECT_EQ(Alive(never_looked_up), 0u) << "a card closed before its index was used frees its rows too";
}

// A row gets its lists of sub-section rows when one is first reached: rows
// that never had any are collected, imaged, reloaded and removed like the
// others, and take sub-section rows later.
TEST_F(WorkingCopyNodes, RowsWhoseSubSectionsWereNeverReachedHaveNoSubSectionRows) {
  std::vector<std::weak_ptr<RowNode>> watched;
  CardImage image;
  {
    WorkingCopy card(type);
    auto bare = card.AddRow(nullptr, items, true);
    auto child = card.AddRow(bare.get(), items, true);  // a tree child, no parts either
    auto with_parts = card.AddRow(nullptr, items, true);
    card.AddRow(with_parts.get(), parts, true);
    EXPECT_TRUE(bare->subs.empty()) << "nothing reached them";
    EXPECT_EQ(card.Collect(parts, false).size(), 1u);
    EXPECT_TRUE(card.Container(child.get(), parts).empty());
    EXPECT_EQ(child->subs.size(), 1u);
    image = card.Image(false);
    EXPECT_EQ(image.rows.size(), 4u);
    card.RemoveRow(*bare);
    EXPECT_EQ(card.Collect(items, false).size(), 1u) << "the row and its tree child went";
    watched = {bare, child, with_parts};
  }
  EXPECT_EQ(Alive(watched), 0u);

  WorkingCopy card(type);
  card.Load(image, false);
  ASSERT_EQ(card.Collect(items, false).size(), 3u);
  EXPECT_EQ(card.Collect(parts, false).size(), 1u);
  RowNode* bare = card.Collect(items, true).front().get();  // rows stand in the order they were added
  ASSERT_TRUE(card.Container(bare, parts).empty());
  card.AddRow(bare, parts, true);
  card.Load(card.Image(false), false);
  EXPECT_EQ(card.Collect(parts, false).size(), 2u) << "a part added later is kept through a reload";
}

}  // namespace
}  // namespace embedded
