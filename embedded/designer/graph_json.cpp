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
                            {"settings", n.settings},
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
    const auto text = [](const com::Variant& value) {
      return value.IsEmpty() || value.IsNull() ? std::string() : value.ToText();
    };
    Json values = Json::array();
    auto list = v->Values();
    for (int32_t j = 1, m = list->Count(); j <= m; ++j) values.push_back(text(list->Item(com::Variant(j))->GetValue()));
    Json enum_values = Json::array();
    auto enums = v->EnumValues();
    for (int32_t j = 1, m = enums->Count(); j <= m; ++j) {
      auto e = enums->Item(com::Variant(j));
      enum_values.push_back({{"text", e->Value()}, {"number", e->NumericValue()}});
    }
    out["variables"].push_back({{"id", v->ID()},
                                {"name", v->Name()},
                                {"type", static_cast<int32_t>(v->VarType())},
                                {"description", v->Description()},
                                {"value", text(v->Value())},
                                {"required", v->IsRequered()},
                                {"multiple", v->IsMultipleValued()},
                                {"values", std::move(values)},
                                {"enumValues", std::move(enum_values)}});
  }
  return out.dump(-1, ' ', false, Json::error_handler_t::replace);
}

}  // namespace designer
