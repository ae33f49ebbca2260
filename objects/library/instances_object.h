#pragma once

#include "objects/library/process_list.h"
#include "vorlane/instances.h"

namespace vorlane {

class InstancesObject final : public com::Object<Instances> {
 public:
  void Attach(com::Ref<ostrel::Session> session) { list_.Attach(std::move(session)); }
  ProcessList& list() { return list_; }

  int32_t Count() override { return list_.Count(); }
  com::Ref<Process> Item(const com::Variant& index) override { return list_.Item(index); }
  com::Ref<com::Unknown> NewEnum() override { return list_.NewEnum(); }
  com::Ref<Process> AddNew(com::Ref<Process> template_process) override;
  void Refresh(bool /*deep_refresh: not used*/) override { list_.Refresh(); }

 private:
  ProcessList list_{"0"};
};

}  // namespace vorlane
