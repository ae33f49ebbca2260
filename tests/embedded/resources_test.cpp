// The platform's locale provider and resource loader, as the libraries'
// resource lookup creates them by class ID.
#include <gtest/gtest.h>

#include <array>
#include <thread>

#include "embedded/resources/platform_classes.h"
#include "platform/com/registry.h"
#include "platform/com/string_tables.h"
#include "platform/ostrel/locale_provider.h"
#include "platform/ostrel/resource_loader.h"
#include "store_fixture.h"

namespace embedded::testing {
namespace {

int32_t LocaleNow() {
  return com::Query<ostrel::LocaleProvider>(com::CreateInstance(ostrel::LocaleProvider::kCLSID))->GetLocaleID();
}

template <class F>
auto OnFreshThread(F f) {
  decltype(f()) result{};
  std::thread([&] { result = f(); }).join();
  return result;
}

TEST_F(StoreTest, TheLocaleIsTheThreadsCurrentSessions) {
  auto locales = OnFreshThread([this] {
    std::vector<int32_t> seen{LocaleNow()};
    com::Ref<ostrel::Session> russian = Session("ivan", 1049);
    seen.push_back(LocaleNow());
    com::Ref<ostrel::Session> latvian = Session("ilze", 1062);
    seen.push_back(LocaleNow());
    russian->GetCardManager();  // used last: current again
    seen.push_back(LocaleNow());
    latvian = nullptr;
    russian = nullptr;  // every session has ended
    seen.push_back(LocaleNow());
    return seen;
  });
  EXPECT_EQ(locales, (std::vector<int32_t>{1033, 1049, 1062, 1049, 1033}));
}

TEST_F(StoreTest, ASessionEndedOnAnotherThreadIsNoLongerCurrent) {
  com::Ref<ostrel::Session> ukrainian = Session("olena", 1058);
  EXPECT_EQ(LocaleNow(), 1058);
  std::thread([&] { ukrainian = nullptr; }).join();
  EXPECT_EQ(LocaleNow(), 1033);
}

TEST(ResourceLoader, AnswersFromTheRegisteredTablesInExactlyTheLanguageAsked) {
  static constexpr std::array<com::StringEntry, 2> english = {{{1, "one"}, {2, "two"}}};
  static constexpr std::array<com::StringEntry, 1> russian = {{{1, "один"}}};
  const std::array<com::StringTable, 2> tables = {{{1033, english}, {1049, russian}}};
  com::StringTables::Instance().Register("ResourcesTest", tables);
  com::Ref<ostrel::ResourceLoader> loader =
      com::Query<ostrel::ResourceLoader>(com::CreateObject("Ostrel.ResourceLoader"));
  EXPECT_EQ(loader->LoadString("ResourcesTest", 1, 1049), "один");
  EXPECT_EQ(loader->LoadString("resourcestest", 2, 1033), "two");
  EXPECT_EQ(loader->LoadString("ResourcesTest", 2, 1049), "");  // no fallback: the caller's rule
  EXPECT_EQ(loader->LoadString("ResourcesTest", 1, 1058), "");
  EXPECT_EQ(loader->LoadString("NoSuchModule", 1, 1033), "");
  com::StringTables::Instance().Unregister("ResourcesTest");
}

TEST(PlatformClasses, AreRegisteredUnderTheirModuleWhileTheirLibraryIsLoaded) {
  for (const com::Guid& clsid : {ostrel::LocaleProvider::kCLSID, ostrel::ResourceLoader::kCLSID}) {
    std::optional<com::ClassInfo> info = com::ClassRegistry::Instance().Find(clsid);
    ASSERT_TRUE(info);
    EXPECT_EQ(info->module, resources::kModule);
    EXPECT_TRUE(info->creatable);
  }
  EXPECT_EQ(com::ClassRegistry::Instance().Find("Ostrel.LocaleProvider")->clsid, ostrel::LocaleProvider::kCLSID);
}

}  // namespace
}  // namespace embedded::testing
