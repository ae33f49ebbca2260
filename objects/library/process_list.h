#pragma once

#include <optional>

#include "objects/process/process_object.h"
#include "platform/com/keyed.h"
#include "platform/ostrel/session.h"

namespace vorlane {

// What Templates and Instances share: a list of processes, keyed by card ID
// (without regard to case), filled by a search of the platform for process
// cards whose MainInfo "Template" holds `template_value`, and by cards
// opened by ID or made here. The search runs on the first Count, NewEnum or
// Item by position after creation or Refresh; it only adds.
class ProcessList {
 public:
  explicit ProcessList(const char* template_value) : template_value_(template_value) {}

  void Attach(com::Ref<ostrel::Session> session) { session_ = std::move(session); }

  int32_t Count();
  com::Ref<Process> Item(const com::Variant& index);
  com::Ref<com::Unknown> NewEnum();
  void Refresh();

  // Searches the platform and lists every card found that is not listed.
  // When it fails, what was added stays listed and the next use searches again.
  void Load();
  // Lists the process under its ID (0x800A01C9 when it is listed).
  void AddToList(const com::Ref<Process>& process);
  // Takes the process of card `card_id` out of the list (0x800A0005 when
  // it is not listed).
  void RemoveFromList(const std::string& card_id);

  com::Ref<ostrel::CardManager> Cards() const;
  // A new Process attached to `card`, as the library attaches one.
  static com::Ref<ProcessObject> Attach(com::Ref<ostrel::CardData> card);

 private:
  com::Keyed<com::Ref<Process>>& List();

  const char* template_value_;
  com::Ref<ostrel::Session> session_;
  std::optional<com::Keyed<com::Ref<Process>>> list_;
  bool loaded_ = false;
};

}  // namespace vorlane
