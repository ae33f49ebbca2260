// The dispatch descriptions of the card-data interfaces, in slot order, so
// that scripts can open a session and walk cards, sections and rows.
#include "platform/com/describe.h"
#include "platform/ostrel/ostrel.h"

namespace ostrel {

using com::Arg;
using com::Describe;
using com::Optional;
using com::TypeInfo;

const TypeInfo& Session::DispatchInfo() {
  static const TypeInfo info = Describe<Session>("Session")
                                   .Method("GetCardManager", &Session::GetCardManager)
                                   .Method("GetProperties", &Session::GetProperties)
                                   .Method("GetLastErrorText", &Session::GetLastErrorText)
                                   .Method("GetProcessManager", &Session::GetProcessManager)
                                   .Method("GetExtensionManager", &Session::GetExtensionManager)
                                   .Build();
  return info;
}

const TypeInfo& CardManager::DispatchInfo() {
  static const TypeInfo info =
      Describe<CardManager>("CardManager")
          .Method("GetCardData", &CardManager::GetCardData, {Arg("CardID")})
          .Method("GetCardStatus", &CardManager::GetCardStatus, {Arg("CardID")})
          .Method("CreateCardData", &CardManager::CreateCardData, {Arg("CardTypeID"), Optional("Flags", 0)})
          .Method("GetDictionaryData", &CardManager::GetDictionaryData, {Arg("CardTypeID")})
          .Method("GetDictionaryObject", &CardManager::GetDictionaryObject, {Arg("CardTypeID")})
          .Method("GetCardObject", &CardManager::GetCardObject, {Arg("CardID")})
          .Method("DeleteCard", &CardManager::DeleteCard, {Arg("CardID"), Optional("Permanent", true)})
          .Method("FindCards", &CardManager::FindCards, {Arg("Query")})
          .Build();
  return info;
}

const TypeInfo& CardLock::DispatchInfo() {
  static const TypeInfo info = Describe<CardLock>("CardLock")
                                   .Method("GetLockStatus", &CardLock::GetLockStatus)
                                   .Method("GetLockOwner", &CardLock::GetLockOwner)
                                   .Method("Lock", &CardLock::Lock, {Optional("Global", false)})
                                   .Method("Unlock", &CardLock::Unlock)
                                   .Build();
  return info;
}

const TypeInfo& CardUpdate::DispatchInfo() {
  static const TypeInfo info =
      Describe<CardUpdate>("CardUpdate")
          .Method("BeginUpdate", &CardUpdate::BeginUpdate)
          .Method("EndUpdate", &CardUpdate::EndUpdate)
          .Method("CancelUpdate", &CardUpdate::CancelUpdate)
          .Method("UpdateNow", &CardUpdate::UpdateNow)
          .Method("GetInUpdate", &CardUpdate::GetInUpdate)
          .Method("MarkCardForDeletion", &CardUpdate::MarkCardForDeletion, {Arg("CardID")})
          .Build();
  return info;
}

// A card data answers for its lock and update views as well, so that a
// script reaches every card operation on the one object it holds.
const TypeInfo& CardData::DispatchInfo() {
  static const TypeInfo info =
      Describe<CardData>("CardData")
          .Method("GetID", &CardData::GetID)
          .Method("GetCardType", &CardData::GetCardType)
          .Method("GetDescription", &CardData::GetDescription)
          .Method("SetDescription", &CardData::SetDescription, {Arg("Description")})
          .Method("GetIsTemplate", &CardData::GetIsTemplate)
          .Method("SetIsTemplate", &CardData::SetIsTemplate, {Arg("IsTemplate")})
          .Method("GetDateCreated", &CardData::GetDateCreated)
          .Method("GetDateModified", &CardData::GetDateModified)
          .Method("GetCardName", &CardData::GetCardName)
          .Method("GetNameFixed", &CardData::GetNameFixed)
          .Method("SetCardName", &CardData::SetCardName, {Arg("Name")})
          .Method("GetOwnerProcess", &CardData::GetOwnerProcess)
          .Method("SetOwnerProcess", &CardData::SetOwnerProcess, {Arg("ProcessID")})
          .Method("CopyCard", &CardData::CopyCard)
          .Method("GetSections", &CardData::GetSections)
          .Method("GetXML", &CardData::GetXML, {Optional("FollowLinks", false)})
          .Method("Refresh", &CardData::Refresh, {Optional("Deep", false)})
          .Include(CardLock::DispatchInfo())
          .Include(CardUpdate::DispatchInfo())
          .Build();
  return info;
}

const TypeInfo& SectionCollection::DispatchInfo() {
  static const TypeInfo info =
      Describe<SectionCollection>("SectionCollection")
          .Get("Item", &SectionCollection::Item, {Arg("SectionID")}, com::kDispIdValue)
          .Get("Count", &SectionCollection::Count)
          .Build();
  return info;
}

const TypeInfo& Section::DispatchInfo() {
  static const TypeInfo info =
      Describe<Section>("Section")
          .Method("GetID", &Section::GetID)
          .Method("GetRows", &Section::GetRows)
          .Method("SetSectionMode", &Section::SetSectionMode, {Arg("Mode")})
          .Method("GetSectionMode", &Section::GetSectionMode)
          .Method("SelectRows", &Section::SelectRows, {Optional("Flags", 0), Optional("Limit", 0)})
          .Method("GetFirstRow", &Section::GetFirstRow)
          .Method("GetSchema", &Section::GetSchema)
          .Method("Refresh", &Section::Refresh, {Optional("Deep", false)})
          .Method("OpenReader", &Section::OpenReader,
                  {Optional("Flags", 0), Optional("Skip", 0), Optional("Limit", 0)})
          .Build();
  return info;
}

const TypeInfo& SubSectionCollection::DispatchInfo() {
  static const TypeInfo info =
      Describe<SubSectionCollection>("SubSectionCollection")
          .Get("Item", &SubSectionCollection::Item, {Arg("SectionID")}, com::kDispIdValue)
          .Get("Count", &SubSectionCollection::Count)
          .Build();
  return info;
}

const TypeInfo& SubSection::DispatchInfo() {
  static const TypeInfo info = Describe<SubSection>("SubSection")
                                   .Method("GetID", &SubSection::GetID)
                                   .Method("GetRows", &SubSection::GetRows)
                                   .Method("GetFirstRow", &SubSection::GetFirstRow)
                                   .Method("GetSchema", &SubSection::GetSchema)
                                   .Method("Refresh", &SubSection::Refresh, {Optional("Deep", false)})
                                   .Build();
  return info;
}

const TypeInfo& RowCollection::DispatchInfo() {
  static const TypeInfo info =
      Describe<RowCollection>("RowCollection")
          .Get("Item", &RowCollection::Item, {Arg("Index")}, com::kDispIdValue)
          .Get("Count", &RowCollection::Count)
          .Get("NewEnum", &RowCollection::NewEnum, {}, com::kDispIdNewEnum)
          .Method("AddNew", &RowCollection::AddNew, {Optional("Flags", 0)})
          .Method("Remove", &RowCollection::Remove, {Arg("Index")})
          .Method("Clear", &RowCollection::Clear)
          .Method("GetSortedRows", &RowCollection::GetSortedRows, {Arg("FieldName"), Optional("Ascending", true)})
          .Build();
  return info;
}

const TypeInfo& RowEx::DispatchInfo() {
  static const TypeInfo info =
      Describe<RowEx>("RowEx")
          .Method("SetFieldOfType", &RowEx::SetFieldOfType, {Arg("Name"), Arg("Value"), Arg("Type")})
          .Method("SetFieldAt", &RowEx::SetFieldAt, {Arg("Position"), Arg("Value")})
          .Build();
  return info;
}

const TypeInfo& Row::DispatchInfo() {
  static const TypeInfo info = Describe<Row>("Row")
                                   .Method("GetID", &Row::GetID)
                                   .Method("GetField", &Row::GetField, {Arg("Name")})
                                   .Method("SetField", &Row::SetField, {Arg("Name"), Arg("Value")})
                                   .Method("GetSection", &Row::GetSection)
                                   .Method("GetChildRows", &Row::GetChildRows)
                                   .Method("GetSubSections", &Row::GetSubSections)
                                   .Method("Refresh", &Row::Refresh, {Optional("Deep", false)})
                                   .Include(RowEx::DispatchInfo())
                                   .Build();
  return info;
}

const TypeInfo& SectionReader::DispatchInfo() {
  static const TypeInfo info = Describe<SectionReader>("SectionReader")
                                   .Method("ReadNext", &SectionReader::ReadNext)
                                   .Method("GetField", &SectionReader::GetField, {Arg("Name")})
                                   .Method("Close", &SectionReader::Close)
                                   .Build();
  return info;
}

const TypeInfo& CardType::DispatchInfo() {
  static const TypeInfo info = Describe<CardType>("CardType")
                                   .Method("GetID", &CardType::GetID)
                                   .Method("GetName", &CardType::GetName)
                                   .Method("GetDisplayName", &CardType::GetDisplayName)
                                   .Method("GetSectionTypes", &CardType::GetSectionTypes)
                                   .Method("GetAllSectionTypes", &CardType::GetAllSectionTypes)
                                   .Build();
  return info;
}

const TypeInfo& SectionTypeCollection::DispatchInfo() {
  static const TypeInfo info =
      Describe<SectionTypeCollection>("SectionTypeCollection")
          .Get("Item", &SectionTypeCollection::Item, {Arg("Index")}, com::kDispIdValue)
          .Get("Count", &SectionTypeCollection::Count)
          .Method("Contains", &SectionTypeCollection::Contains, {Arg("NameOrID")})
          .Build();
  return info;
}

const TypeInfo& SectionType::DispatchInfo() {
  static const TypeInfo info = Describe<SectionType>("SectionType")
                                   .Method("GetID", &SectionType::GetID)
                                   .Method("GetName", &SectionType::GetName)
                                   .Method("GetSectionKind", &SectionType::GetSectionKind)
                                   .Method("GetSubSectionTypes", &SectionType::GetSubSectionTypes)
                                   .Method("GetFieldTypes", &SectionType::GetFieldTypes)
                                   .Build();
  return info;
}

const TypeInfo& FieldTypeCollection::DispatchInfo() {
  static const TypeInfo info =
      Describe<FieldTypeCollection>("FieldTypeCollection")
          .Get("Item", &FieldTypeCollection::Item, {Arg("Index")}, com::kDispIdValue)
          .Get("Count", &FieldTypeCollection::Count)
          .Method("Contains", &FieldTypeCollection::Contains, {Arg("Name")})
          .Build();
  return info;
}

const TypeInfo& FieldType::DispatchInfo() {
  static const TypeInfo info = Describe<FieldType>("FieldType")
                                   .Method("GetName", &FieldType::GetName)
                                   .Method("GetType", &FieldType::GetType)
                                   .Method("GetFlags", &FieldType::GetFlags)
                                   .Method("GetDefaultValue", &FieldType::GetDefaultValue)
                                   .Build();
  return info;
}

const TypeInfo& FolderTree::DispatchInfo() {
  static const TypeInfo info = Describe<FolderTree>("FolderTree")
                                   .Method("GetFolder", &FolderTree::GetFolder, {Arg("FolderID")})
                                   .Method("GetRootFolder", &FolderTree::GetRootFolder)
                                   .Build();
  return info;
}

const TypeInfo& Folder::DispatchInfo() {
  static const TypeInfo info = Describe<Folder>("Folder")
                                   .Method("GetID", &Folder::GetID)
                                   .Method("GetName", &Folder::GetName)
                                   .Method("GetParent", &Folder::GetParent)
                                   .Method("GetShortcuts", &Folder::GetShortcuts)
                                   .Method("GetChildCount", &Folder::GetChildCount)
                                   .Method("GetChildFolder", &Folder::GetChildFolder, {Arg("Index")})
                                   .Build();
  return info;
}

const TypeInfo& Shortcuts::DispatchInfo() {
  static const TypeInfo info =
      Describe<Shortcuts>("Shortcuts")
          .Get("Item", &Shortcuts::Item, {Arg("Index")}, com::kDispIdValue)
          .Get("Count", &Shortcuts::Count)
          .Method("AddShortcut", &Shortcuts::AddShortcut, {Arg("CardID"), Optional("Hard", true)})
          .Build();
  return info;
}

const TypeInfo& ProcessManager::DispatchInfo() {
  static const TypeInfo info =
      Describe<ProcessManager>("ProcessManager")
          .Method("GetProcessControl", &ProcessManager::GetProcessControl, {Arg("CardID")})
          .Build();
  return info;
}

const TypeInfo& ProcessControlEx::DispatchInfo() {
  static const TypeInfo info =
      Describe<ProcessControlEx>("ProcessControlEx")
          .Method("SetStartOption", &ProcessControlEx::SetStartOption, {Arg("Synchronous")})
          .Build();
  return info;
}

const TypeInfo& ProcessControl::DispatchInfo() {
  static const TypeInfo info = Describe<ProcessControl>("ProcessControl")
                                   .Method("GetState", &ProcessControl::GetState)
                                   .Method("Start", &ProcessControl::Start)
                                   .Method("Stop", &ProcessControl::Stop)
                                   .Method("Pause", &ProcessControl::Pause)
                                   .Method("Resume", &ProcessControl::Resume)
                                   .Include(ProcessControlEx::DispatchInfo())
                                   .Build();
  return info;
}

const TypeInfo& ExtensionManager::DispatchInfo() {
  static const TypeInfo info = Describe<ExtensionManager>("ExtensionManager")
                                   .Method("ExecuteMethod", &ExtensionManager::ExecuteMethod,
                                           {Arg("Extension"), Arg("Method"), Optional("Parameters")})
                                   .Build();
  return info;
}

}  // namespace ostrel
