#pragma once

// The card types the workflow module reaches by ID, each defined once.
namespace ostrel::card_type {

// Process templates and instances.
inline constexpr char kProcess[] = "{AE82DD57-348C-4407-A50A-9F2C7D694DA8}";
// The single cards of the dictionaries of function types and gate types.
inline constexpr char kFunctionTypes[] = "{BDB73D05-8DE1-41B2-9F3C-AA76C4D9CD64}";
inline constexpr char kGateTypes[] = "{C1887469-3D28-4EC6-84BD-7CAEA7607F0C}";
// The user's settings: one card per account.
inline constexpr char kUserSettings[] = "{2DA5436F-2FD5-413C-8EC3-CA0D68B265C6}";
// The folder tree: one card in the store.
inline constexpr char kFolderTree[] = "{DA86FABF-4DD7-4A86-B6FF-C58C24D12DE2}";

}  // namespace ostrel::card_type
