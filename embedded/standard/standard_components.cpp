#include "embedded/standard/standard_components.h"

#include "embedded/folders/folder_tree_object.h"
#include "embedded/server/workflow_service.h"
#include "embedded/search/xml_search_engine.h"
#include "embedded/store/store.h"

namespace embedded {

void AttachStandardComponents(Store& store) {
  store.SetSearchEngine(std::make_shared<search::XmlSearchEngine>());
  store.RegisterCardObject(folders::kFolderCardType,
                           [](const com::Ref<ostrel::CardManager>& cards, const com::Ref<ostrel::CardData>& card) {
                             return com::Ref<com::Unknown>(folders::NewFolderTree(cards, card));
                           });
  store.AttachWorkflowServer(std::make_shared<server::WorkflowService>());
}

}  // namespace embedded
