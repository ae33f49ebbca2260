#include "embedded/designer/svg_picture.h"

#include "platform/com/xml_text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

namespace designer {
namespace {

constexpr double kMargin = 24;
constexpr double kFontSize = 12;

// Numbers in the document use "." whatever the locale, and at most two
// decimals: finer than any screen, and stable from one export to the next.
std::string Num(double v) {
  double rounded = std::round(v * 100) / 100;
  if (rounded == 0) rounded = 0;  // no "-0"
  char buf[32];
  auto [end, ec] = std::to_chars(buf, buf + sizeof buf, rounded);
  return ec == std::errc() ? std::string(buf, end) : std::string("0");
}

struct Extent {
  double left = std::numeric_limits<double>::infinity();
  double top = std::numeric_limits<double>::infinity();
  double right = -std::numeric_limits<double>::infinity();
  double bottom = -std::numeric_limits<double>::infinity();

  void Add(Point p) {
    left = std::min(left, p.x);
    top = std::min(top, p.y);
    right = std::max(right, p.x);
    bottom = std::max(bottom, p.y);
  }
  bool Empty() const { return left > right; }
};

// The stroke of each link type: success plain, failure red and dashed,
// completion grey and dotted; a stored value outside the enumeration is
// drawn as success.
const char* LinkStyle(int32_t link_type) {
  switch (link_type) {
    case 1: return R"(stroke="#c62828" stroke-dasharray="8 4")";
    case 2: return R"(stroke="#616161" stroke-dasharray="2 3")";
    default: return R"(stroke="#263238")";
  }
}

// Where a link's caption goes: the middle of its middle segment.
Point LabelPoint(const std::vector<Point>& route) {
  const size_t i = (route.size() - 1) / 2;
  return {(route[i].x + route[i + 1].x) / 2, (route[i].y + route[i + 1].y) / 2};
}

void AppendCaption(std::string& out, Point at, const std::string& caption, const char* css_class) {
  out += "<text class=\"";
  out += css_class;
  out += "\" x=\"" + Num(at.x) + "\" y=\"" + Num(at.y) +
         "\" text-anchor=\"middle\" dominant-baseline=\"middle\">" + text::XmlEscape(caption) + "</text>";
}

}  // namespace

std::string SvgPicture(vorlane::Process& process, const PictureOptions& options) {
  const std::vector<NodeShape> nodes = PlaceNodes(process, options.gate_places);
  const std::vector<LinkShape> links = RouteLinks(process, nodes);

  Extent extent;
  for (const NodeShape& n : nodes) {
    extent.Add({n.box.x, n.box.y});
    extent.Add({n.box.x + n.box.width, n.box.y + n.box.height});
  }
  for (const LinkShape& l : links) {
    for (Point p : l.route) extent.Add(p);
    if (options.show_link_text && !l.caption.empty()) {
      // Room for the caption above its point, roughly its width either side.
      const Point at = LabelPoint(l.route);
      const double half = static_cast<double>(l.caption.size()) * kFontSize * 0.3;
      extent.Add({at.x - half, at.y - kFontSize * 1.5});
      extent.Add({at.x + half, at.y});
    }
  }
  if (extent.Empty()) extent = {0, 0, 0, 0};
  const double vx = extent.left - kMargin;
  const double vy = extent.top - kMargin;
  const double vw = extent.right - extent.left + 2 * kMargin;
  const double vh = extent.bottom - extent.top + 2 * kMargin;
  const double scale = options.scale > 0 ? options.scale : 1.0;

  std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
  out += "<svg xmlns=\"http://www.w3.org/2000/svg\" version=\"1.1\" width=\"" + Num(vw * scale) + "\" height=\"" +
         Num(vh * scale) + "\" viewBox=\"" + Num(vx) + " " + Num(vy) + " " + Num(vw) + " " + Num(vh) + "\">\n";
  out += "<title>" + text::XmlEscape(process.Name()) + "</title>\n";
  out +=
      "<defs><marker id=\"arrow\" viewBox=\"0 0 10 10\" refX=\"10\" refY=\"5\" markerWidth=\"8\" "
      "markerHeight=\"8\" orient=\"auto\" markerUnits=\"userSpaceOnUse\"><path d=\"M0,0 L10,5 L0,10 z\" "
      "fill=\"#263238\"/></marker></defs>\n";
  out += "<g font-family=\"sans-serif\" font-size=\"" + Num(kFontSize) + "\">\n";

  // Links first, so that nodes cover their ends.
  out += "<g class=\"links\">\n";
  for (const LinkShape& l : links) {
    // A disabled link is drawn faded: it stays in the graph, but no token
    // passes along it.
    out += l.disabled ? "<g class=\"link disabled\" opacity=\"0.4\"" : "<g class=\"link\"";
    out += " data-id=\"" + text::XmlEscape(l.id) + "\"><polyline points=\"";
    for (size_t i = 0; i < l.route.size(); ++i) {
      if (i) out += ' ';
      out += Num(l.route[i].x) + "," + Num(l.route[i].y);
    }
    out += "\" fill=\"none\" stroke-width=\"1.5\" ";
    out += LinkStyle(l.link_type);
    out += " marker-end=\"url(#arrow)\"/>";
    if (options.show_link_text && !l.caption.empty()) {
      Point at = LabelPoint(l.route);
      at.y -= kFontSize * 0.75;
      AppendCaption(out, at, l.caption, "link-caption");
    }
    out += "</g>\n";
  }
  out += "</g>\n<g class=\"nodes\">\n";
  for (const NodeShape& n : nodes) {
    const Box& b = n.box;
    const Point c = b.Centre();
    if (n.kind == NodeKind::Function) {
      out += "<g class=\"function\" data-id=\"" + text::XmlEscape(n.id) + "\"><rect x=\"" + Num(b.x) + "\" y=\"" +
             Num(b.y) + "\" width=\"" + Num(b.width) + "\" height=\"" + Num(b.height) +
             "\" rx=\"8\" ry=\"8\" fill=\"#e3f2fd\" stroke=\"#1565c0\" stroke-width=\"1.5\"/>";
    } else {
      out += "<g class=\"gate\" data-id=\"" + text::XmlEscape(n.id) + "\"><polygon points=\"" + Num(c.x) + "," +
             Num(b.y) + " " + Num(b.x + b.width) + "," + Num(c.y) + " " + Num(c.x) + "," + Num(b.y + b.height) +
             " " + Num(b.x) + "," + Num(c.y) + "\" fill=\"#fff8e1\" stroke=\"#ef6c00\" stroke-width=\"1.5\"/>";
    }
    AppendCaption(out, c, n.caption, "caption");
    out += "</g>\n";
  }
  out += "</g>\n</g>\n</svg>\n";
  return out;
}

}  // namespace designer
