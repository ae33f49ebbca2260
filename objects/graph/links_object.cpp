// The links of a process graph.
#include "objects/core/describe_list.h"
#include "objects/graph/links_object.h"

namespace vorlane {

com::Ref<Link> LinksObject::AddNew() {
  com::Ref<LinkObject> item = list_.NewRowWithID();
  list_.AppendIfRead(item);
  return item;
}

const com::TypeInfo& Links::DispatchInfo() {
  static const com::TypeInfo info = DescribeEditableList<Links>("_Links");
  return info;
}

}  // namespace vorlane
