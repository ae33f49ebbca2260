#include "embedded/designer/graph_json.h"

#include <nlohmann/json.hpp>

namespace designer {

std::string GraphJson(vorlane::Process& process, const GatePlaces& gate_places) {
  using Json = nlohmann::json;
  const std::vector<NodeShape> nodes = PlaceNodes(process, gate_places);
  const std::vector<LinkShape> links = RouteLinks(process, nodes);
  Json out{{"nodes", Json::array()}, {"links", Json::array()}};
  for (const NodeShape& n : nodes) {
    out["nodes"].push_back({{"id", n.id},
                            {"kind", n.kind == NodeKind::Function ? "function" : "gate"},
                            {"caption", n.caption},
                            {"x", n.box.x},
                            {"y", n.box.y},
                            {"width", n.box.width},
                            {"height", n.box.height}});
  }
  for (const LinkShape& l : links) {
    Json points = Json::array();
    for (const Point& p : l.route) points.push_back({p.x, p.y});
    out["links"].push_back({{"id", l.id},
                            {"caption", l.caption},
                            {"source", l.source},
                            {"target", l.destination},
                            {"type", l.link_type},
                            {"disabled", l.disabled},
                            {"points", std::move(points)}});
  }
  return out.dump(-1, ' ', false, Json::error_handler_t::replace);
}

}  // namespace designer
