#pragma once

#include <cstddef>

#include "platform/ostrel/card_types.h"

// Sections of the process card and of the cards around it, as the platform
// knows them. IDs are passed to the platform exactly as written here.
namespace vorlane::layout {

inline constexpr const char* kProcessCardType = ostrel::card_type::kProcess;

inline constexpr char kMainInfo[] = "{0ef6bcca-7a09-4027-a3a2-d2eeeca1bf4d}";
inline constexpr char kDocTypes[] = "{989E8297-990F-43F8-9685-54DF1C3FBB79}";      // under the main row
inline constexpr char kFunctions[] = "{10105dc1-8b61-4a76-b719-02d679662606}";
inline constexpr char kFunctionSpare[] = "{E1C92C90-DD3F-4ED8-AA37-35F5F2EB65D8}";  // under a function
inline constexpr char kPassStates[] = "{97cc73ba-1953-4a70-8460-415bd4bcaaae}";    // under a function
inline constexpr char kPassStateSpare[] = "{F7A15E7C-7B62-47B6-8084-93E29EFB2C04}";  // under a pass state
inline constexpr char kConstraints[] = "{ddf1c304-3967-4d36-97d2-d38f9f392489}";   // under a pass state
inline constexpr char kGates[] = "{fe4ebb41-697f-45fe-908b-a997aca76ee9}";
inline constexpr char kLinks[] = "{d2527f62-62b1-4f47-9d71-916c22d6994d}";
inline constexpr char kVariables[] = "{79f5b1f6-6bd0-499b-9093-232989bdcc6e}";
inline constexpr char kVariableSpare[] = "{49AD8ABD-DB45-44C2-BBE6-BC767AA3F6D7}";  // under a variable
inline constexpr char kValues[] = "{52F01448-151C-4D4B-B18E-E80A06B5A581}";       // under a variable
inline constexpr char kValueSpare[] = "{375A0577-AD33-4455-958A-D001915769D9}";   // under a value
inline constexpr char kEnumValues[] = "{AE982579-731C-4A84-A7CB-C9EC4E613B1C}";   // under a variable
inline constexpr char kLogValues[] = "{3F6225E0-4FE1-451F-BC64-EBC87BE4FB83}";    // under a variable
inline constexpr char kLogMessages[] = "{388F390F-139E-498E-A461-A24FBA160487}";

// Section mode under which the pass-state sub-section is addressed at card level.
inline constexpr int kPassStatesSectionMode = 2;

// The function type whose settings name process variables (a sub-process call).
inline constexpr char kSubProcessFunctionType[] = "{2BF8B01D-3EDF-40C2-8C94-C6F5F3BC82AC}";

// Texts longer than this many characters move to a spare row.
inline constexpr size_t kSpareThreshold = 1024;

}  // namespace vorlane::layout
