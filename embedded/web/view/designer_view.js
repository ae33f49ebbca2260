// The designer's view in the page: the process graph the server sends (the
// designer's Graph), drawn on a diagram-js canvas at its stored places, with
// panning (drag the background), zoom (the toolbar's buttons set the
// designer's scale; Ctrl and the wheel, or a pinch, zoom here) and zoom to
// fit. Bundled once at build time; the page uses it as `DesignerView`.
import Diagram from "diagram-js";
import BaseRenderer from "diagram-js/lib/draw/BaseRenderer.js";
import InteractionEventsModule from "diagram-js/lib/features/interaction-events/index.js";
import ModelingModule from "diagram-js/lib/features/modeling/index.js";
import MoveModule from "diagram-js/lib/features/move/index.js";
import MoveCanvasModule from "diagram-js/lib/navigation/movecanvas/index.js";
import ZoomScrollModule from "diagram-js/lib/navigation/zoomscroll/index.js";
import { append as svgAppend, attr as svgAttr, create as svgCreate, classes as svgClasses } from "tiny-svg";
import "diagram-js/assets/diagram-js.css";
import "./designer_view.css";

const FONT_SIZE = 12;
const LINE_HEIGHT = 14;
// Roughly the width of a character of the caption font, for wrapping
// captions without measuring each one (measuring 10,000 captions would
// cost the browser a layout each).
const CHAR_WIDTH = FONT_SIZE * 0.56;
const MARGIN = 24;

// Splits a caption into the lines that fit `width`, at most `max` of them,
// the last cut with an ellipsis when the rest does not fit.
export function wrapCaption(caption, width, max) {
  const perLine = Math.max(1, Math.floor(width / CHAR_WIDTH));
  const lines = [];
  let line = "";
  for (const word of String(caption).split(/\s+/).filter((w) => w !== "")) {
    let rest = word;
    while (rest.length > 0) {
      const candidate = line === "" ? rest : line + " " + rest;
      if (candidate.length <= perLine) {
        line = candidate;
        rest = "";
      } else if (line === "") {
        line = rest.slice(0, perLine);  // a word longer than the line is cut
        rest = rest.slice(perLine);
        lines.push(line);
        line = "";
      } else {
        lines.push(line);
        line = "";
      }
    }
  }
  if (line !== "") lines.push(line);
  if (lines.length > max) {
    const kept = lines.slice(0, Math.max(1, max));
    const last = kept.length - 1;
    kept[last] = kept[last].slice(0, Math.max(0, perLine - 1)) + "…";
    return kept;
  }
  return lines;
}

// A caption of one line is the text element's own text; more lines are a
// tspan each. Every element counts: the browser lays all of them out.
function drawText(parent, lines, cx, cy, className) {
  const text = svgCreate("text");
  svgAttr(text, { x: cx, y: cy, "text-anchor": "middle", class: className });
  if (lines.length === 1) {
    svgAttr(text, { dy: FONT_SIZE * 0.35 });
    text.textContent = lines[0];
  } else {
    const top = -((lines.length - 1) * LINE_HEIGHT) / 2;
    lines.forEach((line, i) => {
      const span = svgCreate("tspan");
      svgAttr(span, { x: cx, dy: i === 0 ? top + FONT_SIZE * 0.35 : LINE_HEIGHT });
      span.textContent = line;
      svgAppend(text, span);
    });
  }
  svgAppend(parent, text);
  return text;
}

function ProcessRenderer(eventBus) {
  BaseRenderer.call(this, eventBus, 1500);
}
ProcessRenderer.prototype = Object.create(BaseRenderer.prototype);
ProcessRenderer.$inject = ["eventBus"];

ProcessRenderer.prototype.canRender = (element) => element.type === "function" || element.type === "gate" || element.type === "link";

ProcessRenderer.prototype.drawShape = function (parent, shape) {
  const { width: w, height: h } = shape;
  let outline;
  if (shape.type === "gate") {
    outline = svgCreate("polygon");
    svgAttr(outline, { points: `${w / 2},0 ${w},${h / 2} ${w / 2},${h} 0,${h / 2}`, class: "gate-outline" });
  } else {
    outline = svgCreate("rect");
    svgAttr(outline, { width: w, height: h, rx: 8, ry: 8, class: "function-outline" });
  }
  svgAppend(parent, outline);
  const lines = wrapCaption(shape.caption, shape.type === "gate" ? w * 0.6 : w - 10, Math.max(1, Math.floor((h - 6) / LINE_HEIGHT)));
  drawText(parent, lines, w / 2, h / 2, "caption");
  // A caption the drawing cuts is whole in the shape's tool tip.
  if (lines.join(" ") !== String(shape.caption).trim().split(/\s+/).join(" ")) {
    const title = svgCreate("title");
    title.textContent = shape.caption;
    svgAppend(parent, title);
  }
  return outline;
};

ProcessRenderer.prototype.drawConnection = function (parent, link) {
  const line = svgCreate("polyline");
  svgAttr(line, {
    points: link.waypoints.map((p) => `${p.x},${p.y}`).join(" "),
    // Each link type has its look (the style sheet's link-type-N); a stored
    // value outside the enumeration is drawn as success.
    class: `link-line link-type-${[0, 1, 2].includes(link.linkType) ? link.linkType : 0}`,
    "marker-end": "url(#link-arrow)",
  });
  svgAppend(parent, line);
  if (link.disabled) svgClasses(parent).add("disabled");
  if (link.caption) {
    // The middle of the middle segment, a little above the line.
    const points = link.waypoints;
    const i = Math.floor((points.length - 1) / 2);
    const x = (points[i].x + points[i + 1].x) / 2;
    const y = (points[i].y + points[i + 1].y) / 2 - FONT_SIZE * 0.75;
    drawText(parent, [link.caption], x, y, "link-caption");
  }
  return line;
};

ProcessRenderer.prototype.getShapePath = function (shape) {
  const { x, y, width: w, height: h } = shape;
  if (shape.type === "gate") return `M${x + w / 2},${y} L${x + w},${y + h / 2} L${x + w / 2},${y + h} L${x},${y + h / 2} Z`;
  return `M${x},${y} h${w} v${h} h${-w} Z`;
};

ProcessRenderer.prototype.getConnectionPath = (link) =>
  link.waypoints.map((p, i) => `${i ? "L" : "M"}${p.x},${p.y}`).join(" ");

const RendererModule = { __init__: ["processRenderer"], processRenderer: ["type", ProcessRenderer] };

// The arrowhead the links end with, defined once in the canvas's SVG.
function addArrowMarker(svg) {
  const defs = svgCreate("defs");
  const marker = svgCreate("marker");
  svgAttr(marker, { id: "link-arrow", viewBox: "0 0 10 10", refX: 10, refY: 5, markerWidth: 8, markerHeight: 8,
                    orient: "auto", markerUnits: "userSpaceOnUse" });
  const head = svgCreate("path");
  svgAttr(head, { d: "M0,0 L10,5 L0,10 z", fill: "#263238" });
  svgAppend(marker, head);
  svgAppend(defs, marker);
  svg.insertBefore(defs, svg.firstChild);
}

// A view in `container`. show(graph) draws a graph (the designer's Graph
// document); setView({zoom, linkText, readOnly}) follows the designer's
// drawing state; fit() shows the whole graph. `drawn` counts the graphs
// drawn, for whoever waits for a drawing. The person's edits go to
// `onEdit` ({op: "move", id, x, y} or {op: "remove", id}); the designer
// decides, and the graph it sends back is what the view then shows.
export function createView(container, onEdit = () => {}) {
  const diagram = new Diagram({
    canvas: { container, deferUpdate: false },
    modules: [RendererModule, InteractionEventsModule, ModelingModule, MoveModule, MoveCanvasModule, ZoomScrollModule],
  });
  const canvas = diagram.get("canvas");
  const factory = diagram.get("elementFactory");
  addArrowMarker(canvas._svg);
  // A function or a gate is hit where it is drawn (its outline is filled);
  // only links, thin as they are, get the wider invisible line that takes
  // the pointer. A hit box per shape would be 10,000 more elements to lay
  // out in a large process.
  diagram.get("eventBus").on("interactionEvents.createHit", 1500, ({ element }) => {
    if (element.type !== "link") return false;
  });
  const state = { zoom: null, drawn: 0, extent: null };
  // Editing: a read-only view lets nothing be picked up; moved nodes and
  // deleted items are told to the designer.
  const events = diagram.get("eventBus");
  events.on("element.mousedown", 1600, ({ element }) => {
    if (container.classList.contains("read-only") && element !== canvas.getRootElement()) return false;
  });
  events.on("shape.move.end", 500, ({ context }) => {
    for (const shape of context.shapes ?? []) {
      if (shape.type === "function" || shape.type === "gate") onEdit({ op: "move", id: shape.id, x: shape.x, y: shape.y });
    }
  });
  container.addEventListener("keydown", (e) => {
    if ((e.key !== "Delete" && e.key !== "Backspace") || container.classList.contains("read-only")) return;
    const selected = diagram.get("selection").get();
    if (selected.length === 0) return;
    e.preventDefault();
    // A node's links go with it: only what is left after the nodes is asked for.
    const nodes = new Set(selected.filter((el) => el.type !== "link").map((el) => el.id));
    for (const el of selected) {
      if (el.type === "link" && (nodes.has(el.source?.id) || nodes.has(el.target?.id))) continue;
      onEdit({ op: "remove", id: el.id });
    }
  });

  // The scale as the person left it (wheel, pinch, fit), for whoever reads it.
  diagram.get("eventBus").on("canvas.viewbox.changed", ({ viewbox }) => {
    container.dataset.zoom = String(viewbox.scale);
  });

  function extentOf(graph) {
    let left = Infinity, top = Infinity, right = -Infinity, bottom = -Infinity;
    const add = (x, y) => { left = Math.min(left, x); top = Math.min(top, y); right = Math.max(right, x); bottom = Math.max(bottom, y); };
    for (const n of graph.nodes) { add(n.x, n.y); add(n.x + n.width, n.y + n.height); }
    for (const l of graph.links) for (const [x, y] of l.points) add(x, y);
    return left > right ? { x: 0, y: 0, width: 0, height: 0 } : { x: left, y: top, width: right - left, height: bottom - top };
  }

  // The viewbox at `scale` with the graph's top-left corner in view.
  function showFromCorner(scale) {
    const outer = canvas.getSize();
    const e = state.extent ?? { x: 0, y: 0 };
    canvas.viewbox({ x: e.x - MARGIN, y: e.y - MARGIN, width: outer.width / scale, height: outer.height / scale });
  }

  function show(graph) {
    const first = state.drawn === 0;
    const keep = first ? null : canvas.viewbox();
    diagram.clear();
    state.extent = extentOf(graph);
    // The view is placed while the canvas is empty: placing it after the
    // shapes are in would make the browser lay every one of them out an
    // extra time.
    if (first) showFromCorner(state.zoom ?? 1);
    else canvas.viewbox({ x: keep.x, y: keep.y, width: keep.width, height: keep.height });
    const nodes = new Map();
    for (const n of graph.nodes) {
      // IDs are the graph's: one that repeats is drawn once.
      if (nodes.has(n.id)) continue;
      const shape = factory.createShape({ id: n.id, type: n.kind, caption: n.caption, x: n.x, y: n.y,
                                          width: Math.max(1, n.width), height: Math.max(1, n.height) });
      canvas.addShape(shape);
      nodes.set(n.id, shape);
    }
    const links = new Set();
    for (const l of graph.links) {
      if (nodes.has(l.id) || links.has(l.id) || l.points.length < 2) continue;
      links.add(l.id);
      canvas.addConnection(factory.createConnection({
        id: l.id, type: "link", caption: l.caption, linkType: l.type, disabled: l.disabled,
        source: nodes.get(l.source), target: nodes.get(l.target),
        waypoints: l.points.map(([x, y]) => ({ x, y })),
      }));
    }
    state.drawn += 1;
    container.dataset.drawn = String(state.drawn);
    // Known without asking the canvas, which would lay the drawing out.
    container.dataset.zoom = String(first ? state.zoom ?? 1 : keep.scale);
  }

  // Follows the designer's drawing state. It touches the canvas only when
  // the scale changes: asking the canvas anything while the page is busy
  // with the window would make the browser lay out every shape again.
  function setView(view) {
    if (!view) return;
    container.classList.toggle("no-link-text", view.linkText === false);
    container.classList.toggle("read-only", !!view.readOnly);
    if (view.zoom && view.zoom !== state.zoom) {
      const before = state.zoom;
      state.zoom = view.zoom;
      // The toolbar's zoom keeps the middle of the view where it is.
      if (before !== null && state.drawn > 0) canvas.zoom(view.zoom);
      else if (state.drawn > 0) showFromCorner(view.zoom);
      container.dataset.zoom = String(view.zoom);
    }
  }

  // The whole graph in view, centred, never larger than 100%. Measured
  // from the graph's data rather than from the drawing, which would make
  // the browser lay out every shape.
  function fit() {
    const e = state.extent;
    const outer = canvas.getSize();
    if (!e || outer.width <= 0 || outer.height <= 0) return;
    const width = e.width + 2 * MARGIN, height = e.height + 2 * MARGIN;
    const scale = Math.min(1, outer.width / width, outer.height / height);
    const w = outer.width / scale, h = outer.height / scale;
    canvas.viewbox({ x: e.x - MARGIN - (w - width) / 2, y: e.y - MARGIN - (h - height) / 2, width: w, height: h });
  }

  // A view that grows or shrinks keeps its scale and its top-left corner.
  new ResizeObserver(() => {
    const before = canvas.viewbox();
    canvas.resized();
    const outer = canvas.viewbox().outer;
    if (before.scale > 0 && outer.width > 0 && outer.height > 0) {
      canvas.viewbox({ x: before.x, y: before.y, width: outer.width / before.scale, height: outer.height / before.scale });
    }
  }).observe(container);
  return { show, setView, fit, canvas, diagram, get drawn() { return state.drawn; } };
}
