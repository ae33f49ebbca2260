#pragma once

#include <string>

#include "platform/com/dispatch.h"

namespace ostrel {

class Shortcuts;

// One folder of the folder tree.
class Folder : public virtual com::Dispatch {
 public:
  static constexpr com::Guid kIID{"{32A38B7B-E3F2-47A0-B207-A27A8DDFCE1A}"};
  static const com::TypeInfo& DispatchInfo();

  // "{UPPER-CASE}".
  virtual std::string GetID() = 0;
  virtual std::string GetName() = 0;
  // The folder that holds this one; null for the top folder.
  virtual com::Ref<Folder> GetParent() = 0;
  // The shortcuts filed in this folder.
  virtual com::Ref<Shortcuts> GetShortcuts() = 0;
  // The folders this one holds, in their order: GetChildFolder(0) to
  // GetChildFolder(GetChildCount() - 1); 0x800A0009 for any other index.
  virtual int32_t GetChildCount() = 0;
  virtual com::Ref<Folder> GetChildFolder(int32_t index) = 0;
};

}  // namespace ostrel
