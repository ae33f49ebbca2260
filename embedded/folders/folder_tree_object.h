#pragma once

#include "platform/ostrel/card_data.h"
#include "platform/ostrel/card_manager.h"
#include "platform/ostrel/folder_tree.h"
#include "platform/ostrel/card_types.h"

namespace embedded::folders {

// The folder card's type, and the sections of its tree.
inline constexpr com::Guid kFolderCardType{ostrel::card_type::kFolderTree};
inline constexpr const char* kFoldersSection = "{1E0BB405-660D-4945-82E0-565221AC839A}";
inline constexpr const char* kShortcutsSection = "{DD05BFE8-3041-4245-9FFF-3692817161B9}";

// The object form of the folder card (what GetDictionaryObject and
// GetCardObject hand out for it): the folders are the rows of the card's
// tree section, the shortcuts of a folder the rows of its "Shortcuts"
// sub-section. The objects hold rows of the session's open folder card and
// read every value from them when asked, so they see the session's own
// changes at once and other sessions' writes after a refresh of the card
// (which AddShortcut makes, and GetFolder when it does not find a folder).
com::Ref<ostrel::FolderTree> NewFolderTree(com::Ref<ostrel::CardManager> cards, com::Ref<ostrel::CardData> card);

}  // namespace embedded::folders
