#include "common/ids.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "platform/com/guid.h"
#include "platform/com/text.h"

namespace vorlane {
namespace {

TEST(CreateGUID, GivesTheUpperCaseRegistryForm) {
  std::string id = CreateGUID();
  ASSERT_EQ(id.size(), 38u);
  EXPECT_EQ(id.front(), '{');
  EXPECT_EQ(id.back(), '}');
  for (size_t i : {9u, 14u, 19u, 24u}) EXPECT_EQ(id[i], '-') << id;
  for (char c : id.substr(1, 36)) {
    EXPECT_TRUE(c == '-' || (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F')) << id;
  }
  EXPECT_TRUE(com::Guid::Parse(id).has_value());
  EXPECT_EQ(NormalizeID(id), id);
}

TEST(CreateGUID, GivesANewIDEachTime) {
  std::set<std::string> ids;
  for (int i = 0; i < 1000; ++i) ids.insert(CreateGUID());
  EXPECT_EQ(ids.size(), 1000u);
}

struct NormalizeCase {
  const char* in;
  const char* out;
};

class NormalizeIDTable : public ::testing::TestWithParam<NormalizeCase> {};

TEST_P(NormalizeIDTable, TrimsUpperCasesAndBraces) { EXPECT_EQ(NormalizeID(GetParam().in), GetParam().out); }

INSTANTIATE_TEST_SUITE_P(
    Ids, NormalizeIDTable,
    ::testing::Values(NormalizeCase{" ab-cd ", "{AB-CD}"}, NormalizeCase{"{ab}", "{AB}"},
                      NormalizeCase{"", "{}"},  // an empty field
                      NormalizeCase{"  ", "{}"},
                      NormalizeCase{"\t{0ef6bcca-7a09-4027-a3a2-d2eeeca1bf4d}\t", "{0EF6BCCA-7A09-4027-A3A2-D2EEECA1BF4D}"},
                      // Any "{" counts: the text is not wrapped a second time.
                      NormalizeCase{"ab}{", "AB}{"}, NormalizeCase{"ab}", "{AB}}"},
                      // Upper case beyond ASCII, as the platform's IDs compare.
                      NormalizeCase{"ид-1", "{ИД-1}"}));

TEST(SameID, ComparesNormalisedFormsWithoutRegardToCase) {
  EXPECT_TRUE(SameID("{a1}", "A1"));
  EXPECT_TRUE(SameID(" {0ef6bcca-7a09-4027-a3a2-d2eeeca1bf4d}", "0EF6BCCA-7A09-4027-A3A2-D2EEECA1BF4D "));
  EXPECT_TRUE(SameID("", "{}"));
  EXPECT_TRUE(SameID("ид", "{ИД}"));
  EXPECT_FALSE(SameID("{a1}", "{a2}"));
  EXPECT_FALSE(SameID("a1", "{a1"));  // "{a1" keeps its lone brace
}

// GUIDs are compared as GUIDs; every spelling agrees with the comparison of
// the normalised forms, including the ones that are no GUID.
TEST(SameID, GuidsInAnySpellingAgreeWithTheirNormalisedForms) {
  const std::string lower = "0ef6bcca-7a09-4027-a3a2-d2eeeca1bf4d";
  const std::string upper = text::Upper(lower);
  const std::vector<std::string> spellings = {
      lower, upper, "{" + lower + "}", "{" + upper + "}", " \t{" + lower + "} ", "\r\n" + upper + "\n",
      // Not GUIDs: a digit changed, a brace missing, a letter beyond hex.
      "{" + upper.substr(0, 35) + "E}", "{" + upper, upper + "}", "{" + upper.substr(0, 35) + "G}", ""};
  for (const std::string& a : spellings) {
    for (const std::string& b : spellings) {
      EXPECT_EQ(SameID(a, b), text::EqualNoCase(NormalizeID(a), NormalizeID(b))) << "\"" << a << "\" \"" << b << "\"";
    }
  }
  EXPECT_TRUE(SameID(lower, "{" + upper + "}"));
  EXPECT_FALSE(SameID(lower, "{" + upper.substr(0, 35) + "E}"));
}

}  // namespace
}  // namespace vorlane
