#include "embedded/designer/graph_layout.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <optional>
#include <unordered_map>

#include "platform/com/text.h"

namespace designer {
namespace {

// Room between the row of laid-out gates and the functions below it.
constexpr double kGateRowGap = 60;
constexpr double kGateSpacing = 40;

std::optional<double> ReadNumber(std::string_view s) {
  s = text::Trim(s);
  if (!s.empty() && s.front() == '+') s.remove_prefix(1);
  double value = 0;
  auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
  if (ec != std::errc() || end != s.data() + s.size() || !std::isfinite(value)) return std::nullopt;
  return value;
}

// Where the ray from the box's centre towards `towards` leaves the outline:
// a rectangle for a function, the inscribed diamond for a gate.
Point Edge(const NodeShape& node, Point towards) {
  const Point c = node.box.Centre();
  const double dx = towards.x - c.x;
  const double dy = towards.y - c.y;
  const double hw = node.box.width / 2;
  const double hh = node.box.height / 2;
  if ((dx == 0 && dy == 0) || hw <= 0 || hh <= 0) return c;
  double t = 0;
  if (node.kind == NodeKind::Gate) {
    t = 1 / (std::abs(dx) / hw + std::abs(dy) / hh);
  } else {
    const double tx = dx == 0 ? std::numeric_limits<double>::infinity() : hw / std::abs(dx);
    const double ty = dy == 0 ? std::numeric_limits<double>::infinity() : hh / std::abs(dy);
    t = std::min(tx, ty);
  }
  t = std::min(t, 1.0);  // overlapping nodes: end at the other centre rather than beyond it
  return {c.x + t * dx, c.y + t * dy};
}

double SizeOr(double stored, double fallback) { return stored > 0 ? stored : fallback; }

}  // namespace

std::string NormalizeId(std::string_view id) {
  if (auto guid = com::Guid::Parse(id)) return guid->ToString();
  return std::string(text::Trim(id));
}

std::vector<NodeShape> PlaceNodes(vorlane::Process& process, const GatePlaces& gate_places) {
  std::vector<NodeShape> nodes;
  auto functions = process.Functions();
  const int32_t function_count = functions->Count();
  double left = std::numeric_limits<double>::infinity();
  double top = std::numeric_limits<double>::infinity();
  for (int32_t i = 1; i <= function_count; ++i) {
    auto f = functions->Item(com::Variant(i));
    NodeShape n;
    n.id = NormalizeId(f->ID());
    n.kind = NodeKind::Function;
    n.caption = f->Caption();
    n.type_id = f->TypeID();
    n.description = f->Description();
    n.settings = f->Data();
    n.box = {f->XPos(), f->YPos(), SizeOr(f->Width(), kFunctionWidth), SizeOr(f->Height(), kFunctionHeight)};
    left = std::min(left, n.box.x);
    top = std::min(top, n.box.y);
    nodes.push_back(std::move(n));
  }
  if (function_count == 0) left = top = 0;

  auto gates = process.Gates();
  const int32_t gate_count = gates->Count();
  double next_x = left;
  const double row_y = top - kGateRowGap - kGateSize;
  for (int32_t i = 1; i <= gate_count; ++i) {
    auto g = gates->Item(com::Variant(i));
    NodeShape n;
    n.id = NormalizeId(g->ID());
    n.kind = NodeKind::Gate;
    n.caption = g->Caption();
    n.type_id = g->TypeID();
    n.description = g->Description();
    n.settings = g->Data();
    if (auto place = gate_places.find(n.id); place != gate_places.end()) {
      n.box = place->second;
    } else {
      n.box = {next_x, row_y, kGateSize, kGateSize};
      next_x += kGateSize + kGateSpacing;
    }
    nodes.push_back(std::move(n));
  }
  return nodes;
}

std::vector<Point> ParsePoints(std::string_view text) {
  std::vector<Point> points;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find(';', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view pair = text.substr(start, end - start);
    size_t comma = pair.find(',');
    if (comma != std::string_view::npos) {
      auto x = ReadNumber(pair.substr(0, comma));
      auto y = ReadNumber(pair.substr(comma + 1));
      if (x && y) points.push_back({*x, *y});
    }
    start = end + 1;
  }
  return points;
}

std::vector<LinkShape> RouteLinks(vorlane::Process& process, const std::vector<NodeShape>& nodes) {
  std::vector<LinkShape> shapes;
  // Links without points are drawn between their nodes, found by ID.
  std::unordered_map<std::string_view, const NodeShape*> by_id;
  auto find = [&](const std::string& id) -> const NodeShape* {
    if (by_id.empty()) {
      for (const NodeShape& n : nodes) by_id.emplace(n.id, &n);
    }
    auto it = by_id.find(id);
    return it == by_id.end() ? nullptr : it->second;
  };
  auto links = process.Links();
  const int32_t count = links->Count();
  for (int32_t i = 1; i <= count; ++i) {
    auto l = links->Item(com::Variant(i));
    LinkShape shape;
    shape.id = NormalizeId(l->ID());
    shape.caption = l->Caption();
    shape.description = l->Description();
    shape.source = NormalizeId(l->Source());
    shape.destination = NormalizeId(l->Destination());
    shape.link_type = static_cast<int32_t>(l->LinkType());
    shape.disabled = l->Disabled();
    shape.route = ParsePoints(l->Points());
    if (shape.route.size() < 2) {
      const NodeShape* from = find(shape.source);
      const NodeShape* to = find(shape.destination);
      if (!from || !to) continue;
      shape.route = {Edge(*from, to->box.Centre()), Edge(*to, from->box.Centre())};
    }
    shapes.push_back(std::move(shape));
  }
  return shapes;
}

}  // namespace designer
