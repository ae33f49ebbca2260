// The searched lists of templates and instances.
#include "objects/library/process_list.h"

#include "objects/core/card_layout.h"
#include "objects/core/describe_list.h"
#include "objects/library/instances_object.h"
#include "objects/library/templates_object.h"
#include "platform/com/collection.h"
#include "platform/com/registry.h"
#include "platform/ostrel/card_manager.h"
#include "platform/ostrel/search_query.h"

namespace vorlane {

com::Ref<ostrel::CardManager> ProcessList::Cards() const {
  if (!session_) throw com::Error(com::hr::kObjectNotSet);
  return session_->GetCardManager();
}

com::Ref<ProcessObject> ProcessList::Attach(com::Ref<ostrel::CardData> card) {
  com::Ref<ProcessObject> process = com::Make<ProcessObject>();
  process->Initialize(std::move(card));
  return process;
}

com::Keyed<com::Ref<Process>>& ProcessList::List() {
  if (!list_) list_.emplace();
  return *list_;
}

void ProcessList::Load() {
  // Process cards whose MainInfo "Template" holds the value, compared as
  // the field's number.
  auto query = com::Query<ostrel::SearchQuery>(com::CreateInstance(ostrel::SearchQuery::kCLSID));
  com::Ref<ostrel::SectionQuery> main_info =
      query->GetAttributeSearch()->AddCardTypeQuery(layout::kProcessCardType)->AddSectionQuery(layout::kMainInfo);
  main_info
      ->AddCondition("Template", ostrel::search_operation::kEquals, ostrel::search_link::kAnd,
                     com::Variant(template_value_))
      ->SetTypedValue(true);
  const std::string text = query->Render(true, com::Variant::Null());
  com::Ref<com::Collection> found = Cards()->FindCards(text);
  const int32_t count = found->Count();
  // Only adds: what is listed already (found before, opened by ID, made
  // here) keeps its place and its object.
  for (int32_t i = 1; i <= count; ++i) {
    com::Ref<ostrel::CardData> card = com::Query<ostrel::CardData>(found->Item(com::Variant(i)).ToObject());
    if (List().Find(card->GetID())) continue;
    com::Ref<Process> process = Attach(std::move(card));
    std::string id = process->ID();
    List().Add(std::move(process), std::move(id));
  }
  loaded_ = true;
}

int32_t ProcessList::Count() {
  if (!loaded_) Load();
  return static_cast<int32_t>(List().size());
}

com::Ref<Process> ProcessList::Item(const com::Variant& index) {
  const std::string* text = index.TryText();
  if (!text) {
    if (!loaded_) Load();
    return List().Item(index);
  }
  // By ID: a card not listed is opened and listed without a search.
  const std::string id = NormalizeID(*text);
  if (const com::Ref<Process>* listed = List().Find(id)) return *listed;
  com::Ref<Process> process = Attach(Cards()->GetCardData(id));
  AddToList(process);
  return process;
}

com::Ref<com::Unknown> ProcessList::NewEnum() {
  if (!loaded_) Load();
  std::vector<com::Variant> items;
  List().ForEach([&](const com::Ref<Process>& p) { items.emplace_back(com::Ref<com::Unknown>(p.get())); });
  return com::MakeEnumerator(std::move(items));
}

void ProcessList::Refresh() {
  list_.reset();
  loaded_ = false;
}

void ProcessList::AddToList(const com::Ref<Process>& process) { List().Add(process, process->ID()); }

void ProcessList::RemoveFromList(const std::string& card_id) { List().Remove(com::Variant(card_id)); }

com::Ref<Process> TemplatesObject::AddNew() {
  com::Ref<ostrel::CardData> card = list_.Cards()->CreateCardData(layout::kProcessCardType, 0);
  card->SetIsTemplate(true);
  com::Ref<ProcessObject> process = ProcessList::Attach(std::move(card));
  process->SetTemplateState(TemplateStateEnum::Design);
  list_.AddToList(process);
  return process;
}

com::Ref<Process> InstancesObject::AddNew(com::Ref<Process> template_process) {
  if (!template_process) throw com::Error(com::hr::kObjectNotSet);
  com::Ref<ostrel::CardData> copy = list_.Cards()->GetCardData(template_process->ID())->CopyCard();
  copy->SetIsTemplate(false);
  com::Ref<ProcessObject> process = ProcessList::Attach(std::move(copy));
  process->SetState(ProcessStateEnum::NonActive);
  list_.AddToList(process);
  return process;
}

const com::TypeInfo& Templates::DispatchInfo() {
  using L = Templates;
  static const com::TypeInfo info = DescribeList<L>("_Templates")
                                        .Method("AddNew", &L::AddNew)
                                        .Method("Refresh", &L::Refresh, {com::Optional("DeepRefresh", false)})
                                        .Build();
  return info;
}

const com::TypeInfo& Instances::DispatchInfo() {
  using L = Instances;
  static const com::TypeInfo info = DescribeList<L>("_Instances")
                                        .Method("AddNew", &L::AddNew, {com::Arg("Template")})
                                        .Method("Refresh", &L::Refresh, {com::Optional("DeepRefresh", false)})
                                        .Build();
  return info;
}

}  // namespace vorlane
