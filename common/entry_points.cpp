// The four entry points of the library that links this file, over the
// classes it registered under its own module name.
#include "common/module_info.h"
#include "platform/com/registry.h"

VORLANE_COM_ENTRY_POINTS(vorlane::ThisModule().name)
