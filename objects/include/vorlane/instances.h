#pragma once

#include "vorlane/process.h"

namespace vorlane {

// _Instances: the process instances of the platform, with the rules of
// Templates. Handed out by Library.Instances.
class Instances : public virtual com::Dispatch {
 public:
  static constexpr com::Guid kIID{"{49C4DFE5-2314-4C9F-BE1D-1C0DF5735AC3}"};
  static constexpr com::Guid kCLSID{"{B0B8ABB8-7AE1-4196-A915-20056C319D8B}"};
  static const com::TypeInfo& DispatchInfo();

  virtual int32_t Count() = 0;
  // As Templates.Item.
  virtual com::Ref<Process> Item(const com::Variant& index) = 0;
  virtual com::Ref<com::Unknown> NewEnum() = 0;
  // A new card copied from `template_process`, not a template, in State
  // NonActive, listed at once. Neither checks that `template_process` is a
  // template nor sets TemplateProcess: Library.CreateProcess does both.
  virtual com::Ref<Process> AddNew(com::Ref<Process> template_process) = 0;
  // Drops the list without a platform call; the next use searches again.
  virtual void Refresh(bool deep_refresh) = 0;
};

}  // namespace vorlane
