// A document type a process works with.
#include "objects/variables/doc_type_object.h"
#include "platform/com/describe.h"

namespace vorlane {

const com::TypeInfo& DocType::DispatchInfo() {
  using T = DocType;
  static const com::TypeInfo info = com::Describe<T>("_DocType")
                                        .Get("ID", &T::ID)
                                        .GetLet("TypeID", &T::TypeID, &T::SetTypeID)
                                        .Method("Refresh", &T::Refresh, {com::Optional("DeepRefresh", false)})
                                        .Build();
  return info;
}

}  // namespace vorlane
