// The designer's editor around the view: the palette the person adds
// nodes from (drag onto the canvas, or click to add in the middle of the
// view), the type a new link gets, undo and redo, tidy-up, search, the
// properties of what is selected, the findings of the graph and a minimap.
// Every change goes to the designer in the server as a list of edits; the
// page shows the graph the designer sends back.
"use strict";

const editor = { palette: { functions: [], gates: [] }, selected: [], findings: [], hits: [], hit: -1, linkType: 0, canUndo: false, canRedo: false };

// What the server last refused stays in the status line until the next
// edit is sent.
function edit(edits) {
  if (!edits.length) return;
  if (card.refused && $("note").textContent === card.refused) note("");
  send({ type: "edit", op: "apply", edits });
}

function editorHandlers() {
  return {
    edit,
    undo: () => send({ type: "edit", op: "undo" }),
    redo: () => send({ type: "edit", op: "redo" }),
    select: (data) => { editor.selected = data; drawProperties(); },
    find: () => { $("search").focus(); $("search").select(); },
    copy: (ids) => { if (ids.length) send({ type: "edit", op: "copy", ids }); },
    paste: async (at) => {
      // The clipboard is the browser's storage of this server: it is there
      // in every tab, whichever process it shows.
      const part = localStorage.getItem("vorlane.clipboard");
      if (!part) return;
      const sent = await fetch("/upload?name=part.xml", { method: "POST", body: part });
      send({ type: "edit", op: "paste", upload: (await sent.json()).upload, x: Math.round(at.x), y: Math.round(at.y) });
    },
    changeType: showTypeMenu,
    linkType: () => editor.linkType,
  };
}

// The types a node may take (of its kind, from the palette), as a menu at
// the pointer; the one chosen is an edit of the node's type.
function showTypeMenu(node, x, y) {
  const menu = $("type-menu");
  const types = node.kind === "function" ? editor.palette.functions : editor.palette.gates;
  menu.replaceChildren(...types.map((t) => {
    const item = Object.assign(document.createElement("button"), { type: "button", textContent: t.name, role: "menuitem" });
    item.classList.toggle("current", t.id.toUpperCase() === String(node.type).toUpperCase());
    item.addEventListener("click", () => {
      menu.hidden = true;
      if (!item.classList.contains("current")) edit([{ op: "set", id: node.id, field: "TypeID", value: t.id }]);
    });
    return item;
  }));
  menu.style.left = `${x}px`;
  menu.style.top = `${y}px`;
  menu.hidden = false;
  menu.querySelector("button")?.focus();
}

function setupEditor() {
  const area = $("designer");
  // A type dragged from the palette is added where it is dropped.
  area.addEventListener("dragover", (e) => {
    if (e.dataTransfer.types.includes("application/x-vorlane-type")) e.preventDefault();
  });
  area.addEventListener("drop", (e) => {
    const type = e.dataTransfer.getData("application/x-vorlane-type");
    if (!type) return;
    e.preventDefault();
    const { kind, id } = JSON.parse(type);
    const at = card.view.toGraph(e.clientX, e.clientY);
    addNode(kind, id, at.x, at.y);
  });
  for (const input of document.querySelectorAll("input[name=link-type]")) {
    input.addEventListener("change", () => { editor.linkType = Number(input.value); });
  }
  $("undo").addEventListener("click", () => send({ type: "edit", op: "undo" }));
  $("redo").addEventListener("click", () => send({ type: "edit", op: "redo" }));
  $("tidy").addEventListener("click", () => edit(card.view.tidyUp(true)));
  $("fit-selection").addEventListener("click", () => card.view.fitSelection());
  $("search").addEventListener("input", () => search($("search").value));
  $("search").addEventListener("keydown", (e) => {
    if (e.key === "Enter") { e.preventDefault(); nextHit(e.shiftKey ? -1 : 1); }
    if (e.key === "Escape") { $("search").value = ""; search(""); card.view.canvas._svg.focus(); }
  });
  // Ctrl+F finds in the process wherever the focus is on the card page.
  document.addEventListener("keydown", (e) => {
    if ((e.ctrlKey || e.metaKey) && e.key.toLowerCase() === "f" && !$("ask").open) {
      e.preventDefault();
      $("search").focus();
      $("search").select();
    }
  });
  $("properties").addEventListener("submit", (e) => e.preventDefault());
  $("compare").addEventListener("click", openCompare);
  // The type menu closes with Escape or a click elsewhere.
  document.addEventListener("mousedown", (e) => { if (!$("type-menu").contains(e.target)) $("type-menu").hidden = true; });
  $("type-menu").addEventListener("keydown", (e) => { if (e.key === "Escape") $("type-menu").hidden = true; });
  $("add-variable").addEventListener("click", () => {
    const names = new Set((card.view.graph.variables ?? []).map((v) => v.name));
    let n = 1;
    while (names.has(`Variable${n}`)) n += 1;
    edit([{ op: "add", kind: "variable", name: `Variable${n}`, varType: 3 }]);
  });
  $("difference-previous").addEventListener("click", () => stepDifference(-1));
  $("difference-next").addEventListener("click", () => stepDifference(1));
  $("differences-close").addEventListener("click", () => { editor.comparison = null; drawComparison(); });
  setupMinimap();
}

// The node's middle or, with a drop, its top-left corner at the point.
function addNode(kind, type, x, y) {
  const [w, h] = kind === "gate" ? [64, 64] : [120, 60];
  edit([{ op: "add", kind, type, x: Math.round(x - w / 2), y: Math.round(y - h / 2) }]);
}

// A standard type's picture, as the graph draws it; a type of the
// dictionary's own gets the plain picture of its kind.
function typePicture(kind, type) {
  const picture = DesignerView.typePicture(type.id);
  if (!picture) return Object.assign(document.createElement("span"), { className: `palette-icon ${kind}${type.start ? " start" : ""}` });
  const svg = document.createElementNS("http://www.w3.org/2000/svg", "svg");
  svg.setAttribute("class", "palette-picture");
  svg.setAttribute("viewBox", "0 0 24 18");
  svg.setAttribute("aria-hidden", "true");
  svg.innerHTML = picture;
  return svg;
}

function drawPalette(palette) {
  if (JSON.stringify(palette) === JSON.stringify(editor.palette)) return;
  editor.palette = palette;
  for (const [kind, list] of [["function", palette.functions], ["gate", palette.gates]]) {
    const ul = $(`palette-${kind}s`);
    ul.replaceChildren();
    for (const t of list) {
      const button = Object.assign(document.createElement("button"), { type: "button", draggable: true, className: `palette-${kind}` });
      button.dataset.type = t.id;
      button.append(typePicture(kind, t), t.name);
      button.title = t.name;
      button.addEventListener("dragstart", (e) => {
        e.dataTransfer.setData("application/x-vorlane-type", JSON.stringify({ kind, id: t.id }));
        e.dataTransfer.effectAllowed = "copy";
      });
      button.addEventListener("click", () => {
        const rect = $("designer").getBoundingClientRect();
        const at = card.view.toGraph(rect.left + rect.width / 2, rect.top + rect.height / 2);
        addNode(kind, t.id, at.x, at.y);
      });
      const li = document.createElement("li");
      li.append(button);
      ul.append(li);
    }
  }
}

function setEditorState(view) {
  if (!view) return;
  $("undo").disabled = !view.canUndo || !!view.readOnly;
  $("redo").disabled = !view.canRedo || !!view.readOnly;
  $("tidy").disabled = !!view.readOnly;
  $("palette").classList.toggle("read-only", !!view.readOnly);
  if (editor.readOnly !== !!view.readOnly) {
    editor.readOnly = !!view.readOnly;
    drawProperties();
    drawVariables();
  }
}

// A graph came: the palette, the findings and the properties follow it.
function graphShown(m) {
  if (m.palette) drawPalette(m.palette);
  editor.findings = m.findings ?? [];
  card.view.setFindings(editor.findings);
  drawFindings();
  drawProperties();
  drawVariables();
  if ($("search").value) search($("search").value, true);
  markDifferences();
  editor.viewbox = card.view.canvas.viewbox();  // just placed by the drawing: no layout to ask it
  drawMinimap();
}

// ---- properties ---------------------------------------------------------------

const LINK_TYPES = ["success", "failure", "completion"];

// The fields of the one selected element, or of the process when nothing
// is selected; each change is an edit of its own.
function drawProperties() {
  const box = $("properties");
  const graph = card.view?.graph;
  if (!graph) return;
  const chosen = editor.selected.length === 1 ? editor.selected[0] : null;
  // What the person is typing in stays as they typed it; every other field
  // shows what the designer holds (a refused value goes back).
  const focused = document.activeElement && box.contains(document.activeElement) ? document.activeElement : null;
  const rows = [];
  let id = null;
  let heading;
  if (editor.selected.length > 1) {
    heading = `${editor.selected.length} ${word("selected")}`;
  } else if (!chosen) {
    heading = word("process");
    const p = graph.process ?? {};
    rows.push(["Name", "name", "text", p.name], ["Description", "description", "area", p.description],
              ["Priority", "priority", "number", p.priority], ["Responsible", "responsible", "text", p.responsible],
              ["DocTypes", "docTypes", "lines", (p.docTypes ?? []).join("\n")]);
  } else if (chosen.kind) {
    id = chosen.id;
    // The node as the designer sent it last (the selection's data may be older).
    const node = graph.nodes.find((n) => n.id === id) ?? chosen;
    heading = word(chosen.kind);
    const types = chosen.kind === "function" ? editor.palette.functions : editor.palette.gates;
    // The type's settings as their text (a type's own settings editor is a
    // program of the desktop, not of the page).
    rows.push(["Caption", "caption", "text", node.caption], ["Description", "description", "area", node.description],
              ["TypeID", "type", "select", node.type, types.map((t) => [t.id, t.name])],
              ["Data", "settings", "area", node.settings ?? ""]);
  } else {
    id = chosen.id;
    const link = graph.links.find((l) => l.id === id) ?? chosen;
    heading = word("link");
    rows.push(["Caption", "caption", "text", link.caption], ["Description", "description", "area", link.description],
              ["LinkType", "linkType", "select", link.type, LINK_TYPES.map((t, i) => [i, word(t)])],
              ["Disabled", "disabled", "check", link.disabled]);
  }
  box.replaceChildren();
  const h = Object.assign(document.createElement("h2"), { textContent: heading });
  box.append(h);
  for (const [field, label, kind, value, options] of rows) {
    const row = document.createElement("label");
    row.append(Object.assign(document.createElement("span"), { textContent: word(label) }));
    let input;
    if (kind === "area" || kind === "lines") input = document.createElement("textarea");
    else if (kind === "select") {
      input = document.createElement("select");
      const known = options.some(([v]) => String(v).toUpperCase() === String(value).toUpperCase());
      if (!known) input.append(new Option(String(value ?? ""), String(value ?? "")));
      for (const [v, text] of options) input.append(new Option(text, String(v), false, String(v).toUpperCase() === String(value).toUpperCase()));
    } else input = Object.assign(document.createElement("input"), { type: kind === "check" ? "checkbox" : kind });
    input.name = field;
    if (kind === "check") input.checked = !!value;
    else if (kind !== "select") input.value = value ?? "";
    input.disabled = !!editor.readOnly;
    if (kind === "lines") input.placeholder = input.title = word("docTypesPerLine");
    input.addEventListener("change", () => {
      // The document types go to the designer as one list.
      if (kind === "lines") return edit([{ op: "docTypes", docTypes: input.value.split("\n").map((l) => l.trim()).filter(Boolean) }]);
      let v = kind === "check" ? input.checked : input.value;
      if (kind === "number" || field === "LinkType") v = Number(v);
      const change = { op: "set", field, value: v };
      if (id) change.id = id;
      edit([change]);
    });
    row.append(input);
    box.append(row);
  }
  const again = focused && box.querySelector(`[name="${focused.name}"]`);
  if (again) {
    if (again.type !== "checkbox" && again.tagName !== "SELECT") again.value = focused.value;
    again.focus();
  }
}

// The process's variables: name, type and value, each change an edit; a
// value that does not fit the type is refused by the designer with a
// message of its own.
const ENUM_TYPE = 6;

// Under a variable's row: whether it takes several values, and then its
// values, one per line; an enumeration's values, one "number = text" per
// line (a line without a number takes the one after the largest). Each list
// goes to the designer whole.
function drawVariableLists(body, v) {
  const row = body.insertRow();
  row.className = "lists";
  row.dataset.id = v.id;
  const cell = row.insertCell();
  cell.colSpan = 4;
  const several = Object.assign(document.createElement("input"), { type: "checkbox", name: "IsMultipleValued", checked: !!v.multiple });
  several.disabled = !!editor.readOnly;
  several.addEventListener("change", () => edit([{ op: "set", id: v.id, field: "IsMultipleValued", value: several.checked }]));
  const label = document.createElement("label");
  label.append(several, " ", word("severalValues"));
  cell.append(label);
  const area = (name, text, title, send) => {
    const input = Object.assign(document.createElement("textarea"), { name, value: text, title, placeholder: title, rows: 2 });
    input.disabled = !!editor.readOnly;
    input.addEventListener("change", () => send(input.value.split("\n").map((l) => l.trim()).filter(Boolean)));
    const caption = document.createElement("label");
    caption.append(title, input);
    cell.append(caption);
  };
  if (v.multiple) area("Values", (v.values ?? []).join("\n"), word("valuesPerLine"), (values) => edit([{ op: "values", id: v.id, values }]));
  if (v.type === ENUM_TYPE) {
    area("EnumValues", (v.enumValues ?? []).map((e) => `${e.number} = ${e.text}`).join("\n"), word("enumValuesPerLine"), (lines) => {
      const entries = [];
      for (const line of lines) {
        const m = line.match(/^(-?\d+)\s*=\s*(.*)$/);
        const number = m ? Number(m[1]) : Math.max(0, ...entries.map((e) => e.number)) + 1;
        const text = (m ? m[2] : line).trim();
        if (!text) return note(word("enumLineBad") + line);
        entries.push({ text, number });
      }
      edit([{ op: "enumValues", id: v.id, enumValues: entries }]);
    });
  }
}

function drawVariables() {
  const body = $("variables").tBodies[0];
  const variables = card.view.graph.variables ?? [];
  // As the properties: the field being typed in stays, the others follow
  // the designer.
  const active = body.contains(document.activeElement) ? document.activeElement : null;
  const focused = active ? [active.closest("tr")?.dataset.id, active.name, active.value] : null;
  body.replaceChildren();
  const types = word("varTypes").split("|");
  for (const v of variables) {
    const row = body.insertRow();
    row.dataset.id = v.id;
    const cell = (input, field, read) => {
      input.name = field;
      input.disabled = !!editor.readOnly;
      input.addEventListener("change", () => edit([{ op: "set", id: v.id, field, value: read(input) }]));
      row.insertCell().append(input);
    };
    cell(Object.assign(document.createElement("input"), { value: v.name, title: word("name") }), "Name", (i) => i.value);
    const type = document.createElement("select");
    types.forEach((t, i) => type.append(new Option(t, String(i), false, i === v.type)));
    cell(type, "VarType", (i) => Number(i.value));
    // An enumeration's value is chosen among its values.
    const value = v.type === ENUM_TYPE ? document.createElement("select") : document.createElement("input");
    if (v.type === ENUM_TYPE) {
      value.append(new Option("", ""));
      for (const e of v.enumValues ?? []) value.append(new Option(e.text, e.text));
    }
    value.value = v.value;
    value.title = word("value");
    cell(value, "Value", (i) => i.value);
    value.disabled ||= !!v.multiple;
    const remove = Object.assign(document.createElement("button"), { type: "button", textContent: "✕", title: word("remove") });
    remove.disabled = !!editor.readOnly;
    remove.addEventListener("click", () => edit([{ op: "remove", id: v.id }]));
    row.insertCell().append(remove);
    drawVariableLists(body, v);
  }
  $("add-variable").disabled = !!editor.readOnly;
  const again = focused && body.querySelector(`tr[data-id="${focused[0]}"] [name="${focused[1]}"]`);
  if (again) {
    if (again.tagName !== "SELECT") again.value = focused[2];
    again.focus();
  }
}

// ---- findings and search ---------------------------------------------------------

function drawFindings() {
  const list = $("findings-list");
  list.replaceChildren();
  $("findings-count").textContent = String(editor.findings.length);
  const names = new Map([...card.view.graph.nodes.map((n) => [n.id, n.caption]), ...card.view.graph.links.map((l) => [l.id, l.caption])]);
  // The first thousand; a process with more has bigger troubles than a long list.
  for (const f of editor.findings.slice(0, 1000)) {
    const li = document.createElement("li");
    const button = Object.assign(document.createElement("button"), { type: "button" });
    button.textContent = f.id ? `${names.get(f.id) || f.id}: ${f.message}` : f.message;
    if (f.id) button.addEventListener("click", () => card.view.reveal(f.id));
    li.append(button);
    list.append(li);
  }
}

// Captions and descriptions of nodes and links, and the names of
// variables; the view moves to the first hit, Enter to the next.
function search(text, keep = false) {
  const needle = text.trim().toLowerCase();
  const graph = card.view.graph;
  const hits = [];
  if (needle) {
    for (const n of graph.nodes) if (`${n.caption}\n${n.description ?? ""}`.toLowerCase().includes(needle)) hits.push({ id: n.id });
    for (const l of graph.links) if (`${l.caption}\n${l.description ?? ""}`.toLowerCase().includes(needle)) hits.push({ id: l.id });
    for (const v of graph.variables ?? []) if (v.name.toLowerCase().includes(needle)) hits.push({ variable: v.name });
  }
  editor.hits = hits;
  const variables = hits.filter((h) => h.variable).map((h) => h.variable);
  $("search-count").textContent = needle ? `${hits.filter((h) => h.id).length}${variables.length ? ` + ${word("variablesHeading")}: ${variables.join(", ")}` : ""}` : "";
  if (!keep) {
    editor.hit = -1;
    nextHit(1, false);
  }
}

function nextHit(step, focus = true) {
  const nodes = editor.hits.filter((h) => h.id);
  if (nodes.length === 0) return;
  editor.hit = (editor.hit + step + nodes.length) % nodes.length;
  card.view.reveal(nodes[editor.hit].id);
  if (!focus) $("search").focus();
}

// ---- minimap ---------------------------------------------------------------------

// The whole graph small, with the part in view outlined; a click there
// moves the view to that place.
function setupMinimap() {
  const map = $("minimap");
  // The view's box as the canvas tells it: asking the canvas would make the
  // browser lay out the drawing.
  card.view.diagram.get("eventBus").on("canvas.viewbox.changed", ({ viewbox }) => {
    editor.viewbox = viewbox;
    requestAnimationFrame(drawMinimap);
  });
  map.addEventListener("click", (e) => {
    const at = map.mapping;
    if (!at) return;
    const rect = map.getBoundingClientRect();
    const x = at.x + (e.clientX - rect.left) / at.scale, y = at.y + (e.clientY - rect.top) / at.scale;
    const box = card.view.canvas.viewbox();
    card.view.canvas.viewbox({ x: x - box.width / 2, y: y - box.height / 2, width: box.width, height: box.height });
  });
}

function drawMinimap() {
  const map = $("minimap");
  const graph = card.view.graph;
  const ctx = map.getContext("2d");
  ctx.clearRect(0, 0, map.width, map.height);
  const box = editor.viewbox;
  if (!graph.nodes.length || !box) return;
  // The graph and the part in view, both whole.
  let left = box.x, top = box.y, right = box.x + box.width, bottom = box.y + box.height;
  for (const n of graph.nodes) {
    left = Math.min(left, n.x); top = Math.min(top, n.y);
    right = Math.max(right, n.x + n.width); bottom = Math.max(bottom, n.y + n.height);
  }
  const scale = Math.min(map.width / (right - left + 40), map.height / (bottom - top + 40));
  const x0 = left - 20, y0 = top - 20;
  map.mapping = { x: x0, y: y0, scale };
  ctx.fillStyle = "#90a4ae";
  for (const n of graph.nodes) ctx.fillRect((n.x - x0) * scale, (n.y - y0) * scale, Math.max(1, n.width * scale), Math.max(1, n.height * scale));
  ctx.strokeStyle = "#1565c0";
  ctx.lineWidth = 1.5;
  ctx.strokeRect((box.x - x0) * scale, (box.y - y0) * scale, box.width * scale, box.height * scale);
}

// ---- comparing -------------------------------------------------------------------

// Asks what to compare the process with: another process of the store, or
// an exported file (uploaded first). The server answers with the
// differences, the card's process being the newer side. The dialog opens at
// once and its list of processes fills in when the store has answered, so
// a file chosen meanwhile is kept.
function openCompare() {
  const dialog = $("compare-dialog");
  if (dialog.open) return;
  const select = $("compare-process");
  select.replaceChildren(new Option("", ""));
  $("compare-file").value = "";
  dialog.returnValue = "";
  dialog.show();
  $("veil").hidden = false;
  fetch("/api/processes").then((r) => r.json()).then((list) => {
    for (const p of [...list.templates, ...list.instances]) select.append(new Option(p.name || p.id, p.id));
  });
  dialog.addEventListener("close", async () => {
    $("veil").hidden = true;
    if (dialog.returnValue !== "compare") return;
    const file = $("compare-file").files[0];
    if (file) {
      const sent = await fetch("/upload?name=" + encodeURIComponent(file.name), { method: "POST", body: file });
      send({ type: "compare", upload: (await sent.json()).upload });
    } else if (select.value) {
      send({ type: "compare", with: select.value });
    }
  }, { once: true });
}

function copied(m) {
  localStorage.setItem("vorlane.clipboard", m.part);
}

function compared(m) {
  editor.comparison = { name: m.name, ...m.result };
  editor.difference = -1;
  drawComparison();
}

const MARKS = { added: "+", removed: "−", changed: "~", moved: "↔" };

function drawComparison() {
  const c = editor.comparison;
  $("differences").hidden = !c;
  markDifferences();
  if (!c) return;
  $("differences-with").textContent = `— ${c.name}`;
  $("differences-counts").textContent = c.differences.length === 0 ? word("noDifferences")
    : ["added", "removed", "changed", "moved"].map((k) => `${c.counts[k]} ${word(k)}`).join(", ");
  const list = $("differences-list");
  list.replaceChildren();
  c.differences.forEach((d, i) => {
    const li = document.createElement("li");
    li.className = `difference ${d.change}`;
    const button = Object.assign(document.createElement("button"), { type: "button" });
    const what = d.kind === "process" ? word("process") : `${word(d.kind)} ${d.caption || ends(d.id) || d.id}`;
    button.append(Object.assign(document.createElement("span"), { className: "mark", textContent: MARKS[d.change] }), ` ${what}`);
    button.title = d.fields.map((f) => `${f.name}: ${f.before} → ${f.after}`).join("\n");
    button.addEventListener("click", () => showDifference(i));
    li.append(button);
    if (d.fields.length) {
      const fields = Object.assign(document.createElement("div"), { className: "fields" });
      fields.textContent = d.fields.map((f) => f.name + (f.layout ? " ↔" : "")).join(", ");
      li.append(fields);
    }
    list.append(li);
  });
}

// A link without a caption is named by the nodes it joins, when it is on
// the graph.
function ends(id) {
  const graph = card.view.graph;
  const link = graph.links.find((l) => l.id.toUpperCase() === String(id).toUpperCase());
  if (!link) return "";
  const name = (nodeId) => graph.nodes.find((n) => n.id === nodeId)?.caption || nodeId;
  return `${name(link.source)} → ${name(link.target)}`;
}

// The added, changed and moved elements marked on the graph (the removed
// ones are no longer on it; the list has them).
function markDifferences() {
  const canvas = card.view.canvas;
  for (const [id, change] of editor.marked ?? []) canvas.removeMarker(id, `diff-${change}`);
  editor.marked = [];
  for (const d of editor.comparison?.differences ?? []) {
    const id = String(d.id).toUpperCase();
    if (d.change === "removed" || !card.view.diagram.get("elementRegistry").get(id)) continue;
    canvas.addMarker(id, `diff-${d.change}`);
    editor.marked.push([id, d.change]);
  }
}

function showDifference(i) {
  const c = editor.comparison;
  editor.difference = i;
  for (const [n, li] of [...$("differences-list").children].entries()) li.classList.toggle("current", n === i);
  const d = c.differences[i];
  if (d.id && d.change !== "removed") card.view.reveal(String(d.id).toUpperCase());
}

function stepDifference(step) {
  const c = editor.comparison;
  if (!c || c.differences.length === 0) return;
  showDifference((editor.difference + step + c.differences.length) % c.differences.length);
}
