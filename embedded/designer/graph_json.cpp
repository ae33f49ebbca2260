#include "embedded/designer/graph_json.h"

#include <nlohmann/json.hpp>

#include "vorlane/variable.h"
#include "vorlane/variables.h"

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
                            {"type", n.type_id},
                            {"description", n.description},
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
                            {"description", l.description},
                            {"source", l.source},
                            {"target", l.destination},
                            {"type", l.link_type},
                            {"disabled", l.disabled},
                            {"points", std::move(points)}});
  }
  // The process's own fields a person sets beside the graph, and its
  // variables, for the properties and for search.
  out["process"] = {{"name", process.Name()},
                    {"description", process.Description()},
                    {"priority", process.Priority()},
                    {"responsible", process.Responsible()},
                    {"loggingLevel", static_cast<int32_t>(process.LoggingLevel())},
                    {"logLimit", process.LogLimit()}};
  out["variables"] = Json::array();
  auto variables = process.Variables();
  for (int32_t i = 1, n = variables->Count(); i <= n; ++i) {
    auto v = variables->Item(com::Variant(i));
    const com::Variant value = v->Value();
    out["variables"].push_back({{"id", v->ID()},
                                {"name", v->Name()},
                                {"type", static_cast<int32_t>(v->VarType())},
                                {"description", v->Description()},
                                {"value", value.IsEmpty() || value.IsNull() ? std::string() : value.ToText()},
                                {"required", v->IsRequered()}});
  }
  return out.dump(-1, ' ', false, Json::error_handler_t::replace);
}

}  // namespace designer
