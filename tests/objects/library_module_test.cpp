// The built library as a loader sees it: its entry points, its string
// tables, and nothing of its helpers.
#include <dlfcn.h>

#include <gtest/gtest.h>

#include "platform/com/registry.h"
#include "platform/com/string_tables.h"
#include "platform/com/text.h"

namespace {

class LibraryModule : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    // Tables registered before the load are not the library's: forget them,
    // so that the load must register them again.
    was_loaded_ = dlopen(VORLANE_OBJECTS_LIBRARY, RTLD_NOW | RTLD_NOLOAD) != nullptr;
    if (!was_loaded_) com::StringTables::Instance().Unregister("Vorlane");
    handle_ = dlopen(VORLANE_OBJECTS_LIBRARY, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(handle_, nullptr) << dlerror();
  }
  // The library stays loaded, as the class registry keeps the libraries it loads.

  template <class F>
  static F Symbol(const char* name) {
    return reinterpret_cast<F>(dlsym(handle_, name));
  }

  static inline void* handle_ = nullptr;
  static inline bool was_loaded_ = false;
};

TEST_F(LibraryModule, RegistersItsStringTablesWhenLoaded) {
  if (was_loaded_) GTEST_SKIP() << "the library was loaded before the test";
  EXPECT_EQ(com::StringTables::Instance().Locales("Vorlane"), (std::vector<int32_t>{1033, 1049, 1058, 1062}));
  EXPECT_EQ(com::StringTables::Instance().Find("Vorlane", 1062, 105), "sekmīgi pabeigts");
}

TEST_F(LibraryModule, ExportsTheFourEntryPoints) {
  auto get_class_object = Symbol<com::DllGetClassObjectFn>("DllGetClassObject");
  auto can_unload = Symbol<com::DllCanUnloadNowFn>("DllCanUnloadNow");
  ASSERT_NE(get_class_object, nullptr);
  ASSERT_NE(can_unload, nullptr);
  EXPECT_NE(Symbol<com::DllRegisterServerFn>("DllRegisterServer"), nullptr);
  EXPECT_NE(Symbol<com::DllUnregisterServerFn>("DllUnregisterServer"), nullptr);

  com::Unknown* factory = nullptr;
  const com::Guid unknown{"{6C3D1F0E-5B2A-4C89-9E41-3A7D2B8C0F15}"};
  EXPECT_EQ(get_class_object(&unknown, &factory), com::hr::kClassNotRegistered);
  EXPECT_EQ(factory, nullptr);
  EXPECT_EQ(get_class_object(nullptr, &factory), com::hr::kPointer);
  EXPECT_EQ(can_unload(), com::hr::kOk);  // no object of it is alive
}

TEST_F(LibraryModule, KeepsItsHelpersToItself) {
  // Each library carries its own copy of the helpers; an exported one would
  // let one library's copy answer for another's module.
  for (const char* name : {"_ZN7vorlane10ThisModuleEv", "_ZN7vorlane13ModuleObjectsEv",
                           "_ZN7vorlane19LoadLocalizedStringB5cxx11Eii", "_ZN7vorlane15CurrentLocaleIDEv",
                           "_ZN7vorlane10CreateGUIDB5cxx11Ev"}) {
    EXPECT_EQ(dlsym(handle_, name), nullptr) << name;
  }
}

TEST_F(LibraryModule, RegistersItsClassesUnderItsModule) {
  // The process object is handed out by its owners only.
  auto process = com::ClassRegistry::Instance().Find("QXVorlane.Process");
  ASSERT_TRUE(process);
  EXPECT_TRUE(text::EqualNoCase(process->module, "Vorlane"));
  EXPECT_FALSE(process->creatable);
  com::Unknown* factory = nullptr;
  auto get_class_object = Symbol<com::DllGetClassObjectFn>("DllGetClassObject");
  EXPECT_EQ(get_class_object(&process->clsid, &factory), com::hr::kClassNotCreatable);
}

}  // namespace
