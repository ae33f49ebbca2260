#include "platform/ostrel/function_ui.h"

#include "platform/com/describe.h"

namespace ostrel {

const com::TypeInfo& FunctionUI::DispatchInfo() {
  static const com::TypeInfo info = com::Describe<FunctionUI>("FunctionUI")
                                        .Method("GetDependentGates", &FunctionUI::GetDependentGates)
                                        .Build();
  return info;
}

}  // namespace ostrel
