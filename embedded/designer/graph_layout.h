#pragma once

// Where the nodes and links of a process graph are drawn: the one place
// that turns the object model's stored geometry into shapes, for the
// picture and for the designer's editing.
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "vorlane/process.h"

namespace designer {

// The size a node gets while its stored size is 0 (a function made by a
// program that set no size) and the size of new nodes.
inline constexpr double kFunctionWidth = 120;
inline constexpr double kFunctionHeight = 60;
inline constexpr double kGateSize = 64;

struct Point {
  double x = 0;
  double y = 0;
};

// A rectangle: its top-left corner and its size.
struct Box {
  double x = 0;
  double y = 0;
  double width = 0;
  double height = 0;

  Point Centre() const { return {x + width / 2, y + height / 2}; }
};

enum class NodeKind { Function, Gate };

struct NodeShape {
  std::string id;  // normalised (NormalizeId)
  NodeKind kind = NodeKind::Function;
  std::string caption;
  std::string type_id;  // as stored
  std::string description;
  std::string settings;  // the type's settings text ("Data")
  Box box;
};

struct LinkShape {
  std::string id;
  std::string caption;
  std::string description;
  // The normalised IDs of its nodes, as stored (either may name no node).
  std::string source;
  std::string destination;
  int32_t link_type = 0;
  bool disabled = false;
  // At least two points, from the source's edge to the destination's edge.
  std::vector<Point> route;
};

// Gates have no place in the process card, so their places are the
// designer's own, by normalised gate ID; a gate without one is laid out in
// a row above the functions.
using GatePlaces = std::map<std::string, Box>;

// The registry form of a GUID ID in any case, with or without braces, and
// with blanks around; other IDs are kept as they are, trimmed.
std::string NormalizeId(std::string_view id);

// The functions (in row order) then the gates (in row order).
std::vector<NodeShape> PlaceNodes(vorlane::Process& process, const GatePlaces& gate_places);

// The link routes over the placed nodes. A link is drawn along its stored
// points ("x,y;x,y;..."); one with fewer than two readable points goes
// straight between its nodes' centres, cut at their outlines. A link that
// has neither points nor both nodes is left out.
std::vector<LinkShape> RouteLinks(vorlane::Process& process, const std::vector<NodeShape>& nodes);

// The stored route of a link; points that do not read as two numbers are
// skipped. Numbers use "." whatever the locale: the route is stored data.
std::vector<Point> ParsePoints(std::string_view text);

}  // namespace designer
