#pragma once

// The classes of the test library, for the tests that load it. Including
// this does not link the library.

#include "platform/com/guid.h"

namespace test_plugin {

inline constexpr char kModule[] = "QXRegistryTest";
// Creatable: Greet(Name) answers "Hello, " + Name; NewPart() hands out a Part.
inline constexpr com::Guid kGreeterCLSID{"{6B1F0E2C-94D3-4A57-8C21-3E7F5A9D0B64}"};
inline constexpr char kGreeterProgID[] = "QXRegistryTest.Greeter";
// Handed out by a Greeter only.
inline constexpr com::Guid kPartCLSID{"{0D7C4B19-2E85-4F3A-B6D0-91A8E5C7F243}"};
inline constexpr char kPartProgID[] = "QXRegistryTest.Part";

}  // namespace test_plugin
