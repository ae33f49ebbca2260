#include "embedded/server/process_control_object.h"

#include <cstdint>
#include <optional>

#include "embedded/server/acting_session.h"
#include "embedded/server/server_rules.h"
#include "embedded/server/workflow_service.h"
#include "embedded/store/session_state.h"
#include "platform/com/text.h"
#include "platform/ostrel/card_lock.h"
#include "vorlane/log_messages.h"
#include "vorlane/process.h"

namespace embedded::server {

using vorlane::ProcessStateEnum;

struct ProcessControlObject::Transition {
  std::string_view call;  // "Start"
  std::string_view done;  // "started", for the log
  uint32_t from;          // bit s set: the call applies to state s
  ProcessStateEnum to;
  bool begins;            // sets DateBegin when it is empty
  bool is_start;          // sets StartedBy when it is empty; logs the start option
};

namespace {

constexpr uint32_t Bit(ProcessStateEnum s) { return 1u << static_cast<int32_t>(s); }

constexpr ProcessControlObject::Transition kStart{
    "Start", "started", Bit(ProcessStateEnum::NonActive) | Bit(ProcessStateEnum::Failed), ProcessStateEnum::Active,
    true, true};
constexpr ProcessControlObject::Transition kResume{
    "Resume", "resumed", Bit(ProcessStateEnum::Paused), ProcessStateEnum::Active, true, false};
constexpr ProcessControlObject::Transition kPause{
    "Pause", "paused", Bit(ProcessStateEnum::Active), ProcessStateEnum::Paused, false, false};
constexpr ProcessControlObject::Transition kStop{
    "Stop", "stopped",
    Bit(ProcessStateEnum::Active) | Bit(ProcessStateEnum::Paused) | Bit(ProcessStateEnum::Failed),
    ProcessStateEnum::NonActive, false, false};

bool Applies(const ProcessControlObject::Transition& t, ProcessStateEnum s) {
  const auto n = static_cast<int32_t>(s);
  return n >= 0 && n < 32 && (t.from & (1u << n)) != 0;
}

// The state's name in the type library, or its number for a stored value
// outside the enumeration.
std::string StateName(ProcessStateEnum s) {
  switch (s) {
    case ProcessStateEnum::NonActive: return "NonActive";
    case ProcessStateEnum::Active: return "Active";
    case ProcessStateEnum::Paused: return "Paused";
    case ProcessStateEnum::Failed: return "Failed";
    case ProcessStateEnum::Finished: return "Finished";
  }
  return std::to_string(static_cast<int32_t>(s));
}

}  // namespace

int32_t ProcessControlObject::GetState() {
  session_->Use();
  service_->CheckRunning(*session_);
  ActingSession acting(session_);
  return acting.Run([&] { return static_cast<int32_t>(acting.Process(card_id_)->State()); });
}

void ProcessControlObject::Start() { Change(kStart); }
void ProcessControlObject::Stop() { Change(kStop); }
void ProcessControlObject::Pause() { Change(kPause); }
void ProcessControlObject::Resume() { Change(kResume); }

void ProcessControlObject::SetStartOption(bool synchronous) {
  session_->Use();
  service_->CheckRunning(*session_);
  synchronous_ = synchronous;
}

void ProcessControlObject::Change(const Transition& t) {
  session_->Use();
  service_->CheckRunning(*session_);
  SessionState& requester = *session_;
  const std::string& account = requester.account();
  ActingSession acting(session_);
  acting.Run([&] {
    com::Ref<ostrel::CardData> card = acting.Card(card_id_);
    com::Ref<vorlane::Process> process = acting.Process(card_id_);
    if (process->IsTemplate()) {
      Refuse(requester, subcode::kNotInstance,
             "The card " + card_id_ + " is a process template; only its instances run.");
    }
    if (!text::EqualNoCase(process->StartedBy(), account) && !InGroup(requester, kAdministratorsGroup) &&
        !InGroup(requester, kCreatorsGroup)) {
      Refuse(requester, subcode::kNotController,
             "User '" + account + "' is not controller of process " + card_id_ + " and does not belong to \"" +
                 std::string(kAdministratorsGroup) + "\" or \"" + std::string(kCreatorsGroup) +
                 "\" security group.");
    }

    // The lock: status 3 (this session) and 4 (the same account elsewhere)
    // are the account's own and do not stand in the way; any other holder
    // does (the rule of Process.IsLocked).
    com::Ref<ostrel::CardLock> lock = com::Query<ostrel::CardLock>(card);
    const int32_t status = lock->GetLockStatus();
    if (status != ostrel::lock_status::kFree && status != ostrel::lock_status::kThisSession &&
        status != ostrel::lock_status::kSameAccount) {
      Refuse(requester, subcode::kLockedByOther,
             "The card " + card_id_ + " is locked by " + lock->GetLockOwner() + ".");
    }
    const bool took_lock = status == ostrel::lock_status::kFree;
    if (took_lock) {
      lock->Lock(false);
      // What was read before the lock may have changed meanwhile.
      process->Refresh(true);
    }

    const ProcessStateEnum from = process->State();
    if (!Applies(t, from)) {
      Refuse(requester, subcode::kWrongState,
             std::string(t.call) + " does not apply to process " + card_id_ + " in state " + StateName(from) + ".");
    }
    process->BeginUpdate();
    process->SetState(t.to);
    if (t.is_start && process->StartedBy().empty()) process->SetStartedBy(account);
    if (t.begins && process->DateBegin().serial == 0) process->SetDateBegin(com::Now());
    std::optional<std::string> input;
    if (t.is_start) input = synchronous_ ? "Synchronous start" : "Asynchronous start";
    process->LogMessages()->AddNew(vorlane::ActionTypeEnum::Information,
                                   "Process " + std::string(t.done) + " by " + account, 0, "",
                                   StateName(from) + " -> " + StateName(t.to), input, std::nullopt, std::nullopt);
    process->EndUpdate();
    if (took_lock) lock->Unlock();
  });
}

}  // namespace embedded::server
