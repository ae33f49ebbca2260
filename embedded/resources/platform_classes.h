#pragma once

#include <string_view>

namespace embedded::resources {

// The module name of the platform classes' library (SessionLocaleProvider,
// TableResourceLoader), under which they are registered while it is loaded
// and written to the registry file by its DllRegisterServer.
inline constexpr std::string_view kModule = "Ostrel";

}  // namespace embedded::resources
