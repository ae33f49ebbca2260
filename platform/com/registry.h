#pragma once

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
  std::string module;   // the library that holds the class ("" for a program's own)
};

// The process's classes: one registry per process, in the runtime library.
// Libraries register their classes here when they load; CreateObject falls
// back to the registry file to find and load a library that is not loaded.
class ClassRegistry {
 public:
  static ClassRegistry& Instance();

  // Replaces a class of the same class ID.
  void Register(ClassInfo info);
  void Unregister(const Guid& clsid);
  // By class ID or ProgID (ProgIDs match without regard to case).
  std::optional<ClassInfo> Find(const Guid& clsid) const;
  std::optional<ClassInfo> Find(std::string_view progid) const;
  std::vector<ClassInfo> Classes() const;

 private:
  mutable std::mutex mutex_;
  std::vector<ClassInfo> classes_;
};

// The registry file: one line per class, "CLSID<TAB>ProgID<TAB>library path".
// Its path is $VORLANE_REGISTRY, or else $XDG_DATA_HOME/vorlane/registry
// (~/.local/share/vorlane/registry).
std::string RegistryFilePath();
struct RegistryEntry {
  Guid clsid;
  std::string progid;
  std::string library;
};
std::vector<RegistryEntry> ReadRegistryFile();
// Adds or replaces the entries (by class ID) and writes the file atomically.
void WriteRegistryEntries(const std::vector<RegistryEntry>& entries);
// Removes every entry of these class IDs.
void RemoveRegistryEntries(const std::vector<Guid>& clsids);

// Creates a creatable class by ProgID or by class ID text. A class that is
// not registered in the process is looked up in the registry file and its
// library loaded (dlopen). Fails with 0x80040154 for an unknown class and
// 0x80040111 for one that clients may not create.
Ref<Unknown> CreateObject(std::string_view progid_or_clsid);
// The same by class ID, for platform classes that libraries create by ID.
Ref<Unknown> CreateInstance(const Guid& clsid);

// The four entry points every library exports (extern "C"), over the
// classes it registered in-process under its module name:
//   HResult DllRegisterServer();    // writes its classes to the registry file
//   HResult DllUnregisterServer();  // removes them
//   HResult DllGetClassObject(const Guid* clsid, Unknown** factory);
//   HResult DllCanUnloadNow();      // 0 when no object of it is alive, else 1
// Helpers a library calls from them:
HResult RegisterModule(std::string_view module, const std::string& library_path);
HResult UnregisterModule(std::string_view module);
// The path of the shared library that holds `address` (for DllRegisterServer).
std::string LibraryPathOf(const void* address);

// A class factory as DllGetClassObject hands it out.
class ClassFactory : public virtual Unknown {
 public:
  static constexpr Guid kIID{"{00000001-0000-0000-C000-000000000046}"};
  virtual Ref<Unknown> CreateInstance() = 0;
};

// Counts the live objects of a library, for DllCanUnloadNow.
class ModuleObjectCount {
 public:
  void Increment() { count_.fetch_add(1); }
  void Decrement() { count_.fetch_sub(1); }
  long Count() const { return count_.load(); }

 private:
  std::atomic<long> count_{0};
};

}  // namespace com
