// The page of the web card host: the start page (the processes of the
// store) and the card page, which shows the window of a card control that
// runs in the server and answers its questions. Everything the card shows
// comes from the server; the page only draws it and sends the person's input.
"use strict";

const $ = (id) => document.getElementById(id);
const STATES = { template: ["Editing", "In use"], instance: ["Not active", "Active", "Paused", "Finished", "Failed"] };

function svgUrl(svg) {
  return URL.createObjectURL(new Blob([svg], { type: "image/svg+xml" }));
}

// ---- the start page ------------------------------------------------------------

async function startPage() {
  $("start").hidden = false;
  const list = await (await fetch("/api/processes")).json();
  $("caption").textContent = list.account;
  for (const [kind, table] of [["templates", "templates"], ["instances", "instances"]]) {
    const body = $(table).tBodies[0];
    body.replaceChildren();
    for (const p of list[kind]) {
      const row = body.insertRow();
      const link = document.createElement("a");
      link.href = "/card?id=" + encodeURIComponent(p.id);
      link.textContent = p.name || p.id;
      row.insertCell().append(link);
      row.insertCell().textContent = STATES[kind === "templates" ? "template" : "instance"][p.state] ?? p.state;
    }
  }
  $("new-template").addEventListener("submit", async (e) => {
    e.preventDefault();
    const made = await (await fetch("/api/templates?name=" + encodeURIComponent($("new-name").value), { method: "POST" })).json();
    location.href = "/card?id=" + encodeURIComponent(made.id);
  });
}

// ---- the card page -------------------------------------------------------------

const card = { socket: null, owner: false, images: {}, imageUrls: {}, question: null, pictureUrl: null };

function send(message) {
  if (card.socket && card.socket.readyState === WebSocket.OPEN) card.socket.send(JSON.stringify(message));
}

function cardPage(id) {
  $("card").hidden = false;
  $("close-card").hidden = false;
  $("close-card").addEventListener("click", () => send({ type: "close" }));
  const socket = new WebSocket(`ws://${location.host}/ws?card=${encodeURIComponent(id)}`);
  card.socket = socket;
  socket.addEventListener("open", () => {
    const area = $("designer").getBoundingClientRect();
    send({ type: "resize", width: Math.round(area.width * 15), height: Math.round(area.height * 15) });
  });
  socket.addEventListener("message", (e) => receive(JSON.parse(e.data)));
  socket.addEventListener("close", () => note("The connection to the server was lost. Reload the page to reconnect."));
}

function note(text) {
  $("note").textContent = text;
}

function receive(m) {
  switch (m.type) {
    case "role":
      card.owner = m.owner;
      document.body.classList.toggle("viewer", !m.owner);
      if (!m.owner) note("This card is open in another tab: here you can only look at it.");
      else note("");
      break;
    case "window": drawWindow(m); break;
    case "ask": ask(m); break;
    case "form": if (card.question && card.question.kind === "form") drawForm(m.form); break;
    case "download": download(m.url, m.name); break;
    case "print": window.open(m.url, "_blank"); break;
    case "show": location.href = "/card?id=" + encodeURIComponent(m.card); break;
    case "error": note(m.text); break;
    case "closed":
      closeDialog();
      note("The card is closed.");
      document.body.classList.add("closed");
      setTimeout(() => { location.href = "/"; }, 800);
      break;
  }
}

function drawWindow(w) {
  if (w.images) {
    for (const [key, svg] of Object.entries(w.images)) card.imageUrls[key] = svgUrl(svg);
  }
  document.title = w.caption || "Vorlane";
  $("caption").textContent = w.caption;
  document.body.classList.toggle("wait", w.pointer === 11);
  const bar = $("toolbar");
  bar.hidden = w.toolbarVisible === false;
  bar.replaceChildren();
  for (const b of w.buttons) {
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
  $("mode").textContent = w.panels?.Mode ?? "";
  $("folder").textContent = w.panels?.Folder ?? "";
  if (w.picture !== undefined) {
    if (card.pictureUrl) URL.revokeObjectURL(card.pictureUrl);
    card.pictureUrl = w.picture ? svgUrl(w.picture) : null;
    $("picture").src = card.pictureUrl ?? "";
  }
  $("designer").classList.toggle("read-only", !!w.readOnly);
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

function closeDialog() {
  card.question = null;
  if ($("ask").open) $("ask").close();
}

function buttons(list) {
  const menu = $("ask-buttons");
  menu.replaceChildren();
  for (const [label, value] of list) {
    const b = document.createElement("button");
    b.type = "button";
    b.textContent = label;
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
      const key = keyed ? "shown:" + q.details : null;
      if (key && localStorage.getItem(key)) return answer(1);  // "do not show again"
      $("ask-icon").hidden = !ICONS[q.icon];
      $("ask-icon").title = ICONS[q.icon] || "";
      $("ask-icon").className = "icon-" + (ICONS[q.icon] || "none");
      const code = q.buttons & 0xF;
      const list = code === 3 ? ["Yes", "No", "Cancel"] : code === 4 ? ["Yes", "No"] : code === 1 ? ["OK", "Cancel"] : ["OK"];
      if (key) {
        const box = Object.assign(document.createElement("input"), { type: "checkbox", id: "ask-never" });
        const label = Object.assign(document.createElement("label"), { htmlFor: "ask-never", textContent: "Do not show this again" });
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
      for (const f of q.folders) select.append(new Option(f.path, f.id, f.id === q.initial, f.id === q.initial));
      $("ask-body").append(select);
      buttons([["OK", () => select.value], ["Cancel", ""]]);
      break;
    }
    case "instance":
      $("ask-text").textContent = "Create the new instance with the values its template gives?";
      buttons([["OK", 1], ["Cancel", 2]]);
      break;
    case "file":
      if (q.save) {
        $("ask-text").textContent = `${q.title}: ${q.name}`;
        buttons([["Save", true], ["Cancel", false]]);
      } else {
        const input = Object.assign(document.createElement("input"), { type: "file", id: "ask-file", accept: ".xml" });
        $("ask-body").append(input);
        buttons([["Open", null], ["Cancel", null]]);
        const [open, cancel] = $("ask-buttons").children;
        open.replaceWith(open.cloneNode(true));
        $("ask-buttons").children[0].addEventListener("click", async () => {
          const file = input.files[0];
          if (!file) return;
          const sent = await fetch("/upload?name=" + encodeURIComponent(file.name), { method: "POST", body: file });
          answer((await sent.json()).upload);
        });
        cancel.onclick = () => answer(null);
      }
      break;
    default:
      buttons([["OK", null]]);
  }
  if (!$("ask").open) $("ask").showModal();
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
  if (!$("ask").open) $("ask").showModal();
}

document.addEventListener("DOMContentLoaded", () => {
  $("ask").addEventListener("cancel", (e) => {
    e.preventDefault();
    if (card.question) answer(card.question.kind === "message" ? 2 : null);
  });
  const id = new URLSearchParams(location.search).get("id");
  if (location.pathname === "/card" && id) cardPage(id);
  else startPage();
});
