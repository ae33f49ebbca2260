// The variable classes of the library in the process's class registry. The
// enumeration values and document types, item and list, are creatable; an
// object made that way has no row and fails on every member with 0x800A005B.
// The others are handed out by their owners.
#include "objects/core/class_info.h"
#include "objects/variables/constraints_object.h"
#include "objects/variables/doc_types_object.h"
#include "objects/variables/enum_values_object.h"
#include "objects/variables/variable_notificator_object.h"
#include "objects/variables/variables_object.h"

namespace vorlane {
namespace {

const com::ClassRegistrar kClasses[] = {
    com::ClassRegistrar(HandedOut(VariableNotificator::kCLSID, "VariableNotificator")),
    com::ClassRegistrar(HandedOut(Variables::kCLSID, "Variables")),
    com::ClassRegistrar(HandedOut(Variable::kCLSID, "Variable")),
    com::ClassRegistrar(HandedOut(Values::kCLSID, "Values")),
    com::ClassRegistrar(HandedOut(vorlane::Value::kCLSID, "Value")),
    com::ClassRegistrar(Creatable<EnumValuesObject>(EnumValues::kCLSID, "EnumValues")),
    com::ClassRegistrar(Creatable<EnumValueObject>(EnumValue::kCLSID, "EnumValue")),
    com::ClassRegistrar(Creatable<DocTypesObject>(DocTypes::kCLSID, "DocTypes")),
    com::ClassRegistrar(Creatable<DocTypeObject>(DocType::kCLSID, "DocType")),
    com::ClassRegistrar(HandedOut(Constraints::kCLSID, "Constraints")),
    com::ClassRegistrar(HandedOut(Constraint::kCLSID, "Constraint")),
};

}  // namespace
}  // namespace vorlane
