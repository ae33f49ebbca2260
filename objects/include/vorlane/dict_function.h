#pragma once

#include <string>

#include "platform/com/dispatch.h"

namespace vorlane {

// _DictFunction: one function type of the platform's function-type
// dictionary, a live wrapper over one row of its card. A ProcFunction's
// TypeID names one by its ID. Handed out by DictFunctions.
class DictFunction : public virtual com::Dispatch {
 public:
  static constexpr com::Guid kIID{"{3903B029-0F6C-48F8-B7B8-214AC573468A}"};
  static constexpr com::Guid kCLSID{"{5303C693-78CA-42BB-8E6F-BCEC7D523BBF}"};
  static const com::TypeInfo& DispatchInfo();

  // The "ID" field, normalised; fails when the field is empty.
  virtual std::string ID() = 0;
  virtual std::string Name() = 0;
  virtual void SetName(const std::string& value) = 0;
  // The "ServerClass" field: the class that carries the type out on the server.
  virtual std::string Class() = 0;
  virtual void SetClass(const std::string& value) = 0;
  // The "ServerAssembly" field.
  virtual std::string Assembly() = 0;
  virtual void SetAssembly(const std::string& value) = 0;
  // The ProgID of the type's user-interface class.
  virtual std::string UIClass() = 0;
  virtual void SetUIClass(const std::string& value) = 0;
  virtual bool IsStart() = 0;
  virtual void SetIsStart(bool value) = 0;
  virtual bool IsStop() = 0;
  virtual void SetIsStop(bool value) = 0;
  virtual int32_t PoolingInterval() = 0;
  virtual void SetPoolingInterval(int32_t value) = 0;
  virtual bool Obsolete() = 0;
  virtual void SetObsolete(bool value) = 0;
  // Re-reads the card; DeepRefresh is not used.
  virtual void Refresh(bool deep_refresh) = 0;
};

}  // namespace vorlane
