#include "platform/com/registry.h"

#include <dlfcn.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "platform/com/collection.h"
#include "tests/com/code_of.h"
#include "tests/com/plugin/test_plugin.h"

namespace com {
namespace {

namespace fs = std::filesystem;
using namespace std::string_view_literals;

// Sets (or, with nullopt, removes) an environment variable for one scope.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, std::optional<std::string> value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    if (value) {
      ::setenv(name, value->c_str(), 1);
    } else {
      ::unsetenv(name);
    }
  }
  ~ScopedEnv() {
    if (old_) {
      ::setenv(name_, old_->c_str(), 1);
    } else {
      ::unsetenv(name_);
    }
  }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

// A registry file of the test's own, in a fresh folder of the build tree
// (tests run in parallel, and never touch the user's registry).
class ScopedRegistryFile {
 public:
  ScopedRegistryFile()
      : dir_(fs::path(VORLANE_TEST_DIR) / ("registry-" + std::string(CurrentTest()) + "-" + std::to_string(::getpid()))),
        path_((dir_ / "vorlane" / "registry").string()),
        env_("VORLANE_REGISTRY", path_) {
    fs::remove_all(dir_);
  }
  ~ScopedRegistryFile() { fs::remove_all(dir_); }

  const std::string& path() const { return path_; }
  const fs::path& dir() const { return dir_; }
  // "" when there is no file.
  std::string Contents() const {
    std::ifstream in(path_, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  void SetContents(std::string_view data) const {
    fs::create_directories(fs::path(path_).parent_path());
    std::ofstream(path_, std::ios::binary) << data;
  }

 private:
  static std::string CurrentTest() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    return std::string(info->test_suite_name()) + "." + info->name();
  }

  fs::path dir_;
  std::string path_;
  ScopedEnv env_;
};

using test::CodeOf;

size_t LineCount(const std::string& s) { return static_cast<size_t>(std::count(s.begin(), s.end(), '\n')); }

constexpr Guid kLocalCLSID{"{2F6A9C14-5B3E-4D70-A8E1-C94B07D62F35}"};
constexpr Guid kHiddenCLSID{"{E3B5071D-6C2A-4F98-B41E-5A7D92C0F816}"};
constexpr Guid kOtherCLSID{"{91C4E62B-0F7D-4A35-9B8E-2D16F5A03C47}"};

ClassInfo LocalClass(int* made = nullptr) {
  return ClassInfo{kLocalCLSID, "QXRegistryTest.Local", true,
                   [made] {
                     if (made) ++*made;
                     return Ref<Unknown>(Make<KeyedList>());
                   },
                   "LocalModule"};
}

// ---- the in-process registry ----

TEST(ClassRegistry, FindsClassesByIdAndByProgIdWithoutRegardToCase) {
  ClassRegistry& registry = ClassRegistry::Instance();
  {
    ClassRegistrar local(LocalClass());
    ASSERT_TRUE(registry.Find(kLocalCLSID));
    EXPECT_EQ(registry.Find(kLocalCLSID)->progid, "QXRegistryTest.Local");
    for (std::string_view progid : {"QXRegistryTest.Local", "qxregistrytest.local", "QXREGISTRYTEST.LOCAL"}) {
      ASSERT_TRUE(registry.Find(progid)) << progid;
      EXPECT_EQ(registry.Find(progid)->clsid, kLocalCLSID) << progid;
    }
    EXPECT_FALSE(registry.Find("QXRegistryTest.Loca"));
    EXPECT_FALSE(registry.Find("QXRegistryTest.Local2"));

    // A class without a ProgID is found by its ID only.
    ClassRegistrar nameless({kOtherCLSID, "", false, nullptr, "LocalModule"});
    EXPECT_FALSE(registry.Find(""));
    EXPECT_TRUE(registry.Find(kOtherCLSID));
  }
  // The registrars are gone, and their classes with them.
  EXPECT_FALSE(registry.Find(kLocalCLSID));
  EXPECT_FALSE(registry.Find("QXRegistryTest.Local"));
  EXPECT_FALSE(registry.Find(kOtherCLSID));
}

TEST(ClassRegistry, RegisteringAgainReplacesTheClassOfThatIdOrProgId) {
  ClassRegistry& registry = ClassRegistry::Instance();
  const size_t before = registry.Classes().size();
  ClassRegistrar local(LocalClass());

  ClassInfo renamed = LocalClass();
  renamed.progid = "QXRegistryTest.Renamed";
  registry.Register(renamed);
  EXPECT_FALSE(registry.Find("QXRegistryTest.Local"));
  EXPECT_EQ(registry.Find(kLocalCLSID)->progid, "QXRegistryTest.Renamed");

  // A new class ID under a taken ProgID (any case) takes the ProgID over.
  ClassInfo moved = LocalClass();
  moved.clsid = kOtherCLSID;
  moved.progid = "qxregistrytest.renamed";
  registry.Register(moved);
  EXPECT_FALSE(registry.Find(kLocalCLSID));
  EXPECT_EQ(registry.Find("QXRegistryTest.Renamed")->clsid, kOtherCLSID);
  EXPECT_EQ(registry.Classes().size(), before + 1);
  registry.Unregister(kOtherCLSID);
}

TEST(ClassRegistry, RefusesClassesItCannotKeep) {
  struct Case {
    const char* what;
    ClassInfo info;
  };
  const Case cases[] = {
      {"null class ID", {Guid(), "QXRegistryTest.Null", false, nullptr, "LocalModule"}},
      {"creatable without factory", {kLocalCLSID, "QXRegistryTest.Local", true, nullptr, "LocalModule"}},
      {"tab in ProgID", {kLocalCLSID, "QXRegistryTest.\tLocal", false, nullptr, "LocalModule"}},
      {"line break in ProgID", {kLocalCLSID, "QXRegistryTest.Local\n", false, nullptr, "LocalModule"}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CodeOf([&] { ClassRegistry::Instance().Register(c.info); }), hr::kInvalidArg) << c.what;
    EXPECT_FALSE(ClassRegistry::Instance().Find(kLocalCLSID)) << c.what;
  }
}

// ---- creating objects ----

TEST(CreateObject, CreatesRegisteredClassesByProgIdOrClassIdText) {
  int made = 0;
  ClassRegistrar local(LocalClass(&made));
  for (std::string_view name : {"QXRegistryTest.Local", "qxregistrytest.LOCAL", "{2F6A9C14-5B3E-4D70-A8E1-C94B07D62F35}",
                                "2f6a9c14-5b3e-4d70-a8e1-c94b07d62f35", " {2F6A9C14-5B3E-4D70-A8E1-C94B07D62F35} "}) {
    Ref<Unknown> object = CreateObject(name);
    EXPECT_TRUE(TryQuery<Collection>(object)) << name;
  }
  EXPECT_TRUE(TryQuery<Collection>(CreateInstance(kLocalCLSID)));
  EXPECT_EQ(made, 6);
}

TEST(CreateObject, RefusesClassesClientsMayNotCreate) {
  int made = 0;
  ClassInfo hidden = LocalClass(&made);
  hidden.clsid = kHiddenCLSID;
  hidden.progid = "QXRegistryTest.Hidden";
  hidden.creatable = false;
  ClassRegistrar registrar(hidden);
  EXPECT_EQ(CodeOf([] { CreateObject("QXRegistryTest.Hidden"); }), hr::kClassNotCreatable);
  EXPECT_EQ(CodeOf([] { CreateObject(kHiddenCLSID.ToString()); }), hr::kClassNotCreatable);
  EXPECT_EQ(CodeOf([] { CreateInstance(kHiddenCLSID); }), hr::kClassNotCreatable);
  EXPECT_EQ(made, 0);
}

TEST(CreateObject, UnknownClassesAreNotRegistered) {
  ScopedRegistryFile file;
  for (std::string_view name : {"QXRegistryTest.Nothing", "{9A0B1C2D-3E4F-4A5B-8C6D-7E8F9A0B1C2D}", "", "QXVorlane"}) {
    try {
      CreateObject(name);
      ADD_FAILURE() << name << ": created";
    } catch (const Error& e) {
      EXPECT_EQ(e.code(), hr::kClassNotRegistered) << name;
      EXPECT_NE(e.description().find(std::string(name)), std::string::npos) << e.description();
    }
  }
  EXPECT_EQ(CodeOf([] { CreateInstance(kOtherCLSID); }), hr::kClassNotRegistered);

  // Named by the file, but its library is not there.
  const std::string missing = (file.dir() / "libmissing.so").string();
  WriteRegistryEntries({{kOtherCLSID, "QXRegistryTest.Missing", missing}});
  try {
    CreateObject("QXRegistryTest.Missing");
    ADD_FAILURE() << "created";
  } catch (const Error& e) {
    EXPECT_EQ(e.code(), hr::kClassNotRegistered);
    EXPECT_NE(e.description().find("cannot load " + missing), std::string::npos) << e.description();
  }
}

TEST(CreateObject, CollectionIsCreatableInEveryProcess) {
  for (Ref<Unknown> list : {CreateObject("QXVorlane.Collection"), CreateInstance(Collection::kCLSID)}) {
    const Variant args[] = {Variant("first"), Variant("k")};
    CallMethod(list.get(), "Add", args);
    CallMethod(list.get(), "Add", std::span<const Variant>(args, 1));
    EXPECT_EQ(GetProperty(list.get(), "Count"), Variant(int32_t{2}));
    const Variant key[] = {Variant("K")};
    EXPECT_EQ(GetProperty(list.get(), "Item", key), Variant("first"));
  }
}

// ---- the registry file ----

TEST(RegistryFilePath, FollowsTheEnvironment) {
  struct Case {
    std::optional<std::string> registry, data_home;
    std::string expected;
  };
  const Case cases[] = {
      {"/srv/vorlane/registry.txt", "/data", "/srv/vorlane/registry.txt"},
      {std::nullopt, "/data", "/data/vorlane/registry"},
      {"", "/data", "/data/vorlane/registry"},  // an empty variable counts as unset
      {std::nullopt, std::nullopt, "/home/tester/.local/share/vorlane/registry"},
      {std::nullopt, "", "/home/tester/.local/share/vorlane/registry"},
      {std::nullopt, "relative/data", "/home/tester/.local/share/vorlane/registry"},  // not absolute: ignored
  };
  ScopedEnv home("HOME", "/home/tester");
  for (const Case& c : cases) {
    ScopedEnv registry("VORLANE_REGISTRY", c.registry);
    ScopedEnv data_home("XDG_DATA_HOME", c.data_home);
    EXPECT_EQ(RegistryFilePath(), c.expected);
  }
}

TEST(RegistryFile, MissingFileHasNoEntries) {
  ScopedRegistryFile file;
  EXPECT_TRUE(ReadRegistryFile().empty());
  RemoveRegistryEntries({kLocalCLSID});
  EXPECT_FALSE(fs::exists(file.path())) << "removing nothing must not create the file";
}

TEST(RegistryFile, RoundTripsEntriesInOrder) {
  ScopedRegistryFile file;
  const std::vector<RegistryEntry> entries = {
      {kLocalCLSID, "QXRegistryTest.Local", "/opt/vorlane/lib/libvorlane objects.so"},
      {kOtherCLSID, "", "/opt/Ворлане/libother.so"},
  };
  WriteRegistryEntries(entries);
  EXPECT_EQ(ReadRegistryFile(), entries);
  EXPECT_EQ(file.Contents(),
            "{2F6A9C14-5B3E-4D70-A8E1-C94B07D62F35}\tQXRegistryTest.Local\t/opt/vorlane/lib/libvorlane objects.so\n"
            "{91C4E62B-0F7D-4A35-9B8E-2D16F5A03C47}\t\t/opt/Ворлане/libother.so\n");

  RemoveRegistryEntries({kLocalCLSID});
  EXPECT_EQ(ReadRegistryFile(), std::vector<RegistryEntry>{entries[1]});
  // Only the file and its lock: no temporary file stays behind.
  std::vector<std::string> names;
  for (const auto& f : fs::directory_iterator(fs::path(file.path()).parent_path())) names.push_back(f.path().filename().string());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"registry", "registry.lock"}));
}

TEST(RegistryFile, WritingAgainReplacesInsteadOfDuplicating) {
  ScopedRegistryFile file;
  const RegistryEntry local{kLocalCLSID, "QXRegistryTest.Local", "/lib/a.so"};
  const RegistryEntry other{kOtherCLSID, "QXRegistryTest.Other", "/lib/b.so"};
  WriteRegistryEntries({local, other});
  WriteRegistryEntries({local, other});
  EXPECT_EQ(LineCount(file.Contents()), 2u);

  // The same class ID from another library; a new class ID under a taken ProgID.
  const RegistryEntry local_moved{kLocalCLSID, "QXRegistryTest.Local", "/lib/c.so"};
  const RegistryEntry other_renumbered{kHiddenCLSID, "qxregistrytest.OTHER", "/lib/b.so"};
  WriteRegistryEntries({local_moved, other_renumbered});
  EXPECT_EQ(ReadRegistryFile(), (std::vector<RegistryEntry>{local_moved, other_renumbered}));
}

TEST(RegistryFile, SkipsMalformedLines) {
  ScopedRegistryFile file;
  file.SetContents(
      "garbage\n"
      "\n"
      "\t\t\n"
      "{2F6A9C14-5B3E-4D70-A8E1-C94B07D6}\tQXRegistryTest.Short\t/lib/short.so\n"
      "{2F6A9C14-5B3E-4D70-A8E1-C94B07D62F35}\tQXRegistryTest.Local\t/lib/a.so\r\n"
      "{91C4E62B-0F7D-4A35-9B8E-2D16F5A03C47}\tQXRegistryTest.NoPath\n"
      "{91C4E62B-0F7D-4A35-9B8E-2D16F5A03C47}\tQXRegistryTest.EmptyPath\t\n"
      "{91C4E62B-0F7D-4A35-9B8E-2D16F5A03C47}\tQXRegistryTest.TabPath\t/lib/x\t.so\n"
      "\x01\x02\xff\xfe\0\0\n"
      "{91C4E62B-0F7D-4A35-9B8E-2D16F5A03C4}\tQXRegistryTest.ShortToo\t/lib/short.so\n"
      "{91C4E62B-0F7D-4A35-9B8E-2D16F5A03C47}\tQXRegistryTest.Other\t/lib/b.so"sv);  // no final line break
  const std::vector<RegistryEntry> good = {
      {kLocalCLSID, "QXRegistryTest.Local", "/lib/a.so"},
      {kOtherCLSID, "QXRegistryTest.Other", "/lib/b.so"},
  };
  EXPECT_EQ(ReadRegistryFile(), good);

  // The next write keeps the good entries and drops what could not be read.
  const RegistryEntry added{kHiddenCLSID, "QXRegistryTest.Hidden", "/lib/c.so"};
  WriteRegistryEntries({added});
  EXPECT_EQ(ReadRegistryFile(), (std::vector<RegistryEntry>{good[0], good[1], added}));
  EXPECT_EQ(LineCount(file.Contents()), 3u);
}

TEST(RegistryFile, RefusesWhatItCannotHoldAndLeavesTheFileAsItWas) {
  ScopedRegistryFile file;
  WriteRegistryEntries({{kLocalCLSID, "QXRegistryTest.Local", "/lib/a.so"}});
  const std::string before = file.Contents();
  const RegistryEntry bad[] = {
      {Guid(), "QXRegistryTest.Null", "/lib/a.so"},
      {kOtherCLSID, "QXRegistryTest.Other", ""},
      {kOtherCLSID, "QXRegistry\tTest", "/lib/a.so"},
      {kOtherCLSID, "QXRegistryTest.Other", "/lib/a\n{2F6A9C14-5B3E-4D70-A8E1-C94B07D62F35}\tX\t/lib/evil.so"},
      {kOtherCLSID, "QXRegistryTest.Other", std::string("/lib/a\0.so", 10)},
  };
  for (const RegistryEntry& e : bad) {
    // The good entry first: nothing of a refused call is written.
    EXPECT_EQ(CodeOf([&] { WriteRegistryEntries({{kHiddenCLSID, "QXRegistryTest.Hidden", "/lib/h.so"}, e}); }),
              hr::kInvalidArg)
        << e.progid;
    EXPECT_EQ(file.Contents(), before);
  }
}

TEST(RegistryFile, FailedWriteLeavesTheOldFile) {
  ScopedRegistryFile file;
  const RegistryEntry local{kLocalCLSID, "QXRegistryTest.Local", "/lib/a.so"};
  WriteRegistryEntries({local});
  const std::string before = file.Contents();

  // Something in the way of the temporary file: the write fails before the
  // file is touched.
  fs::create_directories(file.path() + ".tmp." + std::to_string(::getpid()) + "/x");
  EXPECT_EQ(CodeOf([] { WriteRegistryEntries({{kOtherCLSID, "QXRegistryTest.Other", "/lib/b.so"}}); }), hr::kFail);
  EXPECT_EQ(file.Contents(), before);

  // A folder that cannot be made: an error, not a crash.
  const fs::path blocker = file.dir() / "blocker";
  std::ofstream(blocker) << "a file, not a folder";
  ScopedEnv env("VORLANE_REGISTRY", (blocker / "registry").string());
  EXPECT_EQ(CodeOf([&] { WriteRegistryEntries({local}); }), hr::kFail);
  EXPECT_TRUE(ReadRegistryFile().empty());
}

TEST(RegistryFile, ConcurrentWritersKeepEveryEntry) {
  ScopedRegistryFile file;
  constexpr int kWriters = 4, kEach = 8;
  std::atomic<int> failed{0};
  std::vector<std::thread> writers;
  for (int w = 0; w < kWriters; ++w) {
    writers.emplace_back([w, &failed] {
      for (int i = 0; i < kEach; ++i) {
        const std::string progid = "QXRegistryTest.C" + std::to_string(w * kEach + i);
        if (CodeOf([&] { WriteRegistryEntries({{Guid::Generate(), progid, "/lib/a.so"}}); }) != hr::kOk) ++failed;
      }
    });
  }
  for (std::thread& t : writers) t.join();
  EXPECT_EQ(failed, 0);
  EXPECT_EQ(ReadRegistryFile().size(), static_cast<size_t>(kWriters * kEach));
}

// ---- the entry points' helpers, on the program's own classes ----

TEST(ModuleHelpers, ReportFailuresByCode) {
  ScopedRegistryFile file;
  ClassRegistrar hidden({kHiddenCLSID, "QXRegistryTest.Hidden", false, nullptr, "HiddenOnly"});
  // A module without creatable classes writes nothing.
  EXPECT_EQ(RegisterModule("HiddenOnly", "/lib/hidden.so"), hr::kFalse);
  EXPECT_FALSE(fs::exists(file.path()));
  EXPECT_EQ(RegisterModule("HiddenOnly", ""), hr::kInvalidArg);

  ClassRegistrar local(LocalClass());
  const fs::path blocker = file.dir() / "blocker";
  fs::create_directories(file.dir());
  std::ofstream(blocker) << "a file, not a folder";
  ScopedEnv env("VORLANE_REGISTRY", (blocker / "registry").string());
  EXPECT_EQ(RegisterModule("LocalModule", "/lib/local.so"), hr::kFail);
  EXPECT_EQ(UnregisterModule("LocalModule"), hr::kFail);
}

// ---- a library loaded through the registry file ----

const std::string kPluginPath = fs::path(VORLANE_TEST_PLUGIN).lexically_normal().string();

template <class Fn>
Fn EntryPoint(void* library, const char* name) {
  void* symbol = ::dlsym(library, name);
  EXPECT_NE(symbol, nullptr) << name;
  return reinterpret_cast<Fn>(symbol);
}

// Runs first among the tests of the library, while it is not yet loaded.
TEST(RegistryLibrary, CreateObjectLoadsTheLibraryTheFileNames) {
  ScopedRegistryFile file;
  ASSERT_EQ(::dlopen(kPluginPath.c_str(), RTLD_NOW | RTLD_NOLOAD), nullptr) << "the test library is loaded already";
  ASSERT_FALSE(ClassRegistry::Instance().Find(test_plugin::kGreeterCLSID));
  WriteRegistryEntries({{test_plugin::kGreeterCLSID, test_plugin::kGreeterProgID, kPluginPath}});

  Ref<Unknown> greeter = CreateObject("qxregistrytest.GREETER");
  const Variant name[] = {Variant("World")};
  EXPECT_EQ(CallMethod(greeter.get(), "Greet", name), Variant("Hello, World"));

  // Loaded now, and all of its classes are in the process.
  EXPECT_NE(::dlopen(kPluginPath.c_str(), RTLD_NOW | RTLD_NOLOAD), nullptr);
  ASSERT_TRUE(ClassRegistry::Instance().Find(test_plugin::kPartProgID));
  EXPECT_EQ(ClassRegistry::Instance().Find(test_plugin::kPartProgID)->module, test_plugin::kModule);
  EXPECT_EQ(CodeOf([] { CreateObject(test_plugin::kPartProgID); }), hr::kClassNotCreatable);
  Ref<Unknown> part = CallMethod(greeter.get(), "NewPart").ToObject();
  EXPECT_EQ(GetProperty(part.get(), "Name"), Variant("Part"));
}

TEST(RegistryLibrary, EntryPointsRegisterCountAndHandOutFactories) {
  ScopedRegistryFile file;
  void* library = ::dlopen(kPluginPath.c_str(), RTLD_NOW | RTLD_NODELETE);
  ASSERT_NE(library, nullptr) << ::dlerror();
  auto register_server = EntryPoint<DllRegisterServerFn>(library, "DllRegisterServer");
  auto unregister_server = EntryPoint<DllUnregisterServerFn>(library, "DllUnregisterServer");
  auto get_class_object = EntryPoint<DllGetClassObjectFn>(library, "DllGetClassObject");
  auto can_unload_now = EntryPoint<DllCanUnloadNowFn>(library, "DllCanUnloadNow");
  ASSERT_TRUE(register_server && unregister_server && get_class_object && can_unload_now);

  // Registering writes the creatable class with the library's own path, and
  // replaces the library's stale entries; twice is the same as once.
  const Guid gone = Guid::Generate();
  WriteRegistryEntries({{gone, "QXRegistryTest.Gone", kPluginPath}, {kLocalCLSID, "QXRegistryTest.Local", "/lib/a.so"}});
  EXPECT_EQ(register_server(), hr::kOk);
  EXPECT_EQ(register_server(), hr::kOk);
  const std::vector<RegistryEntry> expected = {
      {kLocalCLSID, "QXRegistryTest.Local", "/lib/a.so"},
      {test_plugin::kGreeterCLSID, test_plugin::kGreeterProgID, kPluginPath},
  };
  EXPECT_EQ(ReadRegistryFile(), expected);

  // A class the file puts in the library, but that the library does not have.
  WriteRegistryEntries({{kOtherCLSID, "QXRegistryTest.Phantom", kPluginPath}});
  try {
    CreateObject("QXRegistryTest.Phantom");
    ADD_FAILURE() << "created";
  } catch (const Error& e) {
    EXPECT_EQ(e.code(), hr::kClassNotRegistered);
    EXPECT_NE(e.description().find("does not register it"), std::string::npos) << e.description();
  }

  // Every object of the library, and every factory, keeps it loaded.
  EXPECT_EQ(can_unload_now(), hr::kOk);
  {
    Ref<Unknown> greeter = CreateObject(test_plugin::kGreeterProgID);
    EXPECT_EQ(can_unload_now(), hr::kFalse);
    Ref<Unknown> part = CallMethod(greeter.get(), "NewPart").ToObject();
    greeter.reset();
    EXPECT_EQ(can_unload_now(), hr::kFalse) << "the part is alive";
  }
  EXPECT_EQ(can_unload_now(), hr::kOk);
  {
    Unknown* raw = nullptr;
    ASSERT_EQ(get_class_object(&test_plugin::kGreeterCLSID, &raw), hr::kOk);
    Ref<Unknown> factory = Ref<Unknown>::Adopt(raw);
    EXPECT_EQ(can_unload_now(), hr::kFalse);
    Ref<Unknown> greeter = Query<ClassFactory>(factory)->CreateInstance();
    const Variant name[] = {Variant("factory")};
    EXPECT_EQ(CallMethod(greeter.get(), "Greet", name), Variant("Hello, factory"));
  }
  EXPECT_EQ(can_unload_now(), hr::kOk);

  struct Case {
    const Guid* clsid;
    HResult code;
  };
  for (const Case& c : {Case{&test_plugin::kPartCLSID, hr::kClassNotCreatable},
                        Case{&Collection::kCLSID, hr::kClassNotRegistered},  // another module's class
                        Case{&kOtherCLSID, hr::kClassNotRegistered}, Case{nullptr, hr::kPointer}}) {
    Ref<KeyedList> sentinel = Make<KeyedList>();
    Unknown* raw = static_cast<Unknown*>(sentinel.get());  // must come back null
    EXPECT_EQ(get_class_object(c.clsid, &raw), c.code);
    EXPECT_EQ(raw, nullptr);
  }
  EXPECT_EQ(get_class_object(&test_plugin::kGreeterCLSID, nullptr), hr::kPointer);

  EXPECT_EQ(unregister_server(), hr::kOk);
  EXPECT_EQ(ReadRegistryFile(), (std::vector<RegistryEntry>{{kLocalCLSID, "QXRegistryTest.Local", "/lib/a.so"},
                                                             {kOtherCLSID, "QXRegistryTest.Phantom", kPluginPath}}));
}

}  // namespace
}  // namespace com
