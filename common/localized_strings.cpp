#include "common/localized_strings.h"

#include <algorithm>

#include "common/module_info.h"
#include "platform/com/error.h"
#include "platform/com/locale.h"
#include "platform/com/registry.h"
#include "platform/ostrel/locale_provider.h"
#include "platform/ostrel/resource_loader.h"

namespace vorlane {
namespace {

// The thread's components; null until one could be created.
struct ThreadComponents {
  com::Ref<ostrel::LocaleProvider> locale_provider;
  com::Ref<ostrel::ResourceLoader> resource_loader;
};
thread_local ThreadComponents components;

// The component in `slot`, created by its class ID when there is none yet.
template <class I>
I* Component(com::Ref<I>& slot) {
  if (!slot) {
    try {
      slot = com::TryQuery<I>(com::CreateInstance(I::kCLSID));
    } catch (const com::Error&) {
      // The platform class cannot be created: the lookup goes on without it.
    }
  }
  return slot.get();
}

// String `id` of the library's own table, which is sorted by number.
const std::string_view* OwnString(int32_t id) {
  const auto& strings = ThisModule().strings;
  auto it = std::lower_bound(strings.begin(), strings.end(), id,
                             [](const com::StringEntry& e, int32_t v) { return e.id < v; });
  if (it == strings.end() || it->id != id) return nullptr;
  return &it->text;
}

}  // namespace

int32_t CurrentLocaleID() {
  if (ostrel::LocaleProvider* provider = Component(components.locale_provider)) return provider->GetLocaleID();
  return com::ThreadLocaleID();
}

std::string LoadLocalizedString(int32_t id, int32_t locale_id) {
  if (locale_id == 0) {
    try {
      locale_id = CurrentLocaleID();
    } catch (const com::Error&) {
      // No step of the lookup raises: a failing provider counts as none.
      locale_id = com::ThreadLocaleID();
    }
  }
  if (ostrel::ResourceLoader* loader = Component(components.resource_loader)) {
    try {
      std::string text = loader->LoadString(ThisModule().name, id, locale_id);
      if (!text.empty()) return text;
    } catch (const com::Error&) {
      // No step of the lookup raises: the library's own table answers instead.
    }
  }
  if (const std::string_view* own = OwnString(id)) return std::string(*own);
  return kNoResourceFound;
}

}  // namespace vorlane
