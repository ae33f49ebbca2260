#include "embedded/resources/platform_classes.h"

#include <functional>

#include "embedded/resources/session_locale_provider.h"
#include "embedded/resources/table_resource_loader.h"
#include "embedded/store/open.h"
#include "platform/com/registry.h"
#include "platform/com/string_tables.h"

namespace embedded::resources {
namespace {

com::ClassInfo PlatformClass(const com::Guid& clsid, const char* progid, std::function<com::Ref<com::Unknown>()> make) {
  com::ClassInfo info;
  info.clsid = clsid;
  info.progid = progid;
  info.creatable = true;
  info.factory = std::move(make);
  info.module = std::string(kModule);
  return info;
}

// Registered while this library is loaded: a program that links it (or
// loads it through the registry file) gives the libraries' resource lookup
// the session's locale and the registered string tables.
const com::ClassRegistrar kClasses[] = {
    com::ClassRegistrar(PlatformClass(ostrel::LocaleProvider::kCLSID, "Ostrel.LocaleProvider",
                                      [] { return com::Ref<com::Unknown>(com::Make<SessionLocaleProvider>()); })),
    com::ClassRegistrar(PlatformClass(ostrel::ResourceLoader::kCLSID, "Ostrel.ResourceLoader",
                                      [] { return com::Ref<com::Unknown>(com::Make<TableResourceLoader>()); })),
};

}  // namespace

int32_t SessionLocaleProvider::GetLocaleID() { return ThreadSessionLocale(); }

std::string TableResourceLoader::LoadString(std::string_view module, int32_t string_id, int32_t locale_id) {
  return com::StringTables::Instance().Find(module, locale_id, string_id).value_or("");
}

}  // namespace embedded::resources

VORLANE_COM_ENTRY_POINTS(embedded::resources::kModule)
