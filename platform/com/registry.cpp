#include "platform/com/registry.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>

#include "platform/com/collection.h"
#include "platform/com/text.h"

namespace com {
namespace {

namespace fs = std::filesystem;

// The module name of the runtime's own classes.
constexpr std::string_view kRuntimeModule = "vorlane_com";

Error SystemError(const std::string& what, const std::string& path, int err) {
  return Error(hr::kFail, "", what + " " + path + ": " + std::strerror(err));
}

// ---- the registry file ----

// A field may hold anything but the separators of the file.
bool FieldFits(std::string_view field) { return field.find_first_of(std::string_view("\t\r\n\0", 4)) == field.npos; }

bool FileCanHold(const RegistryEntry& e) {
  return !e.clsid.IsNull() && !e.library.empty() && FieldFits(e.progid) && FieldFits(e.library);
}

// nullopt for a line that does not read as an entry: it is skipped, not fatal.
std::optional<RegistryEntry> ParseLine(std::string_view line) {
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);  // a file edited elsewhere
  size_t first = line.find('\t');
  if (first == line.npos) return std::nullopt;
  size_t second = line.find('\t', first + 1);
  if (second == line.npos) return std::nullopt;
  std::optional<Guid> clsid = Guid::Parse(line.substr(0, first));
  if (!clsid) return std::nullopt;
  RegistryEntry e{*clsid, std::string(line.substr(first + 1, second - first - 1)),
                  std::string(line.substr(second + 1))};
  if (!FileCanHold(e)) return std::nullopt;
  return e;
}

std::vector<RegistryEntry> ReadEntries(const std::string& path) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    if (errno == ENOENT || errno == ENOTDIR) return {};  // no file: no entries
    throw SystemError("Cannot read the class registry file", path, errno);
  }
  std::string data;
  char buf[8192];
  for (;;) {
    ssize_t n = ::read(fd, buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      int err = errno;
      ::close(fd);
      throw SystemError("Cannot read the class registry file", path, err);
    }
    if (n == 0) break;
    data.append(buf, static_cast<size_t>(n));
  }
  ::close(fd);

  std::vector<RegistryEntry> entries;
  std::string_view rest = data;
  while (!rest.empty()) {
    size_t end = rest.find('\n');
    std::string_view line = rest.substr(0, end);
    rest = end == rest.npos ? std::string_view() : rest.substr(end + 1);
    if (auto e = ParseLine(line)) entries.push_back(std::move(*e));
  }
  return entries;
}

// Writes `data` to a temporary file beside `path` and renames it over
// `path`, so that a reader sees the old file or the new one, never a part.
void WriteAtomically(const std::string& path, const std::string& data) {
  std::string temp = path + ".tmp." + std::to_string(::getpid());
  int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) throw SystemError("Cannot write the class registry file", temp, errno);
  auto fail = [&](int err) {
    ::close(fd);
    ::unlink(temp.c_str());
    return SystemError("Cannot write the class registry file", temp, err);
  };
  for (size_t done = 0; done < data.size();) {
    ssize_t n = ::write(fd, data.data() + done, data.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) throw fail(errno);
    done += static_cast<size_t>(n);
  }
  if (::fsync(fd) != 0) throw fail(errno);
  if (::close(fd) != 0) {
    int err = errno;
    ::unlink(temp.c_str());
    throw SystemError("Cannot write the class registry file", temp, err);
  }
  if (::rename(temp.c_str(), path.c_str()) != 0) {
    int err = errno;
    ::unlink(temp.c_str());
    throw SystemError("Cannot replace the class registry file", path, err);
  }
}

// An exclusive lock on a file beside the registry: processes that register
// at the same time take turns, so that no one's entries are lost.
class FileLock {
 public:
  explicit FileLock(const std::string& path) : fd_(::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644)) {
    if (fd_ < 0) throw SystemError("Cannot lock the class registry file", path, errno);
    while (::flock(fd_, LOCK_EX) != 0) {
      if (errno == EINTR) continue;
      int err = errno;
      ::close(fd_);
      throw SystemError("Cannot lock the class registry file", path, err);
    }
  }
  ~FileLock() { ::close(fd_); }  // closing releases the lock
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;

 private:
  int fd_;
};

// Reads, changes and rewrites the file under the lock. `change` returns
// false when it changed nothing; the file is then left as it is.
template <class Change>
void UpdateRegistryFile(Change change) {
  std::string path = RegistryFilePath();
  fs::path folder = fs::path(path).parent_path();
  if (!folder.empty()) {
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (ec) throw Error(hr::kFail, "", "Cannot create the folder of the class registry file " + path + ": " + ec.message());
  }
  FileLock lock(path + ".lock");
  std::vector<RegistryEntry> entries = ReadEntries(path);
  if (!change(entries)) return;
  std::string data;
  for (const RegistryEntry& e : entries) data += e.clsid.ToString() + '\t' + e.progid + '\t' + e.library + '\n';
  WriteAtomically(path, data);
}

// Adds `added` to `entries`, each replacing any entry of its class ID or ProgID.
void AddEntries(std::vector<RegistryEntry>& entries, const std::vector<RegistryEntry>& added) {
  for (const RegistryEntry& a : added) {
    std::erase_if(entries, [&](const RegistryEntry& e) {
      return e.clsid == a.clsid || (!a.progid.empty() && text::EqualNoCase(e.progid, a.progid));
    });
    entries.push_back(a);
  }
}

void CheckFileCanHold(const std::vector<RegistryEntry>& entries) {
  for (const RegistryEntry& e : entries) {
    if (!FileCanHold(e)) {
      throw Error(hr::kInvalidArg, "",
                  "The class registry file cannot hold the entry of " + e.clsid.ToString() + " (\"" + e.progid + "\")");
    }
  }
}

std::string AbsolutePath(const std::string& path) {
  std::error_code ec;
  fs::path absolute = fs::absolute(path, ec);
  return ec ? path : absolute.lexically_normal().string();
}

std::string HomeDirectory() {
  if (const char* home = std::getenv("HOME"); home && *home) return home;
  std::vector<char> buf(16384);
  passwd pw{};
  passwd* found = nullptr;
  if (::getpwuid_r(::getuid(), &pw, buf.data(), buf.size(), &found) == 0 && found && found->pw_dir) {
    return found->pw_dir;
  }
  throw Error(hr::kFail, "", "No home directory for the class registry file: set VORLANE_REGISTRY");
}

// ---- creating objects ----

Ref<Unknown> MakeObject(const ClassInfo& info, const std::string& name) {
  if (!info.creatable) throw Error(hr::kClassNotCreatable, "", "Class is not creatable by clients: " + name);
  Ref<Unknown> object = info.factory();
  if (!object) throw Error(hr::kUnexpected, "", "The factory of " + name + " made no object");
  return object;
}

Error NotRegistered(const std::string& name, const std::string& why = "") {
  return Error(hr::kClassNotRegistered, "", "Class not registered: " + name + (why.empty() ? "" : " (" + why + ")"));
}

// By class ID when `clsid` is set, else by ProgID.
std::optional<ClassInfo> FindClass(const std::optional<Guid>& clsid, std::string_view progid) {
  const ClassRegistry& registry = ClassRegistry::Instance();
  return clsid ? registry.Find(*clsid) : registry.Find(progid);
}

Ref<Unknown> CreateClass(const std::optional<Guid>& clsid, std::string_view progid) {
  const std::string name = clsid ? clsid->ToString() : std::string(progid);
  if (auto info = FindClass(clsid, progid)) return MakeObject(*info, name);
  if (!clsid && progid.empty()) throw NotRegistered(name);

  auto matches = [&](const RegistryEntry& e) {
    return clsid ? e.clsid == *clsid : text::EqualNoCase(e.progid, progid);
  };
  // The user's file first, then the one installed with the runtime.
  std::vector<RegistryEntry> entries = ReadRegistryFile();
  auto entry = std::find_if(entries.begin(), entries.end(), matches);
  if (entry == entries.end()) {
    if (const std::string installed = InstalledRegistryFilePath(); !installed.empty()) {
      entries = ReadEntries(installed);
      entry = std::find_if(entries.begin(), entries.end(), matches);
    }
  }
  if (entry == entries.end()) throw NotRegistered(name);

  // The library's static initialisers register its classes. It stays loaded
  // (RTLD_NODELETE) because its factories stay registered.
  if (!::dlopen(entry->library.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE)) {
    const char* why = ::dlerror();
    throw NotRegistered(name, "cannot load " + entry->library + ": " + (why ? why : "unknown error"));
  }
  std::optional<ClassInfo> info = FindClass(clsid, progid);
  if (!info) info = ClassRegistry::Instance().Find(entry->clsid);  // a ProgID the file has out of date
  if (!info) throw NotRegistered(name, entry->library + " does not register it");
  return MakeObject(*info, name);
}

// A factory over a registered class, as DllGetClassObject hands it out.
class RegisteredClassFactory final : public Object<ClassFactory> {
 public:
  RegisteredClassFactory(std::function<Ref<Unknown>()> factory, ModuleObjectCount& count)
      : factory_(std::move(factory)), token_(count) {}
  Ref<Unknown> CreateInstance() override { return factory_(); }

 private:
  std::function<Ref<Unknown>()> factory_;
  ModuleObjectCount::Token token_;
};

}  // namespace

// ---- the in-process registry ----

ClassRegistry& ClassRegistry::Instance() {
  // Never destroyed: libraries register and unregister from their static
  // initialisers and destructors, in whatever order the process runs them.
  static ClassRegistry* const registry = new ClassRegistry;
  return *registry;
}

void ClassRegistry::Register(ClassInfo info) {
  if (info.clsid.IsNull()) throw Error(hr::kInvalidArg, "", "A class needs a class ID");
  if (info.creatable && !info.factory) {
    throw Error(hr::kInvalidArg, "", "The creatable class " + info.clsid.ToString() + " has no factory");
  }
  if (!FieldFits(info.progid)) throw Error(hr::kInvalidArg, "", "Malformed ProgID of " + info.clsid.ToString());
  std::lock_guard lock(mutex_);
  std::erase_if(classes_, [&](const ClassInfo& c) {
    return c.clsid == info.clsid || (!info.progid.empty() && text::EqualNoCase(c.progid, info.progid));
  });
  classes_.push_back(std::move(info));
}

void ClassRegistry::Unregister(const Guid& clsid) {
  std::lock_guard lock(mutex_);
  std::erase_if(classes_, [&](const ClassInfo& c) { return c.clsid == clsid; });
}

std::optional<ClassInfo> ClassRegistry::Find(const Guid& clsid) const {
  std::lock_guard lock(mutex_);
  for (const ClassInfo& c : classes_) {
    if (c.clsid == clsid) return c;
  }
  return std::nullopt;
}

std::optional<ClassInfo> ClassRegistry::Find(std::string_view progid) const {
  if (progid.empty()) return std::nullopt;  // a class without a ProgID is found by ID only
  std::lock_guard lock(mutex_);
  for (const ClassInfo& c : classes_) {
    if (text::EqualNoCase(c.progid, progid)) return c;
  }
  return std::nullopt;
}

std::vector<ClassInfo> ClassRegistry::Classes() const {
  std::lock_guard lock(mutex_);
  return classes_;
}

ClassRegistrar::ClassRegistrar(ClassInfo info) : clsid_(info.clsid), module_(info.module) {
  ClassRegistry::Instance().Register(std::move(info));
}

ClassRegistrar::~ClassRegistrar() {
  // Another module may have taken the class ID since; its class stays.
  ClassRegistry& registry = ClassRegistry::Instance();
  std::optional<ClassInfo> current = registry.Find(clsid_);
  if (current && current->module == module_) registry.Unregister(clsid_);
}

// ---- the registry file ----

std::string RegistryFilePath() {
  if (const char* path = std::getenv("VORLANE_REGISTRY"); path && *path) return path;
  // A relative XDG_DATA_HOME is invalid and ignored, as the XDG rules say.
  const char* data_home = std::getenv("XDG_DATA_HOME");
  std::string base = data_home && *data_home == '/' ? std::string(data_home) : HomeDirectory() + "/.local/share";
  return base + "/vorlane/registry";
}

std::vector<RegistryEntry> ReadRegistryFile() { return ReadEntries(RegistryFilePath()); }

std::string InstalledRegistryFilePath() {
  const std::string runtime = LibraryPathOf(reinterpret_cast<const void*>(&InstalledRegistryFilePath));
  if (runtime.empty()) return std::string();
  return (fs::path(runtime).parent_path().parent_path() / "share" / "vorlane" / "registry").string();
}

void WriteRegistryEntries(const std::vector<RegistryEntry>& entries) {
  CheckFileCanHold(entries);
  if (entries.empty()) return;
  UpdateRegistryFile([&](std::vector<RegistryEntry>& file) {
    AddEntries(file, entries);
    return true;
  });
}

void RemoveRegistryEntries(const std::vector<Guid>& clsids) {
  UpdateRegistryFile([&](std::vector<RegistryEntry>& file) {
    return std::erase_if(file, [&](const RegistryEntry& e) {
             return std::find(clsids.begin(), clsids.end(), e.clsid) != clsids.end();
           }) > 0;
  });
}

// ---- creating objects ----

Ref<Unknown> CreateObject(std::string_view progid_or_clsid) {
  std::optional<Guid> clsid = Guid::Parse(progid_or_clsid);
  return CreateClass(clsid, progid_or_clsid);
}

Ref<Unknown> CreateInstance(const Guid& clsid) { return CreateClass(clsid, {}); }

// ---- the entry points' helpers ----
// Each reports failure as a code: its caller is a host through an extern "C"
// entry point, which takes no exception.

HResult RegisterModule(std::string_view module, const std::string& library_path) {
  try {
    if (library_path.empty()) return hr::kInvalidArg;
    const std::string library = AbsolutePath(library_path);
    std::vector<RegistryEntry> mine;
    for (const ClassInfo& c : ClassRegistry::Instance().Classes()) {
      if (c.module == module && c.creatable) mine.push_back(RegistryEntry{c.clsid, c.progid, library});
    }
    CheckFileCanHold(mine);
    UpdateRegistryFile([&](std::vector<RegistryEntry>& file) {
      // The library's old entries go: a class it no longer has leaves the file.
      size_t removed = std::erase_if(file, [&](const RegistryEntry& e) { return e.library == library; });
      AddEntries(file, mine);
      return removed > 0 || !mine.empty();
    });
    return mine.empty() ? hr::kFalse : hr::kOk;
  } catch (const Error& e) {
    return e.code();
  }
}

HResult UnregisterModule(std::string_view module) {
  try {
    std::vector<Guid> mine;
    for (const ClassInfo& c : ClassRegistry::Instance().Classes()) {
      if (c.module == module) mine.push_back(c.clsid);
    }
    if (!mine.empty()) RemoveRegistryEntries(mine);
    return hr::kOk;
  } catch (const Error& e) {
    return e.code();
  }
}

HResult GetClassObject(std::string_view module, const Guid* clsid, Unknown** factory) {
  if (!factory) return hr::kPointer;
  *factory = nullptr;
  if (!clsid) return hr::kPointer;
  std::optional<ClassInfo> info = ClassRegistry::Instance().Find(*clsid);
  if (!info || info->module != module) return hr::kClassNotRegistered;
  if (!info->creatable) return hr::kClassNotCreatable;
  Ref<RegisteredClassFactory> made = Make<RegisteredClassFactory>(std::move(info->factory), ModuleObjects(module));
  *factory = static_cast<Unknown*>(made.release());
  return hr::kOk;
}

HResult CanUnloadModule(std::string_view module) {
  return ModuleObjects(module).Count() == 0 ? hr::kOk : hr::kFalse;
}

ModuleObjectCount& ModuleObjects(std::string_view module) {
  // Never destroyed, like the class registry: objects may die at any point of
  // the process's exit.
  struct Counts {
    std::mutex mutex;
    std::map<std::string, ModuleObjectCount, std::less<>> by_module;
  };
  static Counts* const counts = new Counts;
  std::lock_guard lock(counts->mutex);
  auto it = counts->by_module.find(module);
  if (it == counts->by_module.end()) it = counts->by_module.try_emplace(std::string(module)).first;
  return it->second;
}

std::string LibraryPathOf(const void* address) {
  Dl_info info{};
  if (::dladdr(address, &info) == 0 || !info.dli_fname || !*info.dli_fname) return "";
  return AbsolutePath(info.dli_fname);
}

// ---- the runtime's own classes ----

void RegisterCollectionClass() {
  ClassRegistry::Instance().Register(ClassInfo{Collection::kCLSID, "QXVorlane.Collection", true,
                                               [] { return Ref<Unknown>(Make<KeyedList>()); },
                                               std::string(kRuntimeModule)});
}

namespace {
// Every process can create the runtime's own classes from the moment the
// runtime library loads.
[[maybe_unused]] const bool kRuntimeClassesRegistered = (RegisterCollectionClass(), true);
}  // namespace

}  // namespace com
