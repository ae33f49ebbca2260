// Whether the shown process may be edited, and why not; the card's lock;
// what the workflow server says of the user; a card deleted by someone
// else.
#include "card/control/card_object.h"
#include "card/ui/messages.h"
#include "platform/ostrel/errors.h"

namespace card {
namespace {

constexpr const char* kExtension = "WorkflowExtension";
constexpr const char* kEditAllowedKey = "{20F8B814-9171-4D6F-994F-BCC7CDF4B3A3}";
constexpr const char* kLimitedEditKey = "{11CEF25C-B6F2-40B1-B6BD-7B43399DD9B0}";

}  // namespace

bool CardObject::IsWorkflowCreator() {
  if (!creator_) {
    com::Variant answer = session_->GetExtensionManager()->ExecuteMethod(kExtension, "GetIsWFCreator", com::Variant());
    creator_ = answer.ToBool();
  }
  return *creator_;
}

bool CardObject::IsWorkflowServiceRunning() {
  return session_->GetExtensionManager()->ExecuteMethod(kExtension, "Running", com::Variant()).ToBool();
}

int32_t CardObject::LockStatus() { return lock_->GetLockStatus(); }

bool CardObject::IsReadOnly() {
  try {
    if (kind_ != pellory::activate::kEdit || deleted_) return true;
    const bool mine = LockStatus() == ostrel::lock_status::kThisSession;
    if (card_data_->GetIsTemplate() && (!mine || !IsWorkflowCreator())) return true;
    com::Ref<vorlane::Process> p = GetProcess();
    return !p->IsTemplate() && (p->State() == vorlane::ProcessStateEnum::Active || !mine);
  } catch (const com::Error&) {
    // A question that cannot be answered keeps the card read-only.
    return true;
  }
}

std::string CardObject::ReadOnlyReason() {
  if (deleted_) return Message(msg::kReadOnlyDeleted);
  com::Ref<vorlane::Process> p = GetProcess();
  if (!p->IsTemplate() && p->State() == vorlane::ProcessStateEnum::Active) return Message(msg::kReadOnlyActive);
  if (p->IsTemplate() && !IsWorkflowCreator()) return Message(msg::kReadOnlyNotCreator);
  const int32_t status = LockStatus();
  if (status != ostrel::lock_status::kThisSession && status != ostrel::lock_status::kFree) {
    const std::string owner[] = {lock_->GetLockOwner()};
    return FormatText(Message(msg::kReadOnlyLockedBy), owner);
  }
  return Message(msg::kReadOnly);
}

bool CardObject::CanLock() {
  try {
    if (kind_ != pellory::activate::kEdit || deleted_) return false;
    com::Ref<vorlane::Process> p = GetProcess();
    const bool may = p->IsTemplate() ? IsWorkflowCreator() : p->State() != vorlane::ProcessStateEnum::Active;
    return may && LockStatus() == ostrel::lock_status::kFree;
  } catch (const com::Error&) {
    // Whoever cannot tell may not lock.
    return false;
  }
}

bool CardObject::TryLock(bool show_locked_message, bool show_edit_message) {
  if (locked_by_me_) return true;
  bool locked = false;
  try {
    const int32_t status = LockStatus();
    if (status == ostrel::lock_status::kFree) {
      lock_->Lock(false);
      locked_by_me_ = locked = true;
    } else if (status == ostrel::lock_status::kThisSession) {
      locked_by_me_ = locked = true;
    } else if (show_locked_message) {
      ShowMessage(Host(), 0, Message(msg::kLockedByOther), pellory::icon::kWarning);
    }
    if (locked && show_edit_message) ShowEditModeMessage();
  } catch (const com::Error& e) {
    ShowError(Host(), 0, msg::kLockFailed, e, session_.get());
    return false;
  }
  return locked;
}

void CardObject::ShowEditModeMessage() {
  if (IsWorkflowCreator()) {
    ShowMessageEx(Host(), 0, Message(msg::kEditAllowed), kEditAllowedKey, pellory::icon::kSuccess,
                  pellory::buttons::kKeyed);
  } else {
    ShowMessageEx(Host(), 0, Message(msg::kLimitedEdit), kLimitedEditKey, pellory::icon::kWarning,
                  pellory::buttons::kKeyed);
  }
}

void CardObject::ReleaseLock() {
  lock_->Unlock();
  locked_by_me_ = false;
}

void CardObject::UpdateModePanel() {
  int32_t mode = msg::kModeEditLimited;
  if (IsReadOnly()) {
    mode = msg::kModeReadOnly;
  } else if (IsWorkflowCreator()) {
    mode = msg::kModeEdit;
  }
  Panel("Mode").Set("Text", com::Variant(Message(mode)));
}

void CardObject::TakeAsDeleted() {
  timer_->Set("Enabled", com::Variant(false));
  if (designer_) designer_->SetReadOnly(true);
  deleted_ = true;
  modified_ = false;
  EnableButtons(false);
  ShowMessage(Host(), 0, Message(msg::kUpdateStateFailed) + " " + Message(msg::kDeleted), pellory::icon::kWarning);
}

}  // namespace card
