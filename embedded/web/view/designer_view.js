// The designer's view in the page: the process graph the server sends (the
// designer's Graph), drawn on a diagram-js canvas at its stored places, with
// panning (drag the background), zoom (the toolbar's buttons set the
// designer's scale; Ctrl and the wheel, or a pinch, zoom here) and zoom to
// fit. Bundled once at build time; the page uses it as `DesignerView`.
import dagre from "@dagrejs/dagre";
import Diagram from "diagram-js";
import BaseRenderer from "diagram-js/lib/draw/BaseRenderer.js";
import BendpointsModule from "diagram-js/lib/features/bendpoints/index.js";
import ConnectModule from "diagram-js/lib/features/connect/index.js";
import ContextPadModule from "diagram-js/lib/features/context-pad/index.js";
import GridSnappingModule from "diagram-js/lib/features/grid-snapping/index.js";
import SnappingModule from "diagram-js/lib/features/snapping/index.js";
import InteractionEventsModule from "diagram-js/lib/features/interaction-events/index.js";
import LassoToolModule from "diagram-js/lib/features/lasso-tool/index.js";
import ModelingModule from "diagram-js/lib/features/modeling/index.js";
import MoveModule from "diagram-js/lib/features/move/index.js";
import OverlaysModule from "diagram-js/lib/features/overlays/index.js";
import ResizeModule from "diagram-js/lib/features/resize/index.js";
import RuleProvider from "diagram-js/lib/features/rules/RuleProvider.js";
import RulesModule from "diagram-js/lib/features/rules/index.js";
import MoveCanvasModule from "diagram-js/lib/navigation/movecanvas/index.js";
import ZoomScrollModule from "diagram-js/lib/navigation/zoomscroll/index.js";
import { append as svgAppend, attr as svgAttr, create as svgCreate, classes as svgClasses } from "tiny-svg";
import "diagram-js/assets/diagram-js.css";
import "./designer_view.css";
import { typePicture } from "./type_pictures.js";

export { typePicture };

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

// A type's picture as an SVG group, parsed once per kind and type; each
// node draws a copy.
const pictures = new Map();
function pictureOf(kind, typeId) {
  const key = `${kind} ${String(typeId ?? "").toUpperCase()}`;
  if (!pictures.has(key)) {
    const markup = typePicture(typeId, kind !== "gate");
    let g = null;
    if (markup) {
      g = svgCreate("g");
      svgAttr(g, { class: "type-picture" });
      g.innerHTML = markup;
    }
    pictures.set(key, g);
  }
  return pictures.get(key);
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
  // The type's picture: in its frame in a function's top-left corner; a
  // gate's glyph alone, at its top.
  const picture = pictureOf(shape.type, shape.data?.type);
  if (picture) {
    const g = picture.cloneNode(true);
    const [x, y, scale] = shape.type === "gate" ? [w / 2 - 12, 3, 1] : [4, 3, 0.75];
    svgAttr(g, { transform: `translate(${x},${y}) scale(${scale})` });
    svgAppend(parent, g);
  }
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

const isNode = (element) => element && (element.type === "function" || element.type === "gate");

// What the person may do to the graph: link two different nodes, resize
// and move nodes, bend links. Whether the card lets them is the designer's
// to say; these only keep the drawing from offering what makes no sense.
function ProcessRules(eventBus) {
  RuleProvider.call(this, eventBus);
}
ProcessRules.prototype = Object.create(RuleProvider.prototype);
ProcessRules.$inject = ["eventBus"];
ProcessRules.prototype.init = function () {
  this.addRule("connection.create", ({ source, target }) =>
    isNode(source) && isNode(target) && source !== target ? { type: "link" } : false);
  this.addRule("shape.resize", ({ shape }) => isNode(shape));
  this.addRule("elements.move", ({ shapes }) => shapes.every((s) => isNode(s) || s.type === "link"));
  this.addRule("connection.updateWaypoints", () => true);
  this.addRule("connection.reconnect", () => false);
};

// The pad beside a selected node: link it to another node (click, then
// click the other; or drag to it) and delete it.
function PadProvider(contextPad, connect, config) {
  const onRemove = config.onRemove;
  contextPad.registerProvider(this);
  this.entries = (element) => {
    const entries = {};
    if (isNode(element)) {
      const start = (event) => connect.start(event, element);
      entries.connect = { group: "edit", className: "pad-connect", title: "Connect", html: '<div class="entry">→</div>',
                          action: { click: start, dragstart: start } };
      entries.type = { group: "edit", className: "pad-type", title: "Change type", html: '<div class="entry">⇄</div>',
                       action: { click: (event) => config.onType(element.data, event.clientX, event.clientY) } };
    }
    entries.delete = { group: "edit", className: "pad-delete", title: "Delete", html: '<div class="entry">✕</div>',
                       action: { click: () => onRemove([element]) } };
    return entries;
  };
}
PadProvider.$inject = ["contextPad", "connect", "config.pad"];
PadProvider.prototype.getContextPadEntries = function (element) {
  return this.entries(element);
};

const EditingModule = {
  __init__: ["processRules", "padProvider"],
  processRules: ["type", ProcessRules],
  padProvider: ["type", PadProvider],
};

// A route as the card stores a link's points: "x,y;x,y;...".
const pointsText = (waypoints) => waypoints.map((p) => `${Math.round(p.x)},${Math.round(p.y)}`).join(";");

// A layered layout of `graph`'s nodes (all, or those whose IDs `only`
// holds) with the links between them, top to bottom: the place of each
// node as a list of moves. A part laid out keeps its top-left corner where
// it was.
export function tidyUp(graph, only = null) {
  const keep = (n) => !only || only.has(n.id);
  const nodes = graph.nodes.filter(keep);
  if (nodes.length === 0) return [];
  const g = new dagre.graphlib.Graph({ multigraph: true });
  g.setGraph({ rankdir: "TB", nodesep: 40, ranksep: 60, marginx: 0, marginy: 0 });
  g.setDefaultEdgeLabel(() => ({}));
  for (const n of nodes) g.setNode(n.id, { width: n.width, height: n.height });
  for (const l of graph.links) {
    if (l.source !== l.target && g.hasNode(l.source) && g.hasNode(l.target)) g.setEdge(l.source, l.target, {}, l.id);
  }
  dagre.layout(g);
  const left = Math.min(...nodes.map((n) => n.x)), top = Math.min(...nodes.map((n) => n.y));
  return nodes.map((n) => {
    const placed = g.node(n.id);
    return { op: "move", id: n.id, x: Math.round(left + placed.x - n.width / 2), y: Math.round(top + placed.y - n.height / 2) };
  });
}

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
// `handlers.edit` as a list of the designer's edits (made as one step),
// undo and redo to `handlers.undo` and `handlers.redo`, Ctrl+C (or X) to
// `handlers.copy` with the selected functions' IDs, Ctrl+V to
// `handlers.paste` with the point on the graph, the pad's "change type"
// to `handlers.changeType` with the node and the pointer, a change of the
// selection to `handlers.select` (the selected elements' data); the
// designer decides, and the graph it sends back is what the view then
// shows. `handlers.linkType()` is the type a new link gets.
export function createView(container, handlers = {}) {
  const on = { edit() {}, undo() {}, redo() {}, select() {}, find() {}, copy() {}, paste() {}, changeType() {}, linkType: () => 0, ...handlers };
  const readOnly = () => container.classList.contains("read-only");
  const state = { zoom: null, drawn: 0, extent: null, graph: { nodes: [], links: [] }, markers: [] };
  const removeElements = (elements) => {
    if (readOnly() || elements.length === 0) return;
    // A node's links go with it: only what is left after the nodes is asked for.
    const nodes = new Set(elements.filter(isNode).map((el) => el.id));
    const edits = [];
    for (const el of elements) {
      if (el.type === "link" && (nodes.has(el.source?.id) || nodes.has(el.target?.id))) continue;
      edits.push({ op: "remove", id: el.id });
    }
    on.edit(edits);
  };
  const diagram = new Diagram({
    canvas: { container, deferUpdate: false },
    gridSnapping: { active: true },
    pad: { onRemove: removeElements, onType: (node, x, y) => { if (!readOnly()) on.changeType(node, x, y); } },
    modules: [RendererModule, InteractionEventsModule, ModelingModule, MoveModule, MoveCanvasModule, ZoomScrollModule,
              RulesModule, ConnectModule, ResizeModule, LassoToolModule, BendpointsModule, ContextPadModule,
              OverlaysModule, SnappingModule, GridSnappingModule, EditingModule],
  });
  const canvas = diagram.get("canvas");
  const factory = diagram.get("elementFactory");
  const events = diagram.get("eventBus");
  const selection = diagram.get("selection");
  const registry = diagram.get("elementRegistry");
  const overlays = diagram.get("overlays");
  addArrowMarker(canvas._svg);
  canvas._svg.setAttribute("tabindex", "0");
  // A function or a gate is hit where it is drawn (its outline is filled);
  // only links, thin as they are, get the wider invisible line that takes
  // the pointer. A hit box per shape would be 10,000 more elements to lay
  // out in a large process.
  events.on("interactionEvents.createHit", 1500, ({ element }) => {
    if (element.type !== "link") return false;
  });
  // A read-only view lets nothing be picked up, resized or linked.
  events.on("element.mousedown", 1600, ({ element }) => {
    if (readOnly() && element !== canvas.getRootElement()) return false;
  });
  // Shift and a click add to the selection (or take away), as Ctrl does.
  events.on("element.click", 1600, ({ element, originalEvent }) => {
    if (!originalEvent?.shiftKey || element === canvas.getRootElement()) return;
    if (selection.isSelected(element)) selection.deselect(element);
    else selection.select(element, true);
    return false;
  });
  events.on("selection.changed", ({ newSelection }) => on.select(newSelection.map((el) => el.data)));

  // What the person did on the canvas, told to the designer. The local
  // change is a preview; the graph the designer sends back replaces it.
  const after = (command, handler) => events.on(`commandStack.${command}.postExecuted`, ({ context }) => {
    if (!readOnly()) handler(context);
  });
  after("elements.move", ({ shapes }) => {
    const moves = shapes.filter(isNode).map((s) => ({ op: "move", id: s.id, x: Math.round(s.x), y: Math.round(s.y) }));
    if (moves.length) on.edit(moves);
  });
  after("shape.resize", ({ shape, newBounds }) => {
    on.edit([{ op: "move", id: shape.id, x: Math.round(newBounds.x), y: Math.round(newBounds.y) },
             { op: "resize", id: shape.id, width: Math.round(newBounds.width), height: Math.round(newBounds.height) }]);
  });
  after("connection.create", ({ connection, source, target }) => {
    on.edit([{ op: "connect", from: source.id, to: target.id, linkType: on.linkType() }]);
    // Taken out again at once: the designer's graph brings the link with its ID.
    setTimeout(() => { if (registry.get(connection.id)) canvas.removeConnection(connection); });
  });
  after("connection.updateWaypoints", ({ connection, newWaypoints }) => {
    on.edit([{ op: "set", id: connection.id, field: "Points", value: pointsText(newWaypoints) }]);
  });

  // The keyboard, while the canvas has the focus.
  canvas._svg.addEventListener("keydown", (e) => {
    const ctrl = e.ctrlKey || e.metaKey;
    const key = e.key.length === 1 ? e.key.toLowerCase() : e.key;
    const selected = selection.get();
    if (ctrl && key === "z" && !e.shiftKey) on.undo();
    else if (ctrl && (key === "y" || (key === "z" && e.shiftKey))) on.redo();
    else if (ctrl && key === "a") selection.select(registry.filter((el) => isNode(el) || el.type === "link"));
    else if (ctrl && key === "f") on.find();
    else if (ctrl && (key === "c" || key === "x") && selected.some(isNode)) {
      on.copy(selected.filter((el) => el.type === "function").map((el) => el.id));
      if (key === "x") removeElements(selected);
    } else if (ctrl && key === "v" && !readOnly()) on.paste(state.pointer ?? centre());
    else if (key === "Delete" || key === "Backspace") removeElements(selected);
    else if (key.startsWith("Arrow") && !readOnly() && selected.some(isNode)) {
      // Ten points a press, one with Shift.
      const step = e.shiftKey ? 1 : 10;
      const [dx, dy] = { ArrowLeft: [-step, 0], ArrowRight: [step, 0], ArrowUp: [0, -step], ArrowDown: [0, step] }[key];
      on.edit(selected.filter(isNode).map((s) => ({ op: "move", id: s.id, x: s.x + dx, y: s.y + dy })));
    } else return;
    e.preventDefault();
  });

  // Where the pointer was last over the graph: where a paste goes.
  container.addEventListener("mousemove", (e) => { state.pointer = toGraph(e.clientX, e.clientY); });
  container.addEventListener("mouseleave", () => { state.pointer = null; });
  const centre = () => {
    const rect = container.getBoundingClientRect();
    return toGraph(rect.left + rect.width / 2, rect.top + rect.height / 2);
  };

  // The scale as the person left it (wheel, pinch, fit), for whoever reads it.
  events.on("canvas.viewbox.changed", ({ viewbox }) => {
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

  const nodeAttrs = (n) => ({ type: n.kind, caption: n.caption, data: n, x: n.x, y: n.y,
                              width: Math.max(1, n.width), height: Math.max(1, n.height) });
  const linkAttrs = (l) => ({ caption: l.caption, linkType: l.type, disabled: l.disabled, data: l,
                              waypoints: l.points.map(([x, y]) => ({ x, y })) });
  const removeElement = (el) => {
    if (el.type === "link") {
      canvas.removeConnection(el);
      el.source = null;
      el.target = null;
    } else {
      canvas.removeShape(el);
    }
  };

  // Draws `graph` (the designer's): the canvas ends as a drawing of it from
  // scratch would, the view and the selection kept. After the first
  // drawing only what differs from the graph drawn before is drawn again,
  // added or taken away, so that an edit of one node of a large process
  // costs about that node.
  function show(graph) {
    const first = state.drawn === 0;
    state.graph = graph;
    state.extent = extentOf(graph);
    // The view is placed while the canvas is empty: placing it after the
    // shapes are in would make the browser lay every one of them out an
    // extra time.
    if (first) showFromCorner(state.zoom ?? 1);
    // IDs are the graph's: one that repeats is drawn once; a link needs two
    // points.
    const nodes = new Map(), links = new Map();
    for (const n of graph.nodes) if (!nodes.has(n.id)) nodes.set(n.id, n);
    for (const l of graph.links) if (!nodes.has(l.id) && !links.has(l.id) && l.points.length >= 2) links.set(l.id, l);
    // What is no longer there, or no longer the same kind of element or
    // between the same nodes, goes; links first, then nodes.
    const staleNodes = registry.filter((el) => isNode(el) && nodes.get(el.id)?.kind !== el.type);
    const gone = new Set(staleNodes);
    const staleLinks = registry.filter((el) => {
      if (el.type !== "link") return false;
      const l = links.get(el.id);
      return !l || el.source?.id !== l.source || el.target?.id !== l.target || gone.has(el.source) || gone.has(el.target);
    });
    for (const el of [...staleLinks, ...staleNodes]) removeElement(el);
    // An element is the same when its data and where it is drawn are: a
    // move or a resize the person previewed that the designer did not make
    // is put back.
    const sameData = (el, data) => JSON.stringify(el.data) === JSON.stringify(data);
    const sameNode = (el, n) => el.x === n.x && el.y === n.y && el.width === Math.max(1, n.width) &&
                                el.height === Math.max(1, n.height) && sameData(el, n);
    const sameLink = (el, l) => el.waypoints.length === l.points.length &&
                                el.waypoints.every((p, i) => p.x === l.points[i][0] && p.y === l.points[i][1]) && sameData(el, l);
    const changed = [];
    for (const n of nodes.values()) {
      const el = registry.get(n.id);
      if (!el) canvas.addShape(factory.createShape({ id: n.id, ...nodeAttrs(n) }));
      else if (sameNode(el, n)) el.data = n;
      else changed.push(Object.assign(el, nodeAttrs(n)));
    }
    for (const l of links.values()) {
      const el = registry.get(l.id);
      if (!el) {
        canvas.addConnection(factory.createConnection({ id: l.id, type: "link", ...linkAttrs(l),
                                                        source: registry.get(l.source), target: registry.get(l.target) }));
      } else if (sameLink(el, l)) {
        el.data = l;
      } else {
        changed.push(Object.assign(el, linkAttrs(l)));
      }
    }
    if (changed.length) events.fire("elements.changed", { elements: changed });
    // The selection (what is still there of it) shows the new data.
    const selected = selection.get();
    if (selected.length) on.select(selected.map((el) => el.data));
    setFindings(state.markers);
    state.drawn += 1;
    container.dataset.drawn = String(state.drawn);
    // Known without asking the canvas, which would lay the drawing out.
    if (first) container.dataset.zoom = String(state.zoom ?? 1);
  }

  // A marker on each element a finding names, with its message; the first
  // 500 only, so that a graph with thousands of findings stays usable (the
  // list beside it has them all).
  function setFindings(findings) {
    state.markers = findings ?? [];
    overlays.remove({ type: "finding" });
    const messages = new Map();
    for (const f of state.markers) {
      if (f.id && registry.get(f.id)) messages.set(f.id, [...(messages.get(f.id) ?? []), f.message]);
    }
    let shown = 0;
    for (const [id, list] of messages) {
      if (++shown > 500) break;
      const marker = document.createElement("div");
      marker.className = "finding-marker";
      marker.textContent = "!";
      marker.title = list.join("\n");
      const element = registry.get(id);
      const position = element.waypoints ? { top: -10, left: -10 } : { top: -8, right: 8 };
      overlays.add(id, "finding", { position, html: marker });
    }
  }

  // Follows the designer's drawing state. It touches the canvas only when
  // the scale changes: asking the canvas anything while the page is busy
  // with the window would make the browser lay out every shape again.
  function setView(view) {
    if (!view) return;
    container.classList.toggle("no-link-text", view.linkText === false);
    if (!!view.readOnly !== readOnly()) {
      container.classList.toggle("read-only", !!view.readOnly);
      if (view.readOnly) diagram.get("contextPad").close();
    }
    if (view.zoom && view.zoom !== state.zoom) {
      const before = state.zoom;
      state.zoom = view.zoom;
      // The toolbar's zoom keeps the middle of the view where it is.
      if (before !== null && state.drawn > 0) canvas.zoom(view.zoom);
      else if (state.drawn > 0) showFromCorner(view.zoom);
      container.dataset.zoom = String(view.zoom);
    }
  }

  // `box` in view, centred, never larger than 100%.
  function showBox(e) {
    const outer = canvas.getSize();
    if (!e || outer.width <= 0 || outer.height <= 0) return;
    const width = e.width + 2 * MARGIN, height = e.height + 2 * MARGIN;
    const scale = Math.min(1, outer.width / width, outer.height / height);
    const w = outer.width / scale, h = outer.height / scale;
    canvas.viewbox({ x: e.x - MARGIN - (w - width) / 2, y: e.y - MARGIN - (h - height) / 2, width: w, height: h });
  }

  // The whole graph in view. Measured from the graph's data rather than
  // from the drawing, which would make the browser lay out every shape.
  function fit() {
    showBox(state.extent);
  }

  // The selected elements in view (the whole graph when none is selected).
  function fitSelection() {
    const chosen = selection.get();
    if (chosen.length === 0) return fit();
    showBox(extentOf({ nodes: chosen.filter(isNode).map((el) => el.data),
                       links: chosen.filter((el) => el.type === "link").map((el) => el.data) }));
  }

  // Selects the element of that ID and brings it into view.
  function reveal(id) {
    const element = registry.get(id);
    if (!element) return;
    selection.select(element);
    const box = canvas.viewbox();
    const data = element.data;
    const [x, y] = isNode(element) ? [data.x + data.width / 2, data.y + data.height / 2] : data.points[0];
    canvas.viewbox({ x: x - box.width / 2, y: y - box.height / 2, width: box.width, height: box.height });
    canvas._svg.focus();
  }

  // A point of the page (a pointer's client coordinates) on the graph.
  function toGraph(clientX, clientY) {
    const box = canvas.viewbox();
    const rect = container.getBoundingClientRect();
    return { x: box.x + (clientX - rect.left) / box.scale, y: box.y + (clientY - rect.top) / box.scale };
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
  return {
    show, setView, setFindings, fit, fitSelection, reveal, toGraph, canvas, diagram,
    get drawn() { return state.drawn; },
    get graph() { return state.graph; },
    selected: () => selection.get().map((el) => el.id),
    tidyUp: (onlySelected) => {
      const chosen = selection.get().filter(isNode).map((el) => el.id);
      return tidyUp(state.graph, onlySelected && chosen.length > 1 ? new Set(chosen) : null);
    },
  };
}
