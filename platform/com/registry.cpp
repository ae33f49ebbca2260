#include "platform/com/registry.h"
