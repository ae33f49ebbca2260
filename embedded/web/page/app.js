// The page of the web card host: the start page (the processes of the
// store) and the card page, which shows the window of a card control that
// runs in the server and answers its questions. Everything the card shows
// comes from the server; the page only draws it and sends the person's input.
"use strict";

const $ = (id) => document.getElementById(id);
const STATES = { template: ["editing", "inUse"], instance: ["notActive", "active", "paused", "finished", "failed"] };

function svgUrl(svg) {
  return URL.createObjectURL(new Blob([svg], { type: "image/svg+xml" }));
}

// ---- the start page ------------------------------------------------------------

async function startPage() {
  $("start").hidden = false;
  const list = await (await fetch("/api/processes")).json();
  setLocale(list.locale);
  $("caption").textContent = list.account;
  for (const [kind, table] of [["templates", "templates"], ["instances", "instances"]]) {
    const body = $(table).tBodies[0];
    body.replaceChildren();
    for (const p of list[kind]) {
      const row = body.insertRow();
      row.dataset.id = p.id.toUpperCase();
      const link = document.createElement("a");
      link.href = "/card?id=" + encodeURIComponent(p.id);
      link.textContent = p.name || p.id;
      row.insertCell().append(link);
      const state = STATES[kind === "templates" ? "template" : "instance"][p.state];
      row.insertCell().textContent = state ? word(state) : p.state;
    }
  }
  folderList(list.folders ?? []);
  $("new-template").addEventListener("submit", async (e) => {
    e.preventDefault();
    const made = await (await fetch("/api/templates?name=" + encodeURIComponent($("new-name").value), { method: "POST" })).json();
    location.href = "/card?id=" + encodeURIComponent(made.id);
  });
}

// The folder tree beside the lists: choosing a folder shows the processes
// filed in it; "All processes" shows every one.
function folderList(folders) {
  const ul = $("folder-list");
  ul.replaceChildren();
  const choose = (item, cards) => {
    for (const li of ul.children) li.classList.toggle("chosen", li === item);
    const filed = cards && new Set(cards.map((c) => c.toUpperCase()));
    for (const row of document.querySelectorAll("#templates tbody tr, #instances tbody tr")) row.hidden = !!filed && !filed.has(row.dataset.id);
  };
  const entry = (text, depth, cards) => {
    const li = document.createElement("li");
    const button = Object.assign(document.createElement("button"), { type: "button", textContent: text });
    button.style.paddingLeft = `${0.5 + depth * 1.2}em`;
    if (cards) button.title = `${cards.length}`;
    button.addEventListener("click", () => choose(li, cards));
    li.append(button);
    ul.append(li);
    return li;
  };
  choose(entry(word("allProcesses"), 0, null), null);
  for (const f of folders) entry(f.name, f.depth, f.cards);
}

// ---- the card page -------------------------------------------------------------

const card = { socket: null, owner: false, account: "", imageUrls: {}, question: null, view: null, window: null };

function send(message) {
  if (card.socket && card.socket.readyState === WebSocket.OPEN) card.socket.send(JSON.stringify(message));
}

function cardPage(id) {
  $("card").hidden = false;
  $("close-card").hidden = false;
  $("close-card").addEventListener("click", () => send({ type: "close" }));
  card.view = DesignerView.createView($("designer"), editorHandlers());
  setupEditor();
  $("fit").addEventListener("click", () => card.view.fit());
  const socket = new WebSocket(`ws://${location.host}/ws?card=${encodeURIComponent(id)}`);
  card.socket = socket;
  socket.addEventListener("open", () => {
    const area = $("designer").getBoundingClientRect();
    send({ type: "resize", width: Math.round(area.width * 15), height: Math.round(area.height * 15) });
  });
  socket.addEventListener("message", (e) => {
    const started = performance.now();
    const message = JSON.parse(e.data);
    if (message.type === "graph") performance.measure("graph parsed", { start: started });
    receive(message);
  });
  socket.addEventListener("close", () => { if (!document.body.classList.contains("closed")) note(word("lost")); });
}

function note(text) {
  setText($("note"), text);
}

function receive(m) {
  switch (m.type) {
    case "role":
      card.owner = m.owner;
      card.account = m.account;
      setLocale(m.locale);
      document.body.classList.toggle("viewer", !m.owner);
      note(m.owner ? "" : word("viewer"));
      break;
    case "images":
      for (const [key, svg] of Object.entries(m.images)) card.imageUrls[key] = svgUrl(svg);
      if (card.window) drawWindow(card.window);
      break;
    case "window": drawWindow(m); break;
    case "graph": {
      // Timed for whoever measures the page (the browser tests' timings).
      const started = performance.now();
      card.view.show(m.graph);
      performance.measure("graph drawn", { start: started });
      graphShown(m);
      break;
    }
    case "ask": ask(m); break;
    case "comparison": compared(m); break;
    case "copied": copied(m); break;
    case "form": if (card.question && card.question.kind === "form") drawForm(m.form); break;
    case "download": download(m.url, m.name); break;
    case "show": location.href = "/card?id=" + encodeURIComponent(m.card); break;
    case "error": note(m.text); break;
    case "closed":
      closeDialog();
      note(word("closed"));
      document.body.classList.add("closed");
      setTimeout(() => { location.href = "/"; }, 800);
      break;
  }
}

// Sets what changed and nothing else: every change to the page makes the
// browser lay it out again, the drawing included, and a window comes with
// every command and tick.
function setText(element, text) {
  if (element.textContent !== text) element.textContent = text;
}

function drawWindow(w) {
  card.window = w;
  document.title = w.caption || "Vorlane";
  setText($("caption"), w.caption ?? "");
  document.body.classList.toggle("wait", w.pointer === 11);
  const bar = $("toolbar");
  bar.hidden = w.toolbarVisible === false;
  const buttons = JSON.stringify([w.buttons, card.owner, Object.keys(card.imageUrls).length]);
  if (bar.dataset.drawn !== buttons) {
    bar.dataset.drawn = buttons;
    drawToolbar(bar, w.buttons);
  }
  setText($("mode"), w.panels?.Mode ?? "");
  setText($("folder"), w.panels?.Folder ?? "");
  card.view.setView(w.view);
  setEditorState(w.view);
}

function drawToolbar(bar, list) {
  bar.replaceChildren();
  for (const b of list) {
    if (b.Visible === false) continue;
    if (b.Style === "Separator") {
      bar.append(Object.assign(document.createElement("span"), { className: "separator" }));
      continue;
    }
    const button = document.createElement("button");
    button.type = "button";
    button.dataset.key = b.Key;
    button.title = b.ToolTipText || b.Key;
    button.disabled = b.Enabled === false || !card.owner;
    if (b.Style === "Check") button.setAttribute("aria-pressed", String(b.Value === 1));
    const url = card.imageUrls[b.Image];
    if (url) button.append(Object.assign(document.createElement("img"), { src: url, alt: button.title }));
    else button.textContent = button.title;
    button.addEventListener("click", (e) => send({ type: "click", key: b.Key, shift: e.shiftKey }));
    bar.append(button);
  }
}

// The report in a window of its own, with the browser's print dialog over
// it (opened from the person's click, so that no pop-up blocker stops it).
function printView(url) {
  const view = window.open(url, "_blank");
  if (!view) return note(word("popupBlocked"));
  view.addEventListener("load", () => view.print(), { once: true });
}

// The picture as PNG, drawn from its SVG at its own size (within what a
// canvas can hold) on white.
async function savePng(url, name) {
  const svg = await (await fetch(url)).blob();
  const source = URL.createObjectURL(svg);
  try {
    const image = new Image();
    image.src = source;
    await image.decode();
    const scale = Math.min(1, 16384 / Math.max(image.naturalWidth, image.naturalHeight, 1),
                           Math.sqrt(100e6 / Math.max(1, image.naturalWidth * image.naturalHeight)));
    const canvas = Object.assign(document.createElement("canvas"), {
      width: Math.max(1, Math.round(image.naturalWidth * scale)), height: Math.max(1, Math.round(image.naturalHeight * scale)) });
    const context = canvas.getContext("2d");
    context.fillStyle = "#fff";
    context.fillRect(0, 0, canvas.width, canvas.height);
    context.drawImage(image, 0, 0, canvas.width, canvas.height);
    const png = await new Promise((resolve) => canvas.toBlob(resolve, "image/png"));
    const link = URL.createObjectURL(png);
    download(link, name);
    setTimeout(() => URL.revokeObjectURL(link), 10000);
  } catch (e) {
    note(word("pngFailed"));
  } finally {
    URL.revokeObjectURL(source);
  }
}

function download(url, name) {
  const a = Object.assign(document.createElement("a"), { href: url, download: name || "" });
  document.body.append(a);
  a.click();
  a.remove();
}

// ---- questions -----------------------------------------------------------------

const ICONS = { 1: "error", 2: "question", 3: "warning", 4: "information" };
const ANSWERS = { OK: 1, Cancel: 2, Yes: 6, No: 7 };

function answer(value) {
  const q = card.question;
  if (!q) return;
  if (q.kind !== "form") card.question = null;
  send({ type: "answer", id: q.id, value });
  if (q.kind !== "form") closeDialog();
}

// The dialog is shown over a veil that takes the page's clicks, not as a
// modal <dialog>: making the page inert would have the browser restyle
// every shape of a large graph each time a question comes and goes.
function openDialog() {
  if ($("ask").open) return;
  $("veil").hidden = false;
  $("ask").show();
  ($("ask").querySelector("input, select, textarea") ?? $("ask-buttons").querySelector("button"))?.focus();
}

function closeDialog() {
  card.question = null;
  if ($("ask").open) $("ask").close();
  $("veil").hidden = true;
}

function buttons(list) {
  const menu = $("ask-buttons");
  menu.replaceChildren();
  for (const [label, value] of list) {
    const b = document.createElement("button");
    b.type = "button";
    b.textContent = word(label);
    b.addEventListener("click", () => answer(typeof value === "function" ? value() : value));
    menu.append(b);
  }
}

function ask(q) {
  card.question = q;
  $("ask-caption").textContent = q.caption || document.title;
  $("ask-text").textContent = q.text || q.prompt || q.title || "";
  $("ask-body").replaceChildren();
  $("ask-icon").hidden = true;
  const details = $("ask-details");
  details.hidden = !q.details || q.details.startsWith("{");
  details.querySelector("pre").textContent = q.details || "";
  switch (q.kind) {
    case "message": {
      const keyed = (q.buttons & 0x10000000) !== 0;
      // "Do not show again" is remembered per account and message key.
      const key = keyed ? `shown:${card.account}:${q.details}` : null;
      if (key && localStorage.getItem(key)) return answer(1);  // "do not show again"
      $("ask-icon").hidden = !ICONS[q.icon];
      $("ask-icon").title = ICONS[q.icon] || "";
      $("ask-icon").className = "icon-" + (ICONS[q.icon] || "none");
      const code = q.buttons & 0xF;
      const list = code === 3 ? ["Yes", "No", "Cancel"] : code === 4 ? ["Yes", "No"] : code === 1 ? ["OK", "Cancel"] : ["OK"];
      if (key) {
        const box = Object.assign(document.createElement("input"), { type: "checkbox", id: "ask-never" });
        const label = Object.assign(document.createElement("label"), { htmlFor: "ask-never", textContent: word("neverAgain") });
        $("ask-body").append(box, label);
      }
      buttons(list.map((l) => [l, () => {
        if (key && $("ask-never")?.checked) localStorage.setItem(key, "1");
        return ANSWERS[l];
      }]));
      break;
    }
    case "form":
      drawForm(q.form);
      break;
    case "folder": {
      const select = document.createElement("select");
      select.id = "ask-folder";
      // The tree as an indented list; the whole path as each one's tool tip.
      select.size = Math.min(12, Math.max(4, q.folders.length));
      for (const f of q.folders) {
        const chosen = f.id === q.initial || (!q.initial && f.depth === 0);
        const option = new Option("\u00a0\u00a0\u00a0".repeat(f.depth ?? 0) + (f.name ?? f.path), f.id, chosen, chosen);
        option.title = f.path;
        select.append(option);
      }
      $("ask-body").append(select);
      buttons([["OK", () => select.value], ["Cancel", ""]]);
      break;
    }
    case "instance":
      instanceForm(q);
      break;
    case "print":
      $("ask-text").textContent = word("printReady") + ": " + q.title;
      buttons([["Print", () => { printView(q.url); return true; }], ["Cancel", false]]);
      break;
    case "picture":
      $("ask-text").textContent = word("savePicture") + ": " + q.name;
      buttons([["SVG", () => { download(q.url, q.name + ".svg"); return "svg"; }],
               ["PNG", () => { savePng(q.url, q.name + ".png"); return "png"; }],
               ["Cancel", null]]);
      break;
    case "properties":
      propertiesForm(q);
      break;
    case "log":
      logTable(q);
      break;
    case "file":
      if (q.save) {
        $("ask-text").textContent = `${q.title}: ${q.name}`;
        buttons([["Save", true], ["Cancel", false]]);
      } else {
        const input = Object.assign(document.createElement("input"), { type: "file", id: "ask-file", accept: ".xml" });
        $("ask-body").append(input);
        buttons([["Open", null], ["Cancel", null]]);
        const [open] = $("ask-buttons").children;
        const upload = open.cloneNode(true);  // the upload answers, not the plain button
        open.replaceWith(upload);
        upload.addEventListener("click", async () => {
          const file = input.files[0];
          if (!file) return;
          const sent = await fetch("/upload?name=" + encodeURIComponent(file.name), { method: "POST", body: file });
          answer((await sent.json()).upload);
        });
      }
      break;
    default:
      buttons([["OK", null]]);
  }
  openDialog();
}

// The new instance's variables: an input by type (number, check box, date,
// a list of an enumeration's values, text), the required ones marked.
function instanceForm(q) {
  $("ask-text").textContent = q.problem || word("variables");
  const table = document.createElement("table");
  table.id = "ask-variables";
  const inputs = [];
  for (const v of q.variables) {
    const row = table.insertRow();
    const label = row.insertCell();
    label.textContent = v.name + (v.required ? " *" : "");
    let input;
    if (v.multiple) {
      // A list: one value a line.
      input = Object.assign(document.createElement("textarea"), { value: (v.value ?? []).join("\n"), title: word("oneALine") });
    } else if (v.type === 6 && v.choices) {
      input = document.createElement("select");
      input.append(new Option("", ""));
      for (const c of v.choices) input.append(new Option(c, c, false, c === v.value));
    } else if (v.type === 4) {
      input = Object.assign(document.createElement("input"), { type: "checkbox", checked: v.value === true || v.value === 1 });
    } else {
      input = Object.assign(document.createElement("input"), { type: v.type === 1 || v.type === 2 ? "number" : "text" });
      if (v.type === 2) input.step = "any";
      input.value = v.value ?? "";
    }
    input.name = v.name;
    input.required = v.required;
    row.insertCell().append(input);
    inputs.push([v, input]);
  }
  $("ask-body").append(table);
  buttons([["OK", () => {
    const values = {};
    for (const [v, input] of inputs) {
      let value;
      if (v.multiple) {
        const lines = input.value.split("\n").map((l) => l.trim()).filter((l) => l !== "");
        const typed = lines.map((l) => (v.type === 1 ? parseInt(l, 10) : v.type === 2 ? parseFloat(l) : l));
        if (JSON.stringify(typed) !== JSON.stringify(v.value ?? [])) values[v.id] = typed;
        continue;
      }
      if (input.type === "checkbox") value = input.checked;
      else if (input.value === "") value = null;
      else if (v.type === 1) value = parseInt(input.value, 10);
      else if (v.type === 2) value = parseFloat(input.value);
      else value = input.value;
      if (value !== v.value) values[v.id] = value;
    }
    return { accepted: true, values };
  }], ["Cancel", { accepted: false }]]);
}

// The process's own fields; a read-only card shows them without editing.
function propertiesForm(q) {
  $("ask-text").textContent = "";
  const table = document.createElement("table");
  const inputs = {};
  for (const [name, value] of Object.entries(q.fields)) {
    const row = table.insertRow();
    row.insertCell().textContent = name;
    const input = Object.assign(document.createElement(name === "Description" ? "textarea" : "input"),
                                { name, value: value ?? "", disabled: q.readOnly });
    if (name === "Priority") input.type = "number";
    row.insertCell().append(input);
    inputs[name] = input;
  }
  $("ask-body").append(table);
  if (q.readOnly) return buttons([["Close", null]]);
  buttons([["OK", () => {
    const out = {};
    for (const [name, input] of Object.entries(inputs)) out[name] = name === "Priority" ? parseInt(input.value || "0", 10) : input.value;
    return out;
  }], ["Cancel", null]]);
}

// The log as a table, filtered by the kind of entry and by what the person
// types (matched against every column).
function logTable(q) {
  $("ask-text").textContent = "";
  const TYPES = ["error", "warning", "info"];
  const kind = document.createElement("select");
  kind.id = "ask-log-kind";
  kind.append(new Option(word("allEntries"), ""));
  for (const [i, t] of TYPES.entries()) kind.append(new Option(word(t), String(i)));
  const filter = Object.assign(document.createElement("input"), { type: "search", id: "ask-log-filter", placeholder: word("filter") });
  const table = document.createElement("table");
  table.id = "ask-log";
  const head = table.createTHead().insertRow();
  for (const h of ["date", "type", "action", "change", "function", "message"]) head.append(Object.assign(document.createElement("th"), { textContent: word(h) }));
  const body = table.createTBody();
  for (const e of q.entries) {
    const row = body.insertRow();
    row.dataset.kind = String(e.type);
    for (const text of [e.date, TYPES[e.type] ? word(TYPES[e.type]) : e.type, e.action, e.change, e.function, e.message]) row.insertCell().textContent = text ?? "";
  }
  const apply = () => {
    const want = filter.value.toLowerCase();
    for (const row of body.rows) {
      row.hidden = (kind.value !== "" && row.dataset.kind !== kind.value) ||
                   (want !== "" && !row.textContent.toLowerCase().includes(want));
    }
  };
  filter.addEventListener("input", apply);
  kind.addEventListener("change", apply);
  const bar = Object.assign(document.createElement("div"), { className: "filters" });
  bar.append(kind, filter);
  $("ask-body").append(bar, table);
  buttons([["Close", null]]);
}

function drawForm(form) {
  $("ask-caption").textContent = form.caption;
  const body = $("ask-body");
  body.replaceChildren();
  const list = [];
  for (const c of form.controls) {
    if (c.Visible === false) continue;
    if (c.Kind === "Label") $("ask-text").textContent = c.Caption ?? "";
    else if (c.Kind === "CheckBox") {
      const box = Object.assign(document.createElement("input"), { type: "checkbox", id: "form-" + c.Name, checked: c.Value === 1 });
      box.addEventListener("change", () => answer(c.Name));
      body.append(box, Object.assign(document.createElement("label"), { htmlFor: box.id, textContent: c.Caption ?? "" }));
    } else if (c.Kind === "ProgressBar") {
      const bar = Object.assign(document.createElement("progress"), { id: "form-" + c.Name, max: (c.Max ?? 100) - (c.Min ?? 0), value: (c.Value ?? 0) - (c.Min ?? 0) });
      body.append(bar);
    } else if (c.Kind === "CommandButton") list.push([c.Caption ?? c.Name, c.Name]);
  }
  buttons(list);
  openDialog();
}

document.addEventListener("DOMContentLoaded", () => {
  // Escape answers as the dialog's Cancel would; focus stays in the dialog.
  document.addEventListener("keydown", (e) => {
    if (e.key !== "Escape" || !$("ask").open) return;
    e.preventDefault();
    if (card.question) answer(card.question.kind === "message" ? 2 : null);
  });
  document.addEventListener("focusin", (e) => {
    if ($("ask").open && !$("ask").contains(e.target)) $("ask-buttons").querySelector("button")?.focus();
  });
  const id = new URLSearchParams(location.search).get("id");
  if (location.pathname === "/card" && id) cardPage(id);
  else startPage();
});
