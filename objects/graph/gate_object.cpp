// A gate of a process graph.
#include "objects/graph/gate_object.h"
#include "platform/com/describe.h"

namespace vorlane {

const com::TypeInfo& Gate::DispatchInfo() {
  static const com::TypeInfo info = com::Describe<Gate>("_Gate")
                                        .Get("ID", &Gate::ID)
                                        .GetLet("Caption", &Gate::Caption, &Gate::SetCaption)
                                        .GetLet("Description", &Gate::Description, &Gate::SetDescription)
                                        .GetLet("TypeID", &Gate::TypeID, &Gate::SetTypeID)
                                        .GetLet("Data", &Gate::Data, &Gate::SetData)
                                        .Method("Refresh", &Gate::Refresh, {com::Optional("DeepRefresh", false)})
                                        .Build();
  return info;
}

}  // namespace vorlane
