#pragma once

#include <memory>
#include <string>

#include "platform/ostrel/process_control.h"

namespace embedded {
class SessionState;
}

namespace embedded::server {

class WorkflowService;

// One process instance as the server runs it for one session. Start and
// Resume make the instance Active (and set its DateBegin when it is
// empty), Pause makes it Paused, Stop NonActive; the first Start also
// records the account as the instance's starter (StartedBy). Each writes
// its state change and a log message (ActionType Information) in one
// write, through the object model's Process, so the card's description
// follows the state.
//
// Refusals (ostrel::err::kRefused with the server's sub-code, see
// server_rules.h), checked in this order: a card that is a template
// (subcode::kNotInstance); an account that is neither the instance's
// starter nor in the administrators or creators group
// (subcode::kNotController); a card whose lock another account holds
// (subcode::kLockedByOther); a state the call does not apply to
// (subcode::kWrongState): Start applies to NonActive and Failed, Resume to
// Paused, Pause to Active, Stop to Active, Paused and Failed.
//
// A lock that the same account holds, in this session or another, does
// not stand in the way; a free card is locked for the write alone.
// Nothing is kept between calls: each reads the card afresh.
class ProcessControlObject final : public com::Object<ostrel::ProcessControl, ostrel::ProcessControlEx> {
 public:
  // `card_id` names a process card (ProcessManagerObject checks it).
  ProcessControlObject(std::shared_ptr<const WorkflowService> service, std::shared_ptr<SessionState> session,
                       std::string card_id)
      : service_(std::move(service)), session_(std::move(session)), card_id_(std::move(card_id)) {}

  // The instance's "State" as stored; a template answers its field too.
  int32_t GetState() override;
  void Start() override;
  void Stop() override;
  void Pause() override;
  void Resume() override;
  // The embedded server runs no steps of its own, so a Start is complete
  // when it returns either way; the option is recorded in the start's log
  // message (its InputParameters). True until set.
  void SetStartOption(bool synchronous) override;

  struct Transition;

 private:
  void Change(const Transition& transition);

  std::shared_ptr<const WorkflowService> service_;
  std::shared_ptr<SessionState> session_;
  std::string card_id_;
  bool synchronous_ = true;
};

}  // namespace embedded::server
