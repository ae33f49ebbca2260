#include "common/module_info.h"

namespace vorlane {

com::ModuleObjectCount& ModuleObjects() {
  static com::ModuleObjectCount& count = com::ModuleObjects(ThisModule().name);
  return count;
}

}  // namespace vorlane
