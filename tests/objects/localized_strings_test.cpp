#include "common/localized_strings.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <functional>
#include <future>
#include <optional>
#include <thread>

#include "platform/com/dispatch.h"
#include "platform/com/error.h"
#include "platform/com/locale.h"
#include "platform/com/registry.h"
#include "platform/com/string_tables.h"
#include "platform/ostrel/locale_provider.h"
#include "platform/ostrel/resource_loader.h"

namespace vorlane {
namespace {

using LoadFn = std::function<std::string(std::string_view module, int32_t id, int32_t locale)>;
using LocaleFn = std::function<int32_t()>;

class TestResourceLoader final : public com::Object<ostrel::ResourceLoader> {
 public:
  explicit TestResourceLoader(LoadFn load) : load_(std::move(load)) {}
  std::string LoadString(std::string_view module, int32_t id, int32_t locale) override {
    return load_(module, id, locale);
  }

 private:
  LoadFn load_;
};

class TestLocaleProvider final : public com::Object<ostrel::LocaleProvider> {
 public:
  explicit TestLocaleProvider(LocaleFn locale) : locale_(std::move(locale)) {}
  int32_t GetLocaleID() override { return locale_(); }

 private:
  LocaleFn locale_;
};

// The platform's way of answering: from the tables the libraries registered.
std::string FromRegisteredTables(std::string_view module, int32_t id, int32_t locale) {
  return com::StringTables::Instance().Find(module, locale, id).value_or("");
}

// Runs `f` on a thread of its own: the components are kept per thread, so a
// fresh thread starts without any.
template <class F>
auto OnFreshThread(F f) {
  std::optional<decltype(f())> result;
  std::thread([&] { result.emplace(f()); }).join();
  return *result;
}

// The platform classes registered in-process for one test. The registry
// file is pointed at a file that does not exist, so that only what the test
// registers can be created.
class ResourceLookup : public ::testing::Test {
 protected:
  void SetUp() override {
    if (const char* old = std::getenv("VORLANE_REGISTRY")) saved_registry_ = old;
    ::setenv("VORLANE_REGISTRY", VORLANE_TEST_DIR "/no-such-folder/registry", 1);
  }
  void TearDown() override {
    com::ClassRegistry::Instance().Unregister(ostrel::ResourceLoader::kCLSID);
    com::ClassRegistry::Instance().Unregister(ostrel::LocaleProvider::kCLSID);
    if (saved_registry_) {
      ::setenv("VORLANE_REGISTRY", saved_registry_->c_str(), 1);
    } else {
      ::unsetenv("VORLANE_REGISTRY");
    }
  }

  void RegisterLoader(LoadFn load) {
    com::ClassRegistry::Instance().Register(
        {ostrel::ResourceLoader::kCLSID, "Ostrel.ResourceLoader", true,
         [this, load] {
           ++loaders_made_;
           return com::Ref<com::Unknown>(com::Make<TestResourceLoader>(load));
         },
         ""});
  }
  // Each provider made answers `locale` + the number of providers made before it.
  void RegisterProvider(int32_t locale) {
    com::ClassRegistry::Instance().Register(
        {ostrel::LocaleProvider::kCLSID, "Ostrel.LocaleProvider", true,
         [this, locale] {
           int32_t mine = locale + providers_made_++;
           return com::Ref<com::Unknown>(com::Make<TestLocaleProvider>([mine] { return mine; }));
         },
         ""});
  }
  void RegisterFailing(const com::Guid& clsid, const char* progid) {
    com::ClassRegistry::Instance().Register(
        {clsid, progid, true, []() -> com::Ref<com::Unknown> { throw com::Error(com::hr::kOutOfMemory); }, ""});
  }

  std::atomic<int> loaders_made_{0};
  std::atomic<int> providers_made_{0};

 private:
  std::optional<std::string> saved_registry_;
};

TEST_F(ResourceLookup, WithoutLoaderOnlyTheOwnTableAnswers) {
  auto texts = OnFreshThread([] {
    com::ScopedThreadLocale russian(1049);
    return std::vector<std::string>{LoadLocalizedString(103, 0), LoadLocalizedString(103, 1049),
                                    LoadLocalizedString(100), LoadLocalizedString(1020, 1062),
                                    LoadLocalizedString(999, 0), LoadLocalizedString(0, 1033)};
  });
  EXPECT_EQ(texts, (std::vector<std::string>{"paused", "paused", "Vorlane library",
                                             "Specified data does not contain business-process.",
                                             "NO_RESOURCE_FOUND", "NO_RESOURCE_FOUND"}));
}

TEST_F(ResourceLookup, WithoutProviderTheLocaleIsTheThreads) {
  EXPECT_EQ(OnFreshThread([] {
              com::ScopedThreadLocale ukrainian(1058);
              return CurrentLocaleID();
            }),
            1058);
}

TEST_F(ResourceLookup, ComponentsThatCannotBeCreatedAreAbsent) {
  RegisterFailing(ostrel::ResourceLoader::kCLSID, "Ostrel.ResourceLoader");
  RegisterFailing(ostrel::LocaleProvider::kCLSID, "Ostrel.LocaleProvider");
  auto result = OnFreshThread([] {
    com::ScopedThreadLocale latvian(1062);
    return std::make_pair(CurrentLocaleID(), LoadLocalizedString(105));
  });
  EXPECT_EQ(result.first, 1062);
  EXPECT_EQ(result.second, "succeeded");
}

TEST_F(ResourceLookup, LoaderAnswersPerLocale) {
  std::atomic<int> asked_for_vorlane{0};
  RegisterLoader([&](std::string_view module, int32_t id, int32_t locale) {
    if (module == "Vorlane") ++asked_for_vorlane;
    return FromRegisteredTables(module, id, locale);
  });
  auto texts = OnFreshThread([] {
    return std::vector<std::string>{LoadLocalizedString(103, 1033), LoadLocalizedString(103, 1049),
                                    LoadLocalizedString(103, 1058), LoadLocalizedString(103, 1062),
                                    // No Kazakh table: the loader answers "", the own table answers.
                                    LoadLocalizedString(104, 1087),
                                    LoadLocalizedString(999, 1049)};
  });
  EXPECT_EQ(texts, (std::vector<std::string>{"paused", "приостановлен", "призупинений", "pauzēts",
                                             "paused due an error", "NO_RESOURCE_FOUND"}));
  EXPECT_EQ(asked_for_vorlane, 6);
  EXPECT_EQ(loaders_made_, 1);  // created on first use, then kept
}

TEST_F(ResourceLookup, FailingLoaderFallsBackToTheOwnTable) {
  RegisterLoader([](std::string_view, int32_t id, int32_t) -> std::string {
    if (id == 101) throw com::Error(com::hr::kFail, "ResourceLoader", "storage is gone");
    return "";
  });
  auto texts = OnFreshThread([] {
    return std::vector<std::string>{LoadLocalizedString(101, 1049), LoadLocalizedString(102, 1049),
                                    LoadLocalizedString(998, 1049)};
  });
  EXPECT_EQ(texts, (std::vector<std::string>{"stopped", "active", "NO_RESOURCE_FOUND"}));
}

TEST_F(ResourceLookup, LocaleZeroIsTheProvidersLocale) {
  RegisterLoader(FromRegisteredTables);
  RegisterProvider(1058);
  auto result = OnFreshThread([] {
    com::ScopedThreadLocale russian(1049);  // the provider wins over the thread's locale
    return std::make_pair(CurrentLocaleID(), LoadLocalizedString(101));
  });
  EXPECT_EQ(result.first, 1058);
  EXPECT_EQ(result.second, "зупинений");
}

TEST_F(ResourceLookup, FailingProviderMakesTheLookupUseTheThreadsLocale) {
  RegisterLoader(FromRegisteredTables);
  com::ClassRegistry::Instance().Register(
      {ostrel::LocaleProvider::kCLSID, "Ostrel.LocaleProvider", true,
       [] {
         return com::Ref<com::Unknown>(com::Make<TestLocaleProvider>([]() -> int32_t {
           throw com::Error(com::hr::kFail, "LocaleProvider", "no user");
         }));
       },
       ""});
  auto result = OnFreshThread([] {
    com::ScopedThreadLocale latvian(1062);
    com::HResult raised = 0;
    try {
      CurrentLocaleID();
    } catch (const com::Error& e) {
      raised = e.code();
    }
    return std::make_pair(raised, LoadLocalizedString(102));
  });
  EXPECT_EQ(result.first, com::hr::kFail);  // CurrentLocaleID passes the provider's error on
  EXPECT_EQ(result.second, "aktīvs");       // the lookup never raises
}

TEST_F(ResourceLookup, AComponentRegisteredLaterIsFound) {
  auto texts = OnFreshThread([this] {
    std::string before = LoadLocalizedString(103, 1049);
    RegisterLoader(FromRegisteredTables);
    return std::make_pair(before, LoadLocalizedString(103, 1049));
  });
  EXPECT_EQ(texts.first, "paused");
  EXPECT_EQ(texts.second, "приостановлен");
}

TEST_F(ResourceLookup, EachThreadHasItsOwnComponents) {
  RegisterProvider(1049);
  RegisterLoader(FromRegisteredTables);
  std::promise<int32_t> first_before;
  std::promise<void> second_done;
  std::promise<int32_t> first_after;
  std::thread first([&] {
    first_before.set_value(CurrentLocaleID());
    second_done.get_future().wait();
    first_after.set_value(CurrentLocaleID());
  });
  std::pair<int32_t, int32_t> first_locales;
  first_locales.first = first_before.get_future().get();
  auto second = OnFreshThread([] { return std::make_pair(CurrentLocaleID(), LoadLocalizedString(101)); });
  second_done.set_value();
  first_locales.second = first_after.get_future().get();
  first.join();

  EXPECT_EQ(providers_made_, 2);
  // Each thread keeps the provider it made: the first answers 1049 before
  // and after the second thread made its own, which answers 1050.
  EXPECT_EQ(first_locales, std::make_pair(1049, 1049));
  EXPECT_EQ(second.first, 1050);
  EXPECT_EQ(second.second, "stopped");  // no table for 1050: the own table answers
  EXPECT_EQ(loaders_made_, 1);          // only the second thread asked for a string
}

}  // namespace
}  // namespace vorlane
