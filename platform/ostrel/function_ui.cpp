#include "platform/ostrel/function_ui.h"

#include "platform/com/describe.h"

namespace ostrel {

const com::TypeInfo& FunctionUI::DispatchInfo() {
  static const com::TypeInfo info = com::Describe<FunctionUI>("FunctionUI")
                                        .Method("GetDependentGates", &FunctionUI::GetDependentGates)
                                        .Build();
  return info;
}

const com::TypeInfo& FunctionConversion::DispatchInfo() {
  static const com::TypeInfo info =
      com::Describe<FunctionConversion>("FunctionConversion")
          .Method("ConvertFunction", &FunctionConversion::ConvertFunction, {com::Arg("Process"), com::Arg("FunctionID")})
          .Build();
  return info;
}

const com::TypeInfo& SessionUser::DispatchInfo() {
  static const com::TypeInfo info = com::Describe<SessionUser>("SessionUser")
                                        .Method("SetSession", &SessionUser::SetSession, {com::Arg("Session")})
                                        .Build();
  return info;
}

}  // namespace ostrel
