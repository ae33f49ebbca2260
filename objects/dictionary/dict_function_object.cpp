// A function type of the dictionary.
#include "objects/dictionary/dict_function_object.h"
#include "platform/com/describe.h"

namespace vorlane {

const com::TypeInfo& DictFunction::DispatchInfo() {
  using F = DictFunction;
  static const com::TypeInfo info =
      com::Describe<F>("_DictFunction")
          .Get("ID", &F::ID)
          .GetLet("Name", &F::Name, &F::SetName)
          .GetLet("Class", &F::Class, &F::SetClass)
          .GetLet("Assembly", &F::Assembly, &F::SetAssembly)
          .GetLet("UIClass", &F::UIClass, &F::SetUIClass)
          .GetLet("IsStart", &F::IsStart, &F::SetIsStart)
          .GetLet("IsStop", &F::IsStop, &F::SetIsStop)
          .GetLet("PoolingInterval", &F::PoolingInterval, &F::SetPoolingInterval)
          .GetLet("Obsolete", &F::Obsolete, &F::SetObsolete)
          .Method("Refresh", &F::Refresh, {com::Optional("DeepRefresh", false)})
          .Build();
  return info;
}

}  // namespace vorlane
