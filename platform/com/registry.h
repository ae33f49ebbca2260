#pragma once

#include <atomic>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/com/unknown.h"

namespace com {

// A class that the registry can make.
struct ClassInfo {
  Guid clsid;
  std::string progid;   // type library name + "." + class name: "QXVorlane.Library"
  bool creatable = true;  // false: handed out by owners only, CreateObject refuses it
  std::function<Ref<Unknown>()> factory;
  std::string module;   // the module that holds the class ("" for a program's own)
};

// The process's classes: one registry per process, in the runtime library.
// Libraries register their classes here when they load (a ClassRegistrar per
// class, see below); CreateObject falls back to the registry file to find and
// load a library that is not loaded. Safe to use from any thread, and from
// static initialisers and destructors of any library: the registry itself is
// never destroyed.
class ClassRegistry {
 public:
  static ClassRegistry& Instance();

  // Replaces a class of the same class ID or of the same ProgID (a ProgID
  // names one class). Fails with 0x80070057 for a null class ID, a creatable
  // class without a factory, or a ProgID with a tab or a line break (it would
  // not survive the registry file).
  void Register(ClassInfo info);
  // Nothing happens for a class ID that is not registered.
  void Unregister(const Guid& clsid);
  // By class ID or ProgID (ProgIDs match without regard to case).
  std::optional<ClassInfo> Find(const Guid& clsid) const;
  std::optional<ClassInfo> Find(std::string_view progid) const;
  std::vector<ClassInfo> Classes() const;

 private:
  ClassRegistry() = default;

  mutable std::mutex mutex_;
  std::vector<ClassInfo> classes_;
};

// Registers a class while the library that holds this object is loaded. A
// library declares one per class at namespace scope, so that loading it (by
// linking or by dlopen) puts its classes in the process's registry:
//
//   const com::ClassRegistrar kLibrary{{LibraryObject::kCLSID, "QXVorlane.Library", true,
//                                       [] { return com::Ref<com::Unknown>(com::Make<LibraryObject>()); },
//                                       "QXVorlane"}};
//
// Unloading the library (dlclose) unregisters the class again, so that no
// factory outlives its code.
class ClassRegistrar {
 public:
  explicit ClassRegistrar(ClassInfo info);
  ~ClassRegistrar();
  ClassRegistrar(const ClassRegistrar&) = delete;
  ClassRegistrar& operator=(const ClassRegistrar&) = delete;

 private:
  Guid clsid_;
  std::string module_;
};

// The registry file: one line per creatable class,
// "CLSID<TAB>ProgID<TAB>library path". Lines that do not read as that (a bad
// class ID, a missing field, an empty path) are skipped when read and dropped
// when the file is next written. Its path is $VORLANE_REGISTRY, or else
// $XDG_DATA_HOME/vorlane/registry, or else ~/.local/share/vorlane/registry;
// it is looked up on every call, so a change of the environment takes effect
// at once.
std::string RegistryFilePath();
// The registry file of the installation the runtime library belongs to:
// share/vorlane/registry beside the runtime's library folder (written by
// `make install`, read only). CreateObject looks there for a class that the
// user's file does not name. "" when the runtime's own path is unknown.
std::string InstalledRegistryFilePath();
struct RegistryEntry {
  Guid clsid;
  std::string progid;
  std::string library;
  friend bool operator==(const RegistryEntry&, const RegistryEntry&) = default;
};
// The entries in file order; none when the file does not exist. Fails with
// 0x80004005 when the file exists but cannot be read.
std::vector<RegistryEntry> ReadRegistryFile();
// Adds the entries, each replacing any entry of the same class ID or ProgID,
// and writes the file atomically (a temporary file renamed over it, under a
// lock that serialises writers of all processes). Creates the file's folder.
// Fails with 0x80070057 for an entry that the file cannot hold (a null class
// ID, an empty library path, a tab or line break in a field), and with
// 0x80004005 when the file cannot be written; the file is unchanged then.
void WriteRegistryEntries(const std::vector<RegistryEntry>& entries);
// Removes every entry of these class IDs, atomically as above.
void RemoveRegistryEntries(const std::vector<Guid>& clsids);

// Creates a creatable class by ProgID or by class ID text. A class that is
// not registered in the process is looked up in the registry file (then in
// the installation's, InstalledRegistryFilePath), its
// library loaded (dlopen; it stays loaded for the life of the process) and
// the class looked up in the process again: a library registers its classes
// by static initialisation (ClassRegistrar). Fails with 0x80040154 for a class
// that neither knows, whose library does not load or does not register it,
// and with 0x80040111 for one that clients may not create.
Ref<Unknown> CreateObject(std::string_view progid_or_clsid);
// The same by class ID, for platform classes that libraries create by ID.
Ref<Unknown> CreateInstance(const Guid& clsid);

// Counts the live objects of a module, for DllCanUnloadNow.
class ModuleObjectCount {
 public:
  // Held by each object of the module (as a member) for its whole life.
  class Token {
   public:
    explicit Token(ModuleObjectCount& count) : count_(&count) { count_->Increment(); }
    // A copy is another object: it counts once more.
    Token(const Token& other) : Token(*other.count_) {}
    Token& operator=(const Token&) { return *this; }
    ~Token() { count_->Decrement(); }

   private:
    ModuleObjectCount* count_;
  };

  void Increment() { count_.fetch_add(1); }
  void Decrement() { count_.fetch_sub(1); }
  long Count() const { return count_.load(); }

 private:
  std::atomic<long> count_{0};
};
// The count of a module by name, one per name in the process; the reference
// stays valid for the life of the process. Look it up once and keep it where
// objects are made often.
ModuleObjectCount& ModuleObjects(std::string_view module);

// A class factory as DllGetClassObject hands it out. While it is alive it
// counts as an object of its module.
class ClassFactory : public virtual Unknown {
 public:
  static constexpr Guid kIID{"{00000001-0000-0000-C000-000000000046}"};
  virtual Ref<Unknown> CreateInstance() = 0;
};

// The four entry points every library exports (extern "C"), over the
// classes it registered in-process under its module name:
//   HResult DllRegisterServer();    // writes its creatable classes to the registry file
//   HResult DllUnregisterServer();  // removes them
//   HResult DllGetClassObject(const Guid* clsid, Unknown** factory);
//   HResult DllCanUnloadNow();      // 0 when no object of it is alive, else 1
// VORLANE_COM_ENTRY_POINTS(module) below defines all four; these are the
// helpers it calls. They report failure by code and never throw.
//
// Writes the module's creatable classes with `library_path` (made absolute),
// replacing every entry of that library, so that classes the library no
// longer has leave the file. 1 (hr::kFalse) when the module has no
// creatable class.
HResult RegisterModule(std::string_view module, const std::string& library_path);
// Removes the entries of every class of the module.
HResult UnregisterModule(std::string_view module);
// A new ClassFactory (with one reference, in *factory) for a creatable class
// of the module; 0x80040154 when the module has no such class, 0x80040111
// when clients may not create it, 0x80004003 for a null pointer.
HResult GetClassObject(std::string_view module, const Guid* clsid, Unknown** factory);
// 0 when no object of the module is alive (ModuleObjects), else 1.
HResult CanUnloadModule(std::string_view module);
// The absolute path of the shared library (or program) that holds
// `address`; "" when none does.
std::string LibraryPathOf(const void* address);

// The entry points' types, for a host that finds them with dlsym.
using DllRegisterServerFn = HResult (*)();
using DllUnregisterServerFn = HResult (*)();
using DllGetClassObjectFn = HResult (*)(const Guid* clsid, Unknown** factory);
using DllCanUnloadNowFn = HResult (*)();

}  // namespace com

// Defines the four entry points of a library for its module name; write it
// once, at global scope, in one source file of the library:
//
//   VORLANE_COM_ENTRY_POINTS("QXVorlane")
//
// The library's own path is found from an object with internal linkage, so
// that it names this library even where another loaded library exports entry
// points of the same name. The entry points keep default visibility in a
// library built with hidden visibility.
#define VORLANE_COM_ENTRY_POINTS(module_name)                                                       \
  namespace {                                                                                       \
  const char vorlane_com_module_anchor = 0;                                                         \
  }                                                                                                 \
  extern "C" __attribute__((visibility("default"))) ::com::HResult DllRegisterServer() {            \
    return ::com::RegisterModule(module_name, ::com::LibraryPathOf(&vorlane_com_module_anchor));    \
  }                                                                                                 \
  extern "C" __attribute__((visibility("default"))) ::com::HResult DllUnregisterServer() {          \
    return ::com::UnregisterModule(module_name);                                                    \
  }                                                                                                 \
  extern "C" __attribute__((visibility("default"))) ::com::HResult DllGetClassObject(               \
      const ::com::Guid* clsid, ::com::Unknown** factory) {                                         \
    return ::com::GetClassObject(module_name, clsid, factory);                                      \
  }                                                                                                 \
  extern "C" __attribute__((visibility("default"))) ::com::HResult DllCanUnloadNow() {              \
    return ::com::CanUnloadModule(module_name);                                                     \
  }
