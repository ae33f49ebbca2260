#pragma once

// The picture of a process graph as an SVG document: what the designer
// exports, and what rendering and printing of a process draw.
#include <string>

#include "embedded/designer/graph_layout.h"
#include "vorlane/process.h"

namespace designer {

struct PictureOptions {
  // Link captions are drawn only when shown.
  bool show_link_text = true;
  // The document's width and height are the graph's extent times this;
  // the viewBox stays in the process's own units.
  double scale = 1.0;
  GatePlaces gate_places;
};

// A complete, well-formed SVG document (UTF-8, with its XML declaration):
// functions as rounded rectangles, gates as diamonds, each with its caption;
// links as lines with an arrowhead at the destination, in a style per link
// type. The viewBox covers every node and route with a margin; an empty
// process gives a small empty picture. Reads the process at the moment of
// the call and keeps nothing.
std::string SvgPicture(vorlane::Process& process, const PictureOptions& options);

}  // namespace designer
