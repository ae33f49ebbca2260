// Creates the object model's Library by its ProgID, as a client program of
// an installed Vorlane does, and names its interface.
#include <cstdio>

#include "platform/com/registry.h"
#include "vorlane/library.h"

int main() {
  try {
    com::Ref<vorlane::Library> library = com::Query<vorlane::Library>(com::CreateObject("QXVorlane.Library"));
    std::printf("%s\n", library->GetTypeInfo()->name().c_str());
  } catch (const com::Error& e) {
    std::fprintf(stderr, "%s\n", e.ToString().c_str());
    return 1;
  }
  return 0;
}
