// Dispatch descriptions of the gate and link wrappers.
#include "objects/graph/gate_object.h"
#include "objects/graph/link_object.h"
#include "platform/com/describe.h"

namespace vorlane {

const com::TypeInfo& Gate::DispatchInfo() {
  static const com::TypeInfo info = com::Describe<Gate>("_Gate")
                                        .Get("ID", &Gate::ID)
                                        .GetLet("Caption", &Gate::Caption, &Gate::SetCaption)
                                        .GetLet("Description", &Gate::Description, &Gate::SetDescription)
                                        .GetLet("TypeID", &Gate::TypeID, &Gate::SetTypeID)
                                        .GetLet("Data", &Gate::Data, &Gate::SetData)
                                        .Method("Refresh", &Gate::Refresh, {com::Optional("DeepRefresh", false)})
                                        .Build();
  return info;
}

const com::TypeInfo& Link::DispatchInfo() {
  static const com::TypeInfo info = com::Describe<Link>("_Link")
                                        .Get("ID", &Link::ID)
                                        .GetLet("Caption", &Link::Caption, &Link::SetCaption)
                                        .GetLet("Description", &Link::Description, &Link::SetDescription)
                                        .GetLet("Source", &Link::Source, &Link::SetSource)
                                        .GetLet("Destination", &Link::Destination, &Link::SetDestination)
                                        .GetLet("Points", &Link::Points, &Link::SetPoints)
                                        .GetLet("LinkType", &Link::LinkType, &Link::SetLinkType)
                                        .GetLet("Disabled", &Link::Disabled, &Link::SetDisabled)
                                        .GetLet("Style", &Link::Style, &Link::SetStyle)
                                        .Method("Refresh", &Link::Refresh, {com::Optional("DeepRefresh", false)})
                                        .Build();
  return info;
}

}  // namespace vorlane
