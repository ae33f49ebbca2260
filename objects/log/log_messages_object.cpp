// The log of a process: its messages, live over their rows.
#include "objects/log/log_messages_object.h"
#include "platform/com/describe.h"

namespace vorlane {
namespace {

// An optional text left out is stored as empty text.
com::Variant TextOrEmpty(const std::optional<std::string>& text) { return com::Variant(text.value_or(std::string())); }

}  // namespace

com::Ref<LogMessage> LogMessagesObject::AddNew(ActionTypeEnum action_type, const std::string& action,
                                               int16_t priority, const std::string& function_name,
                                               std::optional<std::string> change_state,
                                               std::optional<std::string> input_parameters,
                                               std::optional<std::string> output_parameters,
                                               std::optional<std::string> message) {
  com::Ref<ostrel::RowCollection> rows = list_.container().Rows();
  com::Ref<ostrel::Row> row = rows->AddNew(0);
  try {
    row->SetField("ActionType", com::Variant(static_cast<int32_t>(action_type)));
    row->SetField("Action", com::Variant(action));
    row->SetField("Priority", com::Variant(priority));
    row->SetField("FunctionName", com::Variant(function_name));
    row->SetField("ChangeState", TextOrEmpty(change_state));
    row->SetField("InputParameters", TextOrEmpty(input_parameters));
    row->SetField("OutputParameters", TextOrEmpty(output_parameters));
    row->SetField("MessageDate", com::Variant(com::Now()));
    row->SetField("Message", TextOrEmpty(message));
    com::Ref<LogMessageObject> item = WrapRow<LogMessageObject>(row);
    list_.AppendIfRead(item);
    return item;
  } catch (const com::Error&) {
    // A message is added whole or not at all: the half-written row goes
    // again, and the caller learns why the message was not added.
    try {
      rows->Remove(com::Variant(row->GetID()));
    } catch (const com::Error&) {
      // The first failure is the one the caller is told of; a row that
      // cannot be removed either is left to the platform's own rules.
    }
    throw;
  }
}

void LogMessagesObject::Remove(const std::string& id) {
  // The key and the platform get the ID as given, so it must carry the
  // braces that LogMessage.ID has; letter case is free.
  com::Keyed<com::Ref<LogMessageObject>>& list = list_.GetList();
  list.RemoveAt(list.PositionOf(com::Variant(id)));
  list_.container().Rows()->Remove(com::Variant(id));
}

void LogMessagesObject::Clear() {
  list_.GetList().Clear();
  list_.container().Rows()->Clear();
}

const com::TypeInfo& LogMessages::DispatchInfo() {
  using L = LogMessages;
  static const com::TypeInfo info =
      com::Describe<L>("_LogMessages")
          .Get("Count", &L::Count)
          // Item is not the default member of the log.
          .Get("Item", &L::Item, {com::Arg("Index")})
          .Get("NewEnum", &L::NewEnum, {}, com::kDispIdNewEnum)
          .Method("AddNew", &L::AddNew,
                  {com::Arg("ActionType"), com::Arg("Action"), com::Optional("Priority", int16_t{0}),
                   com::Optional("FunctionName", std::string()), com::Optional("ChangeState"),
                   com::Optional("InputParameters"), com::Optional("OutputParameters"), com::Optional("Message")})
          .Method("Refresh", &L::Refresh, {com::Optional("DeepRefresh", false)})
          .Method("Remove", &L::Remove, {com::Arg("ID")})
          .Method("Clear", &L::Clear)
          .Build();
  return info;
}

}  // namespace vorlane
