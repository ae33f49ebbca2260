// The functions of a process graph.
#include "objects/core/describe_list.h"
#include "objects/graph/functions_object.h"

namespace vorlane {

com::Ref<ProcFunction> FunctionsObject::AddNew() {
  com::Ref<ProcFunctionObject> item = list_.NewRowWithID();
  item->SetReuseStep(true);
  list_.AppendIfRead(item);
  return item;
}

const com::TypeInfo& Functions::DispatchInfo() {
  static const com::TypeInfo info = DescribeEditableList<Functions>("_Functions");
  return info;
}

}  // namespace vorlane
