#pragma once

#include <string>

#include "platform/com/dispatch.h"

namespace ostrel {

class Folder;

// The object form of the folder card (CardManager.GetDictionaryObject of
// the folder card type): the tree of folders in which shortcuts file cards.
class FolderTree : public virtual com::Dispatch {
 public:
  static constexpr com::Guid kIID{"{7F9C3CC5-842A-4842-AD07-6E2B601B2AA1}"};
  static const com::TypeInfo& DispatchInfo();

  // The folder of that ID (any letter case, braces optional); fails with
  // err::kUnknownCard when the tree has no such folder.
  virtual com::Ref<Folder> GetFolder(const std::string& folder_id) = 0;
  // The top folder of the tree.
  virtual com::Ref<Folder> GetRootFolder() = 0;
};

}  // namespace ostrel
