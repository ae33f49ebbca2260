// The variable classes of the library in the process's class registry. The
// enumeration values and document types, item and list, are creatable; an
// object made that way has no row and fails on every member with 0x800A005B.
// The others are handed out by their owners.
#include "objects/common/module_info.h"
#include "objects/variables/constraints_object.h"
#include "objects/variables/doc_types_object.h"
#include "objects/variables/enum_values_object.h"
#include "objects/variables/variable_notificator_object.h"
#include "objects/variables/variables_object.h"
#include "platform/com/registry.h"

namespace vorlane {
namespace {

com::ClassInfo Class(const com::Guid& clsid, const char* name) {
  com::ClassInfo info;
  info.clsid = clsid;
  info.progid = std::string("QXVorlane.") + name;
  info.creatable = false;
  info.module = std::string(ThisModule().name);
  return info;
}

// A creatable class whose factory makes an object attached to nothing.
template <class Impl>
com::ClassInfo Creatable(const com::Guid& clsid, const char* name) {
  com::ClassInfo info = Class(clsid, name);
  info.creatable = true;
  info.factory = [] { return com::Ref<com::Unknown>(com::Make<Impl>()); };
  return info;
}

const com::ClassRegistrar kClasses[] = {
    com::ClassRegistrar(Class(VariableNotificator::kCLSID, "VariableNotificator")),
    com::ClassRegistrar(Class(Variables::kCLSID, "Variables")),
    com::ClassRegistrar(Class(Variable::kCLSID, "Variable")),
    com::ClassRegistrar(Class(Values::kCLSID, "Values")),
    com::ClassRegistrar(Class(vorlane::Value::kCLSID, "Value")),
    com::ClassRegistrar(Creatable<EnumValuesObject>(EnumValues::kCLSID, "EnumValues")),
    com::ClassRegistrar(Creatable<EnumValueObject>(EnumValue::kCLSID, "EnumValue")),
    com::ClassRegistrar(Creatable<DocTypesObject>(DocTypes::kCLSID, "DocTypes")),
    com::ClassRegistrar(Creatable<DocTypeObject>(DocType::kCLSID, "DocType")),
    com::ClassRegistrar(Class(Constraints::kCLSID, "Constraints")),
    com::ClassRegistrar(Class(Constraint::kCLSID, "Constraint")),
};

}  // namespace
}  // namespace vorlane
