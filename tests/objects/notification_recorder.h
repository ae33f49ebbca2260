#pragma once

// A sink on a process's notificator that records what it hears.
#include <string>
#include <vector>

#include "platform/com/events.h"
#include "vorlane/variable_notificator.h"

namespace vorlane::testing {

class NotificationRecorder final : public com::Object<VariableNotificatorEvents> {
 public:
  void ValueChanged(const std::string& variable_id) override { changed.push_back(variable_id); }
  void VariableRemoved(const std::string& variable_id) override { removed.push_back(variable_id); }

  // Connects a new recorder to the notificator (through its connection
  // point, as any client does) and returns it.
  static com::Ref<NotificationRecorder> On(const com::Ref<VariableNotificator>& notificator) {
    com::Ref<NotificationRecorder> r = com::Make<NotificationRecorder>();
    com::Advise(notificator.get(), VariableNotificatorEvents::kIID, com::Ref<com::Dispatch>(r.get()));
    return r;
  }
  void Clear() {
    changed.clear();
    removed.clear();
  }

  std::vector<std::string> changed;
  std::vector<std::string> removed;
};

}  // namespace vorlane::testing
