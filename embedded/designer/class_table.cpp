// The designer library's classes and its four entry points, under the
// module "Designer".
#include "embedded/designer/designer_object.h"
#include "embedded/designer/variable_service_object.h"
#include "platform/com/registry.h"

namespace designer {
namespace {

template <class Impl>
com::ClassInfo Creatable(const com::Guid& clsid, const char* progid) {
  return {clsid, progid, true, [] { return com::Ref<com::Unknown>(com::Make<Impl>()); }, "Designer"};
}

const com::ClassRegistrar kClasses[] = {
    com::ClassRegistrar(Creatable<DesignerObject>(DesignerObject::kCLSID, "QXDesigner.Designer")),
    com::ClassRegistrar(Creatable<VariableServiceObject>(VariableServiceObject::kCLSID, "QXDesigner.VariableService")),
};

}  // namespace
}  // namespace designer

VORLANE_COM_ENTRY_POINTS("Designer")
