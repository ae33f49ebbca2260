#pragma once

#include <string>

#include "platform/com/dispatch.h"

namespace vorlane {

// _DictGate: one gate type of the platform's gate-type dictionary, a live
// wrapper over one row of its card. A Gate's TypeID names one by its ID.
// Handed out by DictGates.
class DictGate : public virtual com::Dispatch {
 public:
  static constexpr com::Guid kIID{"{76E76E35-28A9-4324-9D01-42CFAC2EE522}"};
  static constexpr com::Guid kCLSID{"{808686C4-69E5-483A-ABC6-6B72034E9863}"};
  static const com::TypeInfo& DispatchInfo();

  // The "ID" field, normalised; fails when the field is empty.
  virtual std::string ID() = 0;
  virtual std::string Name() = 0;
  virtual void SetName(const std::string& value) = 0;
  // The "ServerClass" field.
  virtual std::string Class() = 0;
  virtual void SetClass(const std::string& value) = 0;
  // The "ServerAssembly" field.
  virtual std::string Assembly() = 0;
  virtual void SetAssembly(const std::string& value) = 0;
  virtual std::string UIClass() = 0;
  virtual void SetUIClass(const std::string& value) = 0;
  // The settings text that new gates of the type start with.
  virtual std::string DefaultSettings() = 0;
  virtual void SetDefaultSettings(const std::string& value) = 0;
  // Whether a new process gets a gate of this type; an empty field reads False.
  virtual bool AddGateInNewProcess() = 0;
  virtual void SetAddGateInNewProcess(bool value) = 0;
  // The type's definition text, kept in the one row of the type's
  // definition sub-section; read only.
  virtual std::string Definition() = 0;
  // Re-reads the card; DeepRefresh is not used.
  virtual void Refresh(bool deep_refresh) = 0;
};

}  // namespace vorlane
