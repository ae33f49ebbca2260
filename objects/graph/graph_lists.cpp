// The three lists of a process graph: functions, gates and links.
#include "objects/core/describe_list.h"
#include "objects/graph/functions_object.h"
#include "objects/graph/gates_object.h"
#include "objects/graph/links_object.h"

namespace vorlane {
namespace {

template <class I>
com::TypeInfo DescribeGraphList(std::string name) {
  return DescribeList<I>(std::move(name))
      .Method("AddNew", &I::AddNew)
      .Method("Remove", &I::Remove, {com::Arg("Index")})
      .Method("Refresh", &I::Refresh, {com::Optional("DeepRefresh", false)})
      .Build();
}

}  // namespace

com::Ref<ProcFunction> FunctionsObject::AddNew() {
  com::Ref<ProcFunctionObject> item = list_.NewRowWithID();
  item->SetReuseStep(true);
  list_.AppendIfRead(item);
  return item;
}

com::Ref<Gate> GatesObject::AddNew() {
  com::Ref<GateObject> item = list_.NewRowWithID();
  list_.AppendIfRead(item);
  return item;
}

com::Ref<Link> LinksObject::AddNew() {
  com::Ref<LinkObject> item = list_.NewRowWithID();
  list_.AppendIfRead(item);
  return item;
}

const com::TypeInfo& Functions::DispatchInfo() {
  static const com::TypeInfo info = DescribeGraphList<Functions>("_Functions");
  return info;
}

const com::TypeInfo& Gates::DispatchInfo() {
  static const com::TypeInfo info = DescribeGraphList<Gates>("_Gates");
  return info;
}

const com::TypeInfo& Links::DispatchInfo() {
  static const com::TypeInfo info = DescribeGraphList<Links>("_Links");
  return info;
}

}  // namespace vorlane
