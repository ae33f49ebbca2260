// The platform's locale provider and resource loader, as the libraries'
// resource lookup creates them by class ID.
#include <gtest/gtest.h>

#include <array>
#include <thread>
#include <vector>

#include "embedded/resources/platform_classes.h"
#include "platform/com/locale.h"
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

// Every call into a session runs under its locale, whatever changed the
// thread's locale since its last call: another session, the thread itself,
// or a thread that ended and left its identity to a new one.
TEST_F(StoreTest, EveryCallRunsUnderItsSessionsLocale) {
  com::Ref<ostrel::Session> russian = Session("ivan", 1049);
  com::Ref<ostrel::Session> latvian = Session("ilze", 1062);
  auto locale_in = [](const com::Ref<ostrel::Session>& session) {
    session->GetCardManager();
    return com::ThreadLocaleID();
  };
  std::vector<int32_t> seen = OnFreshThread([&] {
    std::vector<int32_t> on_thread;
    for (const auto* session : {&russian, &russian, &latvian, &russian, &latvian, &latvian}) {
      on_thread.push_back(locale_in(*session));
    }
    com::SetThreadLocaleID(1031);
    on_thread.push_back(locale_in(latvian));
    {
      com::ScopedThreadLocale german(1031);
      on_thread.push_back(locale_in(latvian));
    }
    on_thread.push_back(locale_in(latvian));
    return on_thread;
  });
  EXPECT_EQ(seen, (std::vector<int32_t>{1049, 1049, 1062, 1049, 1062, 1062, 1062, 1062, 1062}));
  // Threads that follow one another often get the same identity.
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(OnFreshThread([&] { return locale_in(russian); }), 1049) << i;
    EXPECT_EQ(OnFreshThread([&] { return com::ThreadLocaleID(); }), 1033) << "a new thread starts afresh";
  }
}

TEST_F(StoreTest, ASessionEndedOnAnotherThreadIsNoLongerCurrent) {
  com::Ref<ostrel::Session> ukrainian = Session("olena", 1058);
  EXPECT_EQ(LocaleNow(), 1058);
  std::thread([&] { ukrainian = nullptr; }).join();
  EXPECT_EQ(LocaleNow(), 1033);
}

// A session held by another of the thread's own objects outlives the
// thread's record of its current session: ending it, and using another
// session then, must leave that record alone.
TEST_F(StoreTest, ASessionThatOutlivesItsThreadsRecordEndsCleanly) {
  for (int i = 0; i < 3; ++i) {
    std::thread([&] {
      // Made before the first call records the session, so ended after.
      static thread_local struct Held {
        com::Ref<ostrel::Session> session;
        com::Ref<ostrel::Session> other;
        ~Held() {
          session = nullptr;  // the thread's current session
          other->GetCardManager();  // a call after the record ended
          EXPECT_EQ(com::ThreadLocaleID(), 1062);
          other = nullptr;
        }
      } held;
      held.session = Session("ivan", 1049);
      held.other = Session("ilze", 1062);
      held.session->GetCardManager();
      EXPECT_EQ(LocaleNow(), 1049);
    }).join();
  }
  EXPECT_EQ(OnFreshThread([] { return LocaleNow(); }), 1033);
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
