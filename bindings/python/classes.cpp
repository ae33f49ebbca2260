// create, register and Collection: new objects of the runtime's classes.

#include <dlfcn.h>

#include <filesystem>
#include <mutex>
#include <string>
#include <vector>

#include <pybind11/stl.h>

#include "bindings/python/dispatch_proxy.h"
#include "bindings/python/module_parts.h"
#include "platform/com/collection.h"
#include "platform/com/registry.h"

namespace py = pybind11;

namespace vorlane::python {
namespace {

namespace fs = std::filesystem;

// The libraries built with the module: they lie beside the runtime library
// that the module is linked with, in the build tree as where they are
// installed, so the module finds their classes without a registry file.
constexpr const char* kOwnLibraries[] = {"libvorlane_objects.so", "libvorlane_process.so", "libvorlane_designer.so"};

// Loads a library for the life of the process; its static initialisers put
// its classes in the process's registry. Returns dlerror's text on failure.
std::string Load(const std::string& path) {
  if (::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE)) return std::string();
  const char* why = ::dlerror();
  return why ? why : "unknown error";
}

// Once per process: a library that does not load here is left out, and
// creating its classes then fails as for any class that is not registered.
void LoadOwnLibraries() {
  static std::once_flag once;
  std::call_once(once, [] {
    const std::string runtime = com::LibraryPathOf(reinterpret_cast<const void*>(&com::CreateObject));
    if (runtime.empty()) return;
    const fs::path folder = fs::path(runtime).parent_path();
    for (const char* name : kOwnLibraries) {
      const fs::path library = folder / name;
      std::error_code ec;
      if (fs::exists(library, ec)) Load(library.string());
    }
  });
}

py::object Create(const std::string& progid) {
  try {
    return WrapObject(com::CreateObject(progid));
  } catch (const com::Error& e) {
    // Neither the process nor the registry file knows the class: the
    // module's own libraries may hold it.
    if (e.code() != com::hr::kClassNotRegistered) throw;
  }
  LoadOwnLibraries();
  return WrapObject(com::CreateObject(progid));
}

std::vector<std::string> Register(const std::string& path, bool write_registry) {
  if (path.empty()) throw py::value_error("vorlane.register: the library's path is empty");
  std::vector<com::ClassInfo> before = com::ClassRegistry::Instance().Classes();
  if (std::string why = Load(path); !why.empty()) {
    throw py::value_error("vorlane.register: cannot load " + path + ": " + why);
  }
  std::vector<std::string> added;
  for (const com::ClassInfo& c : com::ClassRegistry::Instance().Classes()) {
    bool known = false;
    for (const com::ClassInfo& b : before) known = known || b.clsid == c.clsid;
    if (!known && c.creatable) added.push_back(c.progid.empty() ? c.clsid.ToString() : c.progid);
  }
  if (write_registry) {
    void* library = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NOLOAD);
    auto entry = library ? reinterpret_cast<com::DllRegisterServerFn>(::dlsym(library, "DllRegisterServer")) : nullptr;
    if (library) ::dlclose(library);  // the library stays: it was loaded with RTLD_NODELETE
    if (!entry) throw py::value_error("vorlane.register: " + path + " has no DllRegisterServer");
    const com::HResult result = entry();
    if (com::Failed(result)) throw com::Error(result, "", "Cannot register " + path + " in " + com::RegistryFilePath());
  }
  return added;
}

std::string PathText(py::handle path) {
  return py::str(py::module_::import("os").attr("fsdecode")(py::module_::import("os").attr("fspath")(path)));
}

}  // namespace

void DefineClasses(py::module_& m) {
  m.def(
      "create", &Create, py::arg("progid"),
      "A new object of a creatable class, by ProgID (\"QXVorlane.Library\") or class ID text.\n"
      "Classes are looked up in this process, then in the class registry file, then in the libraries\n"
      "the module was built with. Raises ComError 0x80040154 for a class that none of them has.");
  m.def(
      "register", [](py::handle path, bool write_registry) { return Register(PathText(path), write_registry); },
      py::arg("path"), py::arg("write_registry") = false,
      "Loads the library at `path` (a str or os.PathLike) into this process, so that create() makes its\n"
      "classes, and returns the ProgIDs of the creatable classes it brought. With write_registry=True the\n"
      "library also writes its classes to the class registry file (its DllRegisterServer), where other\n"
      "processes find them. Raises ValueError for a library that does not load.");
  m.def(
      "Collection", [] { return WrapObject(com::Make<com::KeyedList>()); },
      "A new keyed collection of the runtime (as create(\"QXVorlane.Collection\") makes).");
}

}  // namespace vorlane::python
