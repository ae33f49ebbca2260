#pragma once

#include "objects/core/row_wrapper.h"
#include "vorlane/dict_function.h"

namespace vorlane {

class DictFunctionObject final : public com::Object<DictFunction>, public RowWrapper {
 public:
  std::string ID() override { return GetStrictID("ID"); }
  std::string Name() override { return GetText("Name"); }
  void SetName(const std::string& v) override { PutText("Name", v); }
  std::string Class() override { return GetText("ServerClass"); }
  void SetClass(const std::string& v) override { PutText("ServerClass", v); }
  std::string Assembly() override { return GetText("ServerAssembly"); }
  void SetAssembly(const std::string& v) override { PutText("ServerAssembly", v); }
  std::string UIClass() override { return GetText("UIClass"); }
  void SetUIClass(const std::string& v) override { PutText("UIClass", v); }
  bool IsStart() override { return GetBool("IsStart"); }
  void SetIsStart(bool v) override { PutBool("IsStart", v); }
  bool IsStop() override { return GetBool("IsStop"); }
  void SetIsStop(bool v) override { PutBool("IsStop", v); }
  int32_t PoolingInterval() override { return GetLong("PoolingInterval"); }
  void SetPoolingInterval(int32_t v) override { PutLong("PoolingInterval", v); }
  bool Obsolete() override { return GetBool("Obsolete"); }
  void SetObsolete(bool v) override { PutBool("Obsolete", v); }
  void Refresh(bool /*deep_refresh: not used*/) override { row().Refresh(false); }
};

}  // namespace vorlane
