// A constraint of a pass state: a function that must have been passed first.
#include "objects/variables/constraint_object.h"
#include "platform/com/describe.h"

namespace vorlane {

const com::TypeInfo& Constraint::DispatchInfo() {
  using C = Constraint;
  static const com::TypeInfo info = com::Describe<C>("_Constraint")
                                        .Get("ID", &C::ID)
                                        .GetLet("PrevFunction", &C::PrevFunction, &C::SetPrevFunction)
                                        .GetLet("Completed", &C::Completed, &C::SetCompleted)
                                        .Method("Refresh", &C::Refresh, {com::Optional("DeepRefresh", false)})
                                        .Build();
  return info;
}

}  // namespace vorlane
