// open_store and Store: card stores of the embedded platform and the
// sessions over them, seen from Python.

#include <pybind11/stl.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "bindings/python/dispatch_proxy.h"
#include "bindings/python/module_parts.h"
#include "embedded/store/open.h"
#include "platform/com/locale.h"

namespace py = pybind11;

namespace vorlane::python {
namespace {

// A store and what it was opened on. Sessions keep the store alive on
// their own, so a session outlives the Python object it came from.
struct StoreHandle {
  std::shared_ptr<embedded::Store> store;
  std::string path;  // "" for a store in memory
};

StoreHandle OpenStore(py::handle path_object) {
  if (path_object.is_none()) return StoreHandle{embedded::Store::Open(), ""};
  // A str or any os.PathLike, as Python's own file functions take.
  py::module_ os = py::module_::import("os");
  const std::string path = py::str(os.attr("fsdecode")(os.attr("fspath")(path_object)));
  if (path.empty()) throw py::value_error("vorlane.open_store: the store file's path is empty");
  embedded::StoreOptions options;
  options.path = path;
  return StoreHandle{embedded::Store::Open(options), path};
}

py::object OpenSession(const StoreHandle& handle, const std::string& account, int32_t locale, int32_t client_version,
                       const std::vector<std::string>& groups) {
  if (account.empty()) throw py::value_error("open_session: the account name is empty");
  if (!com::IsKnownLocale(locale)) {
    throw py::value_error("open_session: " + std::to_string(locale) + " is no locale the platform knows");
  }
  embedded::SessionOptions options;
  options.store = handle.store;
  options.account = account;
  options.locale = locale;
  options.client_version = client_version;
  options.groups = groups;
  return WrapObject(com::Ref<com::Unknown>(embedded::Open(options)));
}

}  // namespace

void DefineStore(py::module_& m) {
  py::class_<StoreHandle>(m, "Store",
                          "A card store of the embedded platform. Its sessions see one set of cards, each "
                          "other's locks and each other's written changes.")
      .def("open_session", &OpenSession, py::arg("account") = "user", py::arg("locale") = 1033,
           py::arg("client_version") = 1316, py::arg("groups") = std::vector<std::string>{},
           "A new session of the account on this store: a dispatch object (GetCardManager, GetProperties, "
           "...), which a Library takes as its Connection.\n"
           "Raises ValueError for an empty account or a locale the platform does not know.")
      .def_property_readonly(
          "path",
          [](const StoreHandle& h) -> py::object {
            if (h.path.empty()) return py::none();
            return py::str(h.path);
          },
          "The store file, None for a store in memory.")
      .def("__repr__", [](const StoreHandle& h) {
        return h.path.empty() ? std::string("<vorlane store in memory>") : "<vorlane store " + h.path + ">";
      });
  m.def("open_store", &OpenStore, py::arg("path") = py::none(),
        "A card store: in memory without a path (a str or os.PathLike) (it lives as long as a session or the Store uses it), or\n"
        "the store file at `path`, made when there is none. Stores opened on one file, in this process or\n"
        "in others, see one set of cards and each other's locks.\n"
        "Raises ComError 0x80040500 for a file that cannot be a store (nothing is written to it).");
}

}  // namespace vorlane::python
