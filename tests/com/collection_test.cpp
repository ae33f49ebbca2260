#include "platform/com/collection.h"

#include <gtest/gtest.h>

#include "tests/com/code_of.h"

namespace com {
namespace {

using test::CodeOf;

TEST(KeyedList, KeepsInsertionOrderAndFindsKeysWithoutRegardToCase) {
  auto list = Make<KeyedList>();
  list->Add(Variant("first"), "{A1}");
  list->Add(Variant(2), std::nullopt);
  list->Add(Variant("третий"), "Ключ");
  EXPECT_EQ(list->Count(), 3);
  EXPECT_EQ(list->Item(Variant(1)), Variant("first"));
  EXPECT_EQ(list->Item(Variant(2.0)), Variant(2));
  EXPECT_EQ(list->Item(Variant("{a1}")), Variant("first"));
  EXPECT_EQ(list->Item(Variant("КЛЮЧ")), Variant("третий"));
  // A text index is always a key, even when it reads as a number.
  EXPECT_EQ(CodeOf([&] { list->Item(Variant("1")); }), hr::kInvalidProcedureCall);
}

TEST(KeyedList, FailsWithTheRuntimesCodes) {
  auto list = Make<KeyedList>();
  list->Add(Variant(1), "k");
  EXPECT_EQ(CodeOf([&] { list->Add(Variant(2), "K"); }), hr::kDuplicateKey);
  EXPECT_EQ(list->Count(), 1);
  EXPECT_EQ(CodeOf([&] { list->Item(Variant(0)); }), hr::kSubscriptOutOfRange);
  EXPECT_EQ(CodeOf([&] { list->Item(Variant(2)); }), hr::kSubscriptOutOfRange);
  EXPECT_EQ(CodeOf([&] { list->Item(Variant("absent")); }), hr::kInvalidProcedureCall);
  EXPECT_EQ(CodeOf([&] { list->Remove(Variant(5)); }), hr::kSubscriptOutOfRange);
  EXPECT_EQ(CodeOf([&] { list->Item(Variant::Null()); }), hr::kTypeMismatch);
}

TEST(KeyedList, RemoveKeepsTheOtherKeysPointingAtTheirItems) {
  auto list = Make<KeyedList>();
  for (int i = 1; i <= 5; ++i) list->Add(Variant(i), "k" + std::to_string(i));
  list->Remove(Variant("k2"));
  list->Remove(Variant(1));
  EXPECT_EQ(list->Count(), 3);
  EXPECT_EQ(list->Item(Variant("k3")), Variant(3));
  EXPECT_EQ(list->Item(Variant("k5")), Variant(5));
  EXPECT_EQ(list->Item(Variant(1)), Variant(3));
  EXPECT_FALSE(list->Contains("k2"));
  // The removed key can be used again.
  list->Add(Variant(9), "k2");
  EXPECT_EQ(list->Item(Variant(4)), Variant(9));
  // An empty text is a key like any other.
  list->Add(Variant(10), "");
  EXPECT_EQ(list->Item(Variant("")), Variant(10));
  list->Remove(Variant(""));
  EXPECT_FALSE(list->Contains(""));
}

TEST(KeyedList, EnumeratesASnapshotAndIsReachableByDispatch) {
  auto list = Make<KeyedList>();
  list->Add(Variant("a"), std::nullopt);
  list->Add(Variant("b"), std::nullopt);
  Unknown* obj = static_cast<Collection*>(list.get());
  Ref<Enumerator> e = Query<Enumerator>(GetProperty(obj, "NewEnum").ToObject());
  list->Add(Variant("c"), std::nullopt);  // not seen by the loop that runs
  std::vector<std::string> seen;
  while (auto v = e->Next()) seen.push_back(v->ToText());
  EXPECT_EQ(seen, (std::vector<std::string>{"a", "b"}));
  e->Reset();
  EXPECT_TRUE(e->Skip(2));
  EXPECT_FALSE(e->Next());
  EXPECT_FALSE(e->Skip(1));

  Variant args[] = {Variant("d"), Variant("key")};
  CallMethod(obj, "Add", args);
  EXPECT_EQ(GetProperty(obj, "Count"), Variant(4));
  Variant key[] = {Variant("KEY")};
  EXPECT_EQ(GetProperty(obj, "Item", key), Variant("d"));
}

}  // namespace
}  // namespace com
