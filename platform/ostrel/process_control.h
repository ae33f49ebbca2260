#pragma once

#include <cstdint>

#include "platform/com/dispatch.h"

namespace ostrel {

// One process instance as the workflow server runs it. The same object also
// offers ProcessControlEx (com::Query), and its dispatch description
// carries that interface's members too. The server refuses what the user
// may not do with err::kRefused and the session's last error text.
class ProcessControl : public virtual com::Dispatch {
 public:
  static constexpr com::Guid kIID{"{D0A8DD7A-CCBD-4154-901A-258CAEBDFB32}"};
  static const com::TypeInfo& DispatchInfo();

  // The instance's state, numbered as the process card's "State": 0 not
  // active, 1 active, 2 paused, 3 failed, 4 finished.
  virtual int32_t GetState() = 0;
  virtual void Start() = 0;
  virtual void Stop() = 0;
  virtual void Pause() = 0;
  virtual void Resume() = 0;
};

// The second interface of a process control (com::Query): options of the
// next Start.
class ProcessControlEx : public virtual com::Dispatch {
 public:
  static constexpr com::Guid kIID{"{3BEBF52C-DB3A-4990-97C2-3B86B1C6E62B}"};
  static const com::TypeInfo& DispatchInfo();

  // True: Start waits until the server has run the instance's first steps;
  // False: Start only hands the instance to the server.
  virtual void SetStartOption(bool synchronous) = 0;
};

}  // namespace ostrel
