// One message of a process's log, read live from its row or kept from a reader.
#include "objects/log/log_message_object.h"
#include "platform/com/describe.h"

namespace vorlane {

std::string LogMessageObject::ID() {
  if (snapshot_) return snapshot_->id;
  return GetRowID();
}

std::string LogMessageObject::TextOf(const char* field, std::string Snapshot::*member) const {
  if (snapshot_) return (*snapshot_).*member;
  return GetText(field);
}

com::Date LogMessageObject::MessageDate() {
  if (snapshot_) return snapshot_->message_date;
  com::Variant v = Get("MessageDate");
  return v.IsNull() ? com::Date{} : v.ToDate();
}

namespace {

// Through single precision, then rounded half to even to 16 bits; a value
// that is not a number reads 0.
int16_t PriorityOf(const com::Variant& v) { return com::Variant(FieldToSingle(v)).ToI2(); }

ActionTypeEnum ActionTypeOf(const com::Variant& v) {
  return v.IsNull() ? ActionTypeEnum::Error : static_cast<ActionTypeEnum>(v.ToI4());
}

}  // namespace

int16_t LogMessageObject::Priority() {
  if (snapshot_) return snapshot_->priority;
  return PriorityOf(Get("Priority"));
}

ActionTypeEnum LogMessageObject::ActionType() {
  if (snapshot_) return snapshot_->action_type;
  return ActionTypeOf(Get("ActionType"));
}

com::Variant LogMessageObject::Timestamp() {
  if (snapshot_) return snapshot_->timestamp;
  com::Variant v = Get("SysRowTimestamp");
  return v.IsNull() ? com::Variant() : v;
}

void LogMessageObject::Fill(ostrel::SectionReader& reader) {
  Snapshot s;
  s.id = NormalizeID(reader.GetField("RowID").ToText());
  auto text = [&](const char* field, std::string& into) {
    com::Variant v = reader.GetField(field);
    if (!v.IsNull()) into = FieldToString(v);
  };
  text("FunctionName", s.function_name);
  text("ChangeState", s.change_state);
  text("Action", s.action);
  text("InputParameters", s.input_parameters);
  text("OutputParameters", s.output_parameters);
  text("Message", s.message);
  if (com::Variant v = reader.GetField("MessageDate"); !v.IsNull()) s.message_date = v.ToDate();
  if (com::Variant v = reader.GetField("Priority"); !v.IsNull()) s.priority = PriorityOf(v);
  if (com::Variant v = reader.GetField("ActionType"); !v.IsNull()) s.action_type = ActionTypeOf(v);
  if (com::Variant v = reader.GetField("SysRowTimestamp"); !v.IsNull()) s.timestamp = std::move(v);
  // Kept only once the whole record is copied: a failed fill leaves nothing.
  snapshot_ = std::move(s);
}

const com::TypeInfo& LogMessage::DispatchInfo() {
  using M = LogMessage;
  static const com::TypeInfo info = com::Describe<M>("_LogMessage")
                                        .Get("ID", &M::ID)
                                        .Get("FunctionName", &M::FunctionName)
                                        .Get("ChangeState", &M::ChangeState)
                                        .Get("Action", &M::Action)
                                        .Get("InputParameters", &M::InputParameters)
                                        .Get("OutputParameters", &M::OutputParameters)
                                        .Get("Message", &M::Message)
                                        .Get("MessageDate", &M::MessageDate)
                                        .Get("Priority", &M::Priority)
                                        .Get("ActionType", &M::ActionType)
                                        .Get("Timestamp", &M::Timestamp)
                                        .Build();
  return info;
}

}  // namespace vorlane
