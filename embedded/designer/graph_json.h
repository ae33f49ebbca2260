#pragma once

// The process graph as data, for a container that draws it itself (the web
// card host draws it in the person's browser).
#include <string>

#include "embedded/designer/graph_layout.h"
#include "vorlane/process.h"

namespace designer {

// A JSON document of the graph's shapes, read from the process at the
// moment of the call:
//   {"nodes": [{"id", "kind": "function"|"gate", "caption", "x", "y",
//               "width", "height"}, ...],
//    "links": [{"id", "caption", "source", "target", "type", "disabled",
//               "points": [[x, y], ...]}, ...]}
// Nodes and links are in the order the picture draws them; IDs are
// normalised. Texts that are not valid UTF-8 come out with U+FFFD in place
// of the bad bytes rather than failing the drawing.
std::string GraphJson(vorlane::Process& process, const GatePlaces& gate_places);

}  // namespace designer
