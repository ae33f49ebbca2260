// A link of a process graph, from one function or gate to another.
#include "objects/graph/link_object.h"
#include "platform/com/describe.h"

namespace vorlane {

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
