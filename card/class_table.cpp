// The library's classes in the process's class registry, under the
// library's module, with the ProgID of its type library ("QXProcess." +
// class name). Hosts create the card, and scripts and tools the converter;
// the forms and the wait cursor are made by the card itself.
#include "card/control/card_object.h"
#include "card/convert/process_converter.h"
#include "common/module_info.h"
#include "platform/com/registry.h"

namespace card {
namespace {

com::ClassInfo HandedOut(const com::Guid& clsid, const char* name) {
  com::ClassInfo info;
  info.clsid = clsid;
  info.progid = std::string("QXProcess.") + name;
  info.creatable = false;
  info.module = std::string(vorlane::ThisModule().name);
  return info;
}

com::ClassInfo Creatable(const com::Guid& clsid, const char* name, std::function<com::Ref<com::Unknown>()> make) {
  com::ClassInfo info = HandedOut(clsid, name);
  info.creatable = true;
  info.factory = std::move(make);
  return info;
}

const com::ClassRegistrar kClasses[] = {
    com::ClassRegistrar(Creatable(CardApi::kCLSID, "Card", [] {
      return com::Ref<com::Unknown>(static_cast<com::Unknown*>(static_cast<CardApi*>(com::Make<CardObject>().get())));
    })),
    com::ClassRegistrar(Creatable(ProcessConverterApi::kCLSID, "cProcessConverter", [] {
      return com::Ref<com::Unknown>(static_cast<com::Unknown*>(
          static_cast<ProcessConverterApi*>(com::Make<ProcessConverter>().get())));
    })),
    com::ClassRegistrar(HandedOut(com::Guid("{5C0E8B14-97A3-4D2F-B6E1-0A4D93F7C285}"), "frmMessageBox")),
    com::ClassRegistrar(HandedOut(com::Guid("{9E4D2B71-0F58-4A36-8C1B-D37A6E90F254}"), "frmConvertProcess")),
    com::ClassRegistrar(HandedOut(com::Guid("{E47A2C90-1B6D-4F85-93C8-7D2E05A1B6F4}"), "cHourGlass")),
};

}  // namespace
}  // namespace card
