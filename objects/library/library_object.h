#pragma once

#include "common/module_info.h"
#include "objects/dictionary/dictionary_object.h"
#include "objects/library/instances_object.h"
#include "objects/library/templates_object.h"
#include "objects/library/user_settings_object.h"
#include "platform/ostrel/card_manager.h"
#include "vorlane/library.h"

namespace vorlane {

class LibraryObject final : public com::Object<Library> {
 public:
  com::Variant Connection() override;
  void SetConnection(const com::Variant& value) override;
  com::Ref<vorlane::Dictionary> Dictionary() override;
  com::Ref<vorlane::Templates> Templates() override { return TemplateList(); }
  com::Ref<vorlane::Instances> Instances() override { return InstanceList(); }
  void Refresh(bool /*deep_refresh: no effect*/) override;
  com::Ref<Process> GetProcess(const std::string& process_id, bool is_template) override;
  com::Ref<Process> CreateProcess(const std::string& template_id) override;
  void DeleteProcess(const std::string& process_id) override;
  com::Ref<vorlane::UserSettings> UserSettings() override;

 private:
  // Drops, in this order, the session, the dictionary, the lists and the
  // user's settings with their card.
  ~LibraryObject() override;

  ostrel::Session& session() const;
  com::Ref<ostrel::CardManager> Cards() const { return session().GetCardManager(); }
  com::Ref<TemplatesObject> TemplateList();
  com::Ref<InstancesObject> InstanceList();
  void DropAll();

  com::Ref<ostrel::Session> session_;
  com::Ref<DictionaryObject> dictionary_;
  com::Ref<TemplatesObject> templates_;
  com::Ref<InstancesObject> instances_;
  com::Ref<ostrel::CardData> settings_card_;
  com::Ref<UserSettingsObject> user_settings_;
  // The library's code stays loaded while a client holds its entry object.
  com::ModuleObjectCount::Token alive_{ModuleObjects()};
};

}  // namespace vorlane
