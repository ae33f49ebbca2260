#include <gtest/gtest.h>

#include <random>
#include <unordered_map>
#include <vector>

#include "embedded/store/card_image.h"

namespace embedded {
namespace {

RowRecord Row(const com::Guid& id, int64_t seq) {
  RowRecord r;
  r.id = id;
  r.seq = seq;
  return r;
}

// The map agrees with a standard one through long runs of adds, erases by
// ID and by position, and look-ups, across growth and probe chains that
// wrap round the table: erasing shifts later entries of a chain back, and a
// wrong shift loses rows that are still there.
TEST(GuidMap, AgreesWithAStandardMapThroughAddsAndErases) {
  std::mt19937_64 random(7);
  std::vector<com::Guid> ids;
  for (int i = 0; i < 600; ++i) ids.push_back(com::Guid::Generate());
  embedded::GuidMap<RowRecord> map;
  std::unordered_map<com::Guid, int64_t, com::GuidHash> expected;
  for (int step = 0; step < 20000; ++step) {
    const com::Guid& id = ids[random() % ids.size()];
    switch (random() % 4) {
      case 0:
      case 1: {
        const bool added = map.try_emplace(id, Row(id, step)).second;
        EXPECT_EQ(added, expected.emplace(id, step).second);
        break;
      }
      case 2: EXPECT_EQ(map.erase(id), expected.erase(id)); break;
      case 3:
        if (!map.empty()) {
          auto it = map.begin() + static_cast<std::ptrdiff_t>(random() % map.size());
          expected.erase(it->first);
          map.erase(it);
        }
        break;
    }
    ASSERT_EQ(map.size(), expected.size()) << "step " << step;
  }
  for (const com::Guid& id : ids) {
    auto it = expected.find(id);
    ASSERT_EQ(map.contains(id), it != expected.end());
    if (it != expected.end()) {
      EXPECT_EQ(map.at(id).seq, it->second);
    }
  }
  size_t listed = 0;
  for (const auto& [id, row] : map) {
    EXPECT_EQ(row.id, id);
    ++listed;
  }
  EXPECT_EQ(listed, expected.size());
}

TEST(GuidMap, ErasingWhileWalkingVisitsEveryEntryOnce) {
  embedded::GuidMap<RowRecord> map;
  std::vector<com::Guid> ids;
  for (int i = 0; i < 100; ++i) {
    ids.push_back(com::Guid::Generate());
    map.emplace(ids.back(), Row(ids.back(), i));
  }
  size_t seen = 0;
  for (auto it = map.begin(); it != map.end();) {
    ++seen;
    it = it->second.seq % 3 == 0 ? map.erase(it) : it + 1;
  }
  EXPECT_EQ(seen, 100u);
  EXPECT_EQ(map.size(), 66u);
  for (int i = 0; i < 100; ++i) EXPECT_EQ(map.contains(ids[static_cast<size_t>(i)]), i % 3 != 0);
  EXPECT_THROW(map.at(ids[0]), std::out_of_range);
}

TEST(GuidMap, ATransformedMapFindsTheSameIdsAndStillGrowsAndErases) {
  embedded::GuidMap<RowRecord> rows;
  std::vector<com::Guid> ids;
  for (int i = 0; i < 300; ++i) {
    ids.push_back(com::Guid::Generate());
    rows.emplace(ids.back(), Row(ids.back(), i));
  }
  rows.erase(ids[5]);
  embedded::GuidMap<int64_t> seqs =
      std::move(rows).Transform<int64_t>([](const com::Guid&, RowRecord& r) { return r.seq; });
  EXPECT_TRUE(rows.empty());
  EXPECT_FALSE(rows.contains(ids[0]));
  ASSERT_EQ(seqs.size(), 299u);
  for (int i = 0; i < 300; ++i) {
    auto it = seqs.find(ids[static_cast<size_t>(i)]);
    if (i == 5) {
      EXPECT_EQ(it, seqs.end());
    } else {
      ASSERT_NE(it, seqs.end());
      EXPECT_EQ(it->second, i);
    }
  }
  // The table it took over goes on working: past its growth and through
  // erases.
  for (int i = 0; i < 300; ++i) seqs.emplace(com::Guid::Generate(), -1);
  for (int i = 0; i < 300; i += 2) seqs.erase(ids[static_cast<size_t>(i)]);
  for (int i = 1; i < 300; i += 2) {
    if (i == 5) continue;
    EXPECT_EQ(seqs.at(ids[static_cast<size_t>(i)]), i);
  }
  EXPECT_EQ(seqs.size(), 299u + 300u - 150u);
  // And the emptied map takes new entries.
  rows.emplace(ids[0], Row(ids[0], 1));
  EXPECT_EQ(rows.at(ids[0]).seq, 1);
}

TEST(GuidMap, RoomBeyondTheLargestSizeIsRefused) {
  embedded::GuidMap<int> map;
  EXPECT_THROW(map.reserve(embedded::GuidMap<int>::kMaxSize + 1), com::Error);
  EXPECT_TRUE(map.empty());
  map.emplace(com::Guid::Generate(), 1);
  EXPECT_EQ(map.size(), 1u);
}

}  // namespace
}  // namespace embedded
