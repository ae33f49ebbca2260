// The document types of a process.
#include "objects/core/describe_list.h"
#include "objects/variables/doc_types_object.h"

namespace vorlane {

com::Ref<DocType> DocTypesObject::AddNew() {
  com::Ref<DocTypeObject> item = list_.NewRowWithID();
  list_.AppendIfRead(item);
  return item;
}

const com::TypeInfo& DocTypes::DispatchInfo() {
  static const com::TypeInfo info = DescribeEditableList<DocTypes>("_DocTypes");
  return info;
}

}  // namespace vorlane
