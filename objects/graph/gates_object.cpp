// The gates of a process graph.
#include "objects/core/describe_list.h"
#include "objects/graph/gates_object.h"

namespace vorlane {

com::Ref<Gate> GatesObject::AddNew() {
  com::Ref<GateObject> item = list_.NewRowWithID();
  list_.AppendIfRead(item);
  return item;
}

const com::TypeInfo& Gates::DispatchInfo() {
  static const com::TypeInfo info = DescribeEditableList<Gates>("_Gates");
  return info;
}

}  // namespace vorlane
