#pragma once

#include <cstdint>

// The enumerations of the type library. They travel as 32-bit integers; a
// stored value outside an enumeration is kept as it is, so code that reads
// one must not assume it names a member.
namespace vorlane {

// Process.State: the run state of a process instance.
enum class ProcessStateEnum : int32_t {
  NonActive = 0,
  Active = 1,
  Paused = 2,
  Failed = 3,
  Finished = 4,
};

// Process.TemplateState: the state of a process template.
enum class TemplateStateEnum : int32_t {
  Design = 0,
  InUse = 1,
  Test = 2,
  ReadyToStart = 3,
};

// Process.LoggingLevel: which messages the workflow server logs.
enum class LoggingLevelEnum : int32_t {
  None = 0,
  Errors = 1,
  Warnings = 2,
  Information = 3,
};

// PassState.State: the state of one pass of a function.
enum class FuncStateEnum : int32_t {
  NonActive = 0,
  Wait = 1,
  Active = 2,
  Done = 3,
  Finished = 4,
  Error = 5,
  WaitForProcessChange = 6,
  WaitForLinkedCardChange = 7,
  WaitForWeaklyLinkedCardChange = 8,
};

// Link.LinkType: when a link is followed.
enum class LinkTypeEnum : int32_t {
  LinkSuccess = 0,
  LinkFail = 1,
  LinkCompletion = 2,
};

// Variable.VarType: the type of a process variable's values.
enum class VarTypeEnum : int32_t {
  Generic = 0,
  Integer = 1,
  Float = 2,
  String = 3,
  Boolean = 4,
  DateTime = 5,
  Enum = 6,
};

// LogMessage.ActionType: the kind of a log message.
enum class ActionTypeEnum : int32_t {
  Error = 0,
  Warning = 1,
  Information = 2,
};

}  // namespace vorlane
