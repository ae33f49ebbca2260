#include "platform/com/string_tables.h"

#include <gtest/gtest.h>

#include "common/module_info.h"

namespace vorlane {
namespace {

using com::StringTables;

TEST(StringTables, KeepTextsAsTheTableFilesWriteThem) {
  // Tables of a module of the tests, compiled in from data/string_table_check.
  auto find = [](int32_t locale, int32_t id) {
    return StringTables::Instance().Find("StringTableCheck", locale, id).value_or("<none>");
  };
  EXPECT_EQ(find(1033, 1), "He said \"hi\" and left\\");
  EXPECT_EQ(find(1033, 2), "a tab\tinside, a blank at the end ");
  EXPECT_EQ(find(1033, 3), "line one\nline two\r\nend\t.");
  EXPECT_EQ(find(1033, 4), "Ж и 😀");
  EXPECT_EQ(find(1033, 5), "?\?= ?\?/ stay text; \\n is no line feed");
  EXPECT_EQ(find(1033, 6), "carriage return before the line feed");
  EXPECT_EQ(find(1033, 7), "  leading blanks kept");
  EXPECT_EQ(find(1033, 0), "the smallest number");
  EXPECT_EQ(find(1033, 65535), "the largest number");
  EXPECT_EQ(find(1049, 1), "Он сказал \"привет\"");
  // Lookups are exact: no fallback to another language or string.
  EXPECT_EQ(find(1049, 2), "<none>");
  EXPECT_EQ(find(1058, 1), "<none>");
  EXPECT_EQ(find(1033, 8), "<none>");
  EXPECT_EQ(StringTables::Instance().Locales("stringtablecheck"), (std::vector<int32_t>{1033, 1049}));
}

TEST(StringTables, VorlaneCarriesEveryStringInEveryLanguage) {
  EXPECT_EQ(StringTables::Instance().Locales("Vorlane"), (std::vector<int32_t>{1033, 1049, 1058, 1062}));
  const ModuleInfo& own = ThisModule();
  EXPECT_EQ(own.name, "Vorlane");
  EXPECT_EQ(own.default_locale, 1033);
  std::vector<int32_t> ids;
  for (const auto& e : own.strings) ids.push_back(e.id);
  EXPECT_EQ(ids, (std::vector<int32_t>{100, 101, 102, 103, 104, 105, 1020}));
  for (int32_t locale : {1033, 1049, 1058, 1062}) {
    for (int32_t id : ids) {
      auto text = StringTables::Instance().Find("Vorlane", locale, id);
      ASSERT_TRUE(text.has_value()) << id << " in " << locale;
      EXPECT_FALSE(text->empty());
      if (locale != 1033) {
        EXPECT_NE(*text, *StringTables::Instance().Find("Vorlane", 1033, id)) << id;
      }
    }
  }
}

TEST(StringTables, RegisteringAgainReplacesTheModulesTables) {
  const com::StringEntry first[] = {{1, "one"}, {2, "two"}};
  const com::StringEntry second[] = {{1, "uno"}};
  const com::StringTable v1[] = {{1033, first}, {1049, first}};
  const com::StringTable v2[] = {{1040, second}};
  auto& tables = StringTables::Instance();
  tables.Register("ReplacedModule", v1);
  EXPECT_EQ(tables.Find("REPLACEDMODULE", 1049, 2), "two");
  tables.Register("replacedmodule", v2);
  EXPECT_EQ(tables.Find("ReplacedModule", 1049, 2), std::nullopt);
  EXPECT_EQ(tables.Find("ReplacedModule", 1040, 1), "uno");
  tables.Unregister("ReplacedModule");
  EXPECT_TRUE(tables.Locales("ReplacedModule").empty());
  tables.Unregister("ReplacedModule");  // no such module: nothing happens
}

TEST(StringTables, CopyTheTexts) {
  std::string text = "before";
  {
    const com::StringEntry entries[] = {{1, text}};
    const com::StringTable table[] = {{1033, entries}};
    StringTables::Instance().Register("CopiedModule", table);
  }
  text = "after";
  EXPECT_EQ(StringTables::Instance().Find("CopiedModule", 1033, 1), "before");
  StringTables::Instance().Unregister("CopiedModule");
}

}  // namespace
}  // namespace vorlane
