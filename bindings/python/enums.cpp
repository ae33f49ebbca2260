// The enumerations of the type library as Python IntEnums. An IntEnum is an
// int, so a member goes wherever the runtime takes an integer.

#include <string>
#include <utility>
#include <vector>

#include "bindings/python/module_parts.h"
#include "vorlane/enums.h"

namespace py = pybind11;

namespace vorlane::python {
namespace {

struct Enumeration {
  const char* name;
  const char* doc;
  std::vector<std::pair<const char*, int32_t>> members;
};

template <class E>
std::pair<const char*, int32_t> Member(const char* name, E value) {
  return {name, static_cast<int32_t>(value)};
}

std::vector<Enumeration> Enumerations() {
  using PS = ProcessStateEnum;
  using TS = TemplateStateEnum;
  using LL = LoggingLevelEnum;
  using FS = FuncStateEnum;
  using LT = LinkTypeEnum;
  using VT = VarTypeEnum;
  using AT = ActionTypeEnum;
  return {
      {"ProcessStateEnum", "Process.State: the run state of a process instance.",
       {Member("NonActive", PS::NonActive), Member("Active", PS::Active), Member("Paused", PS::Paused),
        Member("Failed", PS::Failed), Member("Finished", PS::Finished)}},
      {"TemplateStateEnum", "Process.TemplateState: the state of a process template.",
       {Member("Design", TS::Design), Member("InUse", TS::InUse), Member("Test", TS::Test),
        Member("ReadyToStart", TS::ReadyToStart)}},
      {"LoggingLevelEnum", "Process.LoggingLevel: which messages the workflow server logs.",
       {Member("None", LL::None), Member("Errors", LL::Errors), Member("Warnings", LL::Warnings),
        Member("Information", LL::Information)}},
      {"FuncStateEnum", "PassState.State: the state of one pass of a function.",
       {Member("NonActive", FS::NonActive), Member("Wait", FS::Wait), Member("Active", FS::Active),
        Member("Done", FS::Done), Member("Finished", FS::Finished), Member("Error", FS::Error),
        Member("WaitForProcessChange", FS::WaitForProcessChange),
        Member("WaitForLinkedCardChange", FS::WaitForLinkedCardChange),
        Member("WaitForWeaklyLinkedCardChange", FS::WaitForWeaklyLinkedCardChange)}},
      {"LinkTypeEnum", "Link.LinkType: when a link is followed.",
       {Member("LinkSuccess", LT::LinkSuccess), Member("LinkFail", LT::LinkFail),
        Member("LinkCompletion", LT::LinkCompletion)}},
      {"VarTypeEnum", "Variable.VarType: the type of a process variable's values.",
       {Member("Generic", VT::Generic), Member("Integer", VT::Integer), Member("Float", VT::Float),
        Member("String", VT::String), Member("Boolean", VT::Boolean), Member("DateTime", VT::DateTime),
        Member("Enum", VT::Enum)}},
      {"ActionTypeEnum", "LogMessage.ActionType: the kind of a log message.",
       {Member("Error", AT::Error), Member("Warning", AT::Warning), Member("Information", AT::Information)}},
  };
}

}  // namespace

void DefineEnums(py::module_& m) {
  py::object int_enum = py::module_::import("enum").attr("IntEnum");
  for (const Enumeration& e : Enumerations()) {
    py::list members;
    for (const auto& [name, value] : e.members) members.append(py::make_tuple(name, value));
    py::object type = int_enum(e.name, members, py::arg("module") = m.attr("__name__"));
    type.attr("__doc__") = e.doc;
    m.attr(e.name) = type;
  }
}

}  // namespace vorlane::python
