// The designer's editor as a person uses it, in headless Chromium: a
// process built from an empty template by mouse and keyboard and read back
// through the Python module; undo and redo through ten mixed edits; copy
// and paste between two tabs; an edit a read-only card refuses; a
// comparison with an exported file. Pictures go to $VORLANE_SCREENSHOTS.
import { test, before, after } from "node:test";
import assert from "node:assert/strict";
import { execFileSync } from "node:child_process";
import { mkdtempSync, readFileSync, rmSync, writeFileSync } from "node:fs";
import { tmpdir } from "node:os";
import path from "node:path";
import { fileURLToPath } from "node:url";
import { chromium } from "playwright-core";
import { acknowledge, closeCard, openCard, serveAccounts, stopServer } from "./helpers.mjs";

const here = path.dirname(fileURLToPath(import.meta.url));
const docs = process.env.VORLANE_SCREENSHOTS ?? mkdtempSync(path.join(tmpdir(), "vorlane-screenshots-"));
const tool = process.env.VORLANE_TOOL;
const folder = mkdtempSync(path.join(tmpdir(), "vorlane-editor-"));
const store = path.join(folder, "store.vorlane");
const run = (...args) => execFileSync(tool, ["--store", store, "--user", "alice", ...args], { encoding: "utf8" });
const newTemplate = (name) => JSON.parse(run("--json", "new-template", name)).id;

let server, urls, browser;

before(async () => {
  run("init");
  run("import", path.join(here, "order-approval.xml"));
  [server, urls] = await serveAccounts(tool, store, ["alice", "bob"]);
  browser = await chromium.launch({ executablePath: process.env.CHROMIUM ?? "/usr/bin/chromium", args: ["--no-sandbox"] });
});

after(async () => {
  await browser?.close();
  await stopServer(server);
  rmSync(folder, { recursive: true, force: true });
});

// ---- what the tests do as a person does it ----------------------------------------

// Runs `act` and waits until the designer's graph has been drawn again.
async function redrawn(page, act) {
  const before = Number(await page.locator("#designer").getAttribute("data-drawn"));
  await act();
  await page.waitForFunction((was) => Number(document.querySelector("#designer").dataset.drawn) > was, before);
}

const node = (page, caption) => page.locator(".djs-shape", { hasText: caption }).first();

async function centreOf(page, caption) {
  const box = await node(page, caption).boundingBox();
  return { x: box.x + box.width / 2, y: box.y + box.height / 2 };
}

// Drags a type from the palette onto the canvas at (x, y) of the canvas.
function addFromPalette(page, name, x, y) {
  return redrawn(page, () => page.locator("#palette li button", { hasText: new RegExp(`^${name}$`) })
    .dragTo(page.locator("#designer"), { targetPosition: { x, y } }));
}

// Selects `from`, starts a link on its pad and clicks `to`.
async function connect(page, from, to) {
  await page.waitForTimeout(450);  // the canvas takes a click right after a drag as the drag's
  const start = await centreOf(page, from);
  await page.mouse.click(start.x, start.y);
  await page.locator(".djs-context-pad .pad-connect").click();
  const end = await centreOf(page, to);
  await redrawn(page, async () => {
    await page.mouse.move(end.x, end.y, { steps: 4 });
    await page.mouse.click(end.x, end.y);
  });
}

// Selects the node of that caption alone (a click on a node that is
// selected already would take it out of the selection).
async function select(page, caption) {
  const chosen = await page.evaluate(() => card.view.selected().map((id) => card.view.graph.nodes.find((n) => n.id === id)?.caption));
  if (chosen.length === 1 && chosen[0] === caption) return;
  await page.waitForTimeout(450);
  const at = await centreOf(page, caption);
  await page.mouse.click(at.x, at.y);
  await page.locator("#properties h2").filter({ hasNotText: /Process/ }).waitFor();
}

async function setField(page, name, value) {
  await redrawn(page, async () => {
    await page.locator(`#properties [name="${name}"]`).fill(value);
    await page.locator(`#properties [name="${name}"]`).press("Tab");
  });
}

async function keys(page, combo) {
  await page.locator("#designer svg").first().focus();
  await redrawn(page, () => page.keyboard.press(combo));
}

// The graph as the page has it, without IDs (undo may make an item again
// under a new one): what a person sees.
function seen(page) {
  return page.evaluate(() => {
    const g = card.view.graph;
    const caption = new Map(g.nodes.map((n) => [n.id, n.caption]));
    return JSON.stringify({
      process: g.process?.name,
      nodes: g.nodes.map((n) => `${n.kind} ${n.caption} ${n.type} ${n.x},${n.y} ${n.width}x${n.height}`).sort(),
      links: g.links.map((l) => `${caption.get(l.source)} -> ${caption.get(l.target)} ${l.type} ${l.caption}`).sort(),
      variables: (g.variables ?? []).map((v) => `${v.name} ${v.type} ${v.value}`).sort(),
    });
  });
}

// What the canvas draws, element by element (where and how), without the
// IDs that undo renews: a drawing brought up to date edit by edit must be
// the one a page draws from scratch.
function drawing(page) {
  return page.evaluate(() => JSON.stringify([...document.querySelectorAll("#designer .djs-element[data-element-id]")]
    .filter((g) => !g.dataset.elementId.startsWith("__") && g.querySelector(":scope > .djs-visual"))
    .map((g) => `${g.getAttribute("transform") ?? ""} ${g.querySelector(":scope > .djs-visual").innerHTML}`).sort()));
}

async function save(page) {
  await page.waitForFunction(() => !document.querySelector("#toolbar button[data-key='Save']").disabled);
  await page.locator("#toolbar button[data-key='Save']").click();
  await page.waitForFunction(() => document.querySelector("#toolbar button[data-key='Save']").disabled);
}

// ---- the tests ---------------------------------------------------------------------

test("an approval process built from an empty template by mouse and keyboard, saved and read back", async () => {
  const id = newTemplate("Leave request");
  const context = await browser.newContext();
  let page = await openCard(context, id, urls.alice);
  try {
    const types = await page.evaluate(() => Object.fromEntries(
      [...editor.palette.functions].map((t) => [t.name, t.id.toUpperCase()])));
    await addFromPalette(page, "Start", 120, 150);
    await addFromPalette(page, "Task", 360, 150);
    await addFromPalette(page, "Notification", 600, 150);
    // The pad changes a node's type: this one is to finish the process.
    await select(page, "Notification");
    await page.locator(".djs-context-pad .pad-type").click();
    await redrawn(page, () => page.locator("#type-menu button", { hasText: /^Finish$/ }).click());
    assert.ok(await page.locator("#type-menu").isHidden());
    assert.equal(await page.locator("#properties [name=TypeID] option:checked").textContent(), "Finish");
    // Nothing leads to the task yet: the graph says so where it is.
    assert.ok(await page.locator(".finding-marker").count() >= 2);
    assert.match(await page.locator("#findings-list").textContent(), /No start function leads here/);
    await page.screenshot({ path: path.join(docs, "editor-findings.png") });

    await connect(page, "Start", "Task");
    await page.locator("input[name=link-type][value='1']").check();  // a failure link
    await connect(page, "Task", "Notification");
    await select(page, "Task");
    await setField(page, "Caption", "Approve leave");
    await setField(page, "Description", "The manager approves or refuses.");
    await setField(page, "Data", "Approver=Manager");
    assert.equal(await page.evaluate(() => card.view.graph.nodes.find((n) => n.caption === "Approve leave").settings), "Approver=Manager");
    assert.equal(await page.locator(".finding-marker").count(), 0);
    assert.equal(await page.locator("#findings-count").textContent(), "0");

    // A variable: added, named, typed, given a value; a value that is not a
    // whole number is refused with a message and changes nothing.
    await redrawn(page, () => page.locator("#add-variable").click());
    const row = page.locator("#variables tbody tr").first();
    await redrawn(page, async () => { await row.locator("[name=Name]").fill("Days"); await row.locator("[name=Name]").press("Tab"); });
    await redrawn(page, () => row.locator("[name=VarType]").selectOption("1"));
    await redrawn(page, async () => { await row.locator("[name=Value]").fill("3"); await row.locator("[name=Value]").press("Tab"); });
    await redrawn(page, async () => { await row.locator("[name=Value]").fill("many"); await row.locator("[name=Value]").press("Tab"); });
    assert.match(await page.locator("#note").textContent(), /Days takes a whole number: "many" is not one/);
    assert.equal(await page.locator("#variables [name=Value]").inputValue(), "3");
    // With nothing selected the panel is the process's: its document types,
    // one type ID per line; a line that is not one is refused.
    const area = await page.locator("#designer").boundingBox();
    await page.mouse.click(area.x + 40, area.y + area.height - 40);
    await page.locator("#properties h2", { hasText: /Process/ }).waitFor();
    await setField(page, "DocTypes", "{6F1A0000-0000-4000-8000-00000000A001}\ninvoice");
    assert.match(await page.locator("#note").textContent(), /not "invoice"/);
    assert.equal(await page.locator("#properties [name=DocTypes]").inputValue(), "");
    await setField(page, "DocTypes", "6f1a0000-0000-4000-8000-00000000a001\n{6F1A0000-0000-4000-8000-00000000A002}");
    assert.equal(await page.locator("#properties [name=DocTypes]").inputValue(),
                 "{6F1A0000-0000-4000-8000-00000000A001}\n{6F1A0000-0000-4000-8000-00000000A002}");
    assert.equal(await page.locator("#note").textContent(), "", "the refusal goes with the next edit");
    await select(page, "Approve leave");
    await page.screenshot({ path: path.join(docs, "editor.png") });

    await save(page);
    await closeCard(page);
    page = await openCard(context, id, urls.alice);
    assert.equal(await page.locator(".djs-shape").count(), 3);
    assert.equal(await page.locator(".link-line").count(), 2);

    // What a script reads from the store.
    const python = { ...process.env, ...(process.env.VORLANE_PYTHON_PRELOAD ? { LD_PRELOAD: process.env.VORLANE_PYTHON_PRELOAD } : {}) };
    const stored = JSON.parse(execFileSync("python3", [path.join(here, "read_process.py"), store, id], { encoding: "utf8", env: python }));
    assert.deepEqual(stored.functions.map((f) => [f.caption, f.type]),
                     [["Start", types.Start], ["Approve leave", types.Task], ["Notification", types.Finish]]);
    assert.deepEqual(stored.links, [{ from: "Start", to: "Approve leave", type: 0 }, { from: "Approve leave", to: "Notification", type: 1 }]);
    assert.deepEqual(stored.variables, [{ name: "Days", type: 1, value: 3 }]);
    assert.deepEqual(stored.docTypes, ["{6F1A0000-0000-4000-8000-00000000A001}", "{6F1A0000-0000-4000-8000-00000000A002}"]);
  } finally {
    await closeCard(page);
    await context.close();
  }
});

test("an enumeration's values and several values are typed in the variables panel, and undone", async () => {
  const id = newTemplate("Lists");
  const context = await browser.newContext();
  const page = await openCard(context, id, urls.alice);
  try {
    const variable = () => page.evaluate(() => {
      const v = card.view.graph.variables[0];
      return { type: v.type, value: v.value, multiple: v.multiple, values: v.values, enumValues: v.enumValues.map((e) => `${e.number}=${e.text}`) };
    });
    await redrawn(page, () => page.locator("#add-variable").click());
    await redrawn(page, () => page.locator("#variables [name=VarType]").selectOption("6"));
    const enums = page.locator("#variables [name=EnumValues]");
    await redrawn(page, async () => { await enums.fill("1 = Low\n5 = High\nHighest"); await enums.press("Tab"); });
    assert.deepEqual((await variable()).enumValues, ["1=Low", "5=High", "6=Highest"]);
    await redrawn(page, () => page.locator("#variables select[name=Value]").selectOption("High"));
    assert.equal((await variable()).value, "High");
    await redrawn(page, () => page.locator("#variables [name=IsMultipleValued]").check());
    const values = page.locator("#variables [name=Values]");
    // A value that is not one of the enumeration's is refused, naming it.
    await redrawn(page, async () => { await values.fill("Low\nMedium"); await values.press("Tab"); });
    assert.match(await page.locator("#note").textContent(), /takes one of its enumeration values: "Medium" is not one/);
    assert.deepEqual((await variable()).values, []);
    await redrawn(page, async () => { await values.fill("Low\nHighest"); await values.press("Tab"); });
    assert.deepEqual(await variable(), { type: 6, value: "High", multiple: true, values: ["Low", "Highest"], enumValues: ["1=Low", "5=High", "6=Highest"] });
    await page.screenshot({ path: path.join(docs, "editor-variables.png") });
    await keys(page, "Control+z");
    assert.deepEqual((await variable()).values, []);
    await keys(page, "Control+z");
    await keys(page, "Control+z");
    await keys(page, "Control+z");
    assert.deepEqual(await variable(), { type: 6, value: "", multiple: false, values: [], enumValues: [] });
  } finally {
    await closeCard(page);
    await context.close();
  }
});

test("a node dragged near another's line snaps to it, off the grid", async () => {
  const id = newTemplate("Snapping");
  const context = await browser.newContext();
  const page = await openCard(context, id, urls.alice);
  try {
    await addFromPalette(page, "Start", 120, 150);
    await addFromPalette(page, "Task", 420, 300);
    // Start stands off the grid, as a stored process may have it.
    const at = (caption) => page.evaluate((c) => card.view.graph.nodes.find((n) => n.caption === c), caption);
    const start = await at("Start");
    await redrawn(page, () => page.evaluate((id) => edit([{ op: "move", id, x: 103, y: 153 }]), start.id));
    const task = await at("Task");
    assert.equal(task.height, (await at("Start")).height);
    // Dragged to 4 points below Start's middle line: it lands on the line.
    await page.waitForTimeout(450);
    const from = await centreOf(page, "Task");
    const scale = Number(await page.locator("#designer").getAttribute("data-zoom"));
    const dy = (153 + 4 - task.y) * scale;
    await redrawn(page, async () => {
      await page.mouse.move(from.x, from.y);
      await page.mouse.down();
      await page.mouse.move(from.x + 30, from.y + dy / 2, { steps: 4 });
      await page.mouse.move(from.x + 60, from.y + dy, { steps: 4 });
      await page.mouse.up();
    });
    assert.equal((await at("Task")).y, 153);
  } finally {
    await closeCard(page);
    await context.close();
  }
});

test("undo and redo through ten mixed edits, back to the start and forth to the end", async () => {
  const id = newTemplate("Ten edits");
  const context = await browser.newContext();
  const page = await openCard(context, id, urls.alice);
  try {
    const now = async () => [await seen(page), await drawing(page)];
    const states = [await now()];
    const step = async (edit) => { await edit(); states.push(await now()); };
    await step(() => addFromPalette(page, "Start", 120, 150));
    await step(() => addFromPalette(page, "Staff", 380, 150));  // a gate
    await step(() => connect(page, "Start", "Staff"));
    await step(async () => { await select(page, "Staff"); await setField(page, "Caption", "Check"); });
    await step(async () => {
      await page.waitForTimeout(450);
      const at = await centreOf(page, "Check");
      await redrawn(page, async () => {
        await page.mouse.move(at.x, at.y);
        await page.mouse.down();
        await page.mouse.move(at.x + 20, at.y + 80, { steps: 6 });
        await page.mouse.up();
      });
    });
    await step(() => redrawn(page, () => page.locator("#add-variable").click()));
    await step(() => redrawn(page, () => page.locator("#variables [name=VarType]").selectOption("1")));
    await step(async () => { await select(page, "Check"); await keys(page, "ArrowRight"); });
    await step(() => redrawn(page, () => page.locator("#tidy").click()));
    await step(async () => { await select(page, "Start"); await keys(page, "Delete"); });
    assert.equal(states.length, 11);
    assert.equal(new Set(states.map(([graph]) => graph)).size, 11, "every edit changed what the page shows");

    for (let i = 10; i > 0; --i) {
      await keys(page, "Control+z");
      assert.deepEqual(await now(), states[i - 1], `after undoing edit ${i}`);
    }
    assert.ok(await page.locator("#undo").isDisabled());
    for (let i = 1; i <= 10; ++i) {
      await keys(page, i % 2 ? "Control+y" : "Control+Shift+z");
      assert.deepEqual(await now(), states[i], `after redoing edit ${i}`);
    }
    assert.ok(await page.locator("#redo").isDisabled());
    // A second tab draws the process from scratch, as the first shows it.
    const fresh = await openCard(context, id, urls.alice);
    assert.equal(await drawing(fresh), states[10][1]);
    await fresh.close();
  } finally {
    await closeCard(page);
    await context.close();
  }
});

test("functions copied in one tab are pasted with their link in another process's tab", async () => {
  const source = JSON.parse(run("--json", "templates")).find((t) => t.name === "Order approval").id;
  const target = newTemplate("Paste target");
  const context = await browser.newContext();  // one person: one browser storage
  const from = await openCard(context, source, urls.alice);
  const to = await openCard(context, target, urls.alice);
  try {
    await from.bringToFront();
    await select(from, "Approve");
    const done = await centreOf(from, "Done");
    await from.keyboard.down("Shift");
    await from.mouse.click(done.x, done.y);
    await from.keyboard.up("Shift");
    assert.deepEqual((await from.evaluate(() => card.view.selected())).length, 2);
    await from.locator("#designer svg").first().focus();
    await from.keyboard.press("Control+c");
    await from.waitForFunction(() => localStorage.getItem("vorlane.clipboard"));

    await to.bringToFront();
    const area = await to.locator("#designer").boundingBox();
    await to.mouse.move(area.x + 200, area.y + 200);
    await keys(to, "Control+v");
    const graph = await to.evaluate(() => card.view.graph);
    assert.deepEqual(graph.nodes.map((n) => n.caption).sort(), ["Approve", "Done"]);
    assert.equal(graph.links.length, 1);
    const caption = new Map(graph.nodes.map((n) => [n.id, n.caption]));
    assert.equal(`${caption.get(graph.links[0].source)} -> ${caption.get(graph.links[0].target)}`, "Approve -> Done");
    const sourceIds = await from.evaluate(() => card.view.graph.nodes.map((n) => n.id));
    assert.ok(graph.nodes.every((n) => !sourceIds.includes(n.id)), "pasted functions have IDs of their own");
  } finally {
    await closeCard(to);
    await closeCard(from);
    await context.close();
  }
});

test("a read-only card refuses an edit sent straight over its WebSocket", async () => {
  const id = JSON.parse(run("--json", "templates")).find((t) => t.name === "Order approval").id;
  const alice = await browser.newContext();
  const bob = await browser.newContext();
  const holder = await openCard(alice, id, urls.alice);
  const viewer = await openCard(bob, id, urls.bob, false);
  try {
    assert.match(await acknowledge(viewer), /locked by user 'alice'/);
    await viewer.waitForFunction(() => card.view.graph.nodes.length > 0 &&
                                       document.querySelector("#designer").classList.contains("read-only"));
    const before = await seen(viewer);
    // What a tampered page would send: the designer refuses it.
    const target = await viewer.evaluate(() => card.view.graph.nodes[0].id);
    await redrawn(viewer, () => viewer.evaluate((node) => send({ type: "edit", op: "apply", edits: [
      { op: "move", id: node, x: 900, y: 900 }, { op: "remove", id: node }] }), target));
    assert.match(await viewer.locator("#note").textContent(), /read-only/);
    assert.equal(await seen(viewer), before);
    assert.ok(await viewer.locator("#palette").evaluate((p) => p.classList.contains("read-only")));
    assert.match(run("--json", "show", id), /"Order received"/);
  } finally {
    await closeCard(viewer);
    await closeCard(holder);
    await alice.close();
    await bob.close();
  }
});

test("a comparison with an exported file lists exactly the planted differences", async () => {
  const id = JSON.parse(run("--json", "templates")).find((t) => t.name === "Order approval").id;
  const exported = path.join(folder, "v1.xml");
  run("export", id, exported);
  // The file is the older version: in it Approve had another caption,
  // Reject stood elsewhere, a link was not yet drawn, and an Archive step
  // was there that the card no longer has.
  let older = readFileSync(exported, "utf8");
  older = older.replace('Caption="Approve"', 'Caption="Approve order"');
  older = older.replace(/(Caption="Reject"[^>]*XPos=")580/, "$1520");
  const links = older.match(/<LinksRow [^>]*\/>|<LinksRow [^>]*>[\s\S]*?<\/LinksRow>/g);
  older = older.replace(links.at(-1), "");
  older = older.replace("</Functions>", '<FunctionsRow RowID="{0A0A0A0A-0000-4000-8000-00000000000A}" ' +
    'ID="{0A0A0A0A-0000-4000-8000-00000000000B}" Caption="Archive" TypeID="{2B262D6F-6195-44DE-A0CC-A60129BBCF99}" ' +
    'XPos="900" YPos="120" Width="120" Height="60"><PassStates /></FunctionsRow></Functions>');
  const file = path.join(folder, "older.xml");
  writeFileSync(file, older);

  const context = await browser.newContext();
  const page = await openCard(context, id, urls.alice);
  try {
    await page.locator("#compare").click();
    await page.locator("#compare-dialog[open]").waitFor();
    await page.locator("#compare-file").setInputFiles(file);
    await page.locator("#compare-dialog button[value=compare]").click();
    await page.locator("#differences:not([hidden])").waitFor();
    assert.equal(await page.locator("#differences-counts").textContent(), "1 added, 1 removed, 1 changed, 1 moved");
    const listed = (await page.locator("#differences-list > li > button").allTextContents()).map((t) => t.trim());
    assert.deepEqual(listed.slice(0, 3), ["~ Function Approve", "↔ Function Reject", "− Function Archive"]);
    assert.match(listed[3], /^\+ Link \S.* → \S/);
    assert.equal(listed.length, 4);
    // Changed and moved elements are marked on the graph; Next steps to each.
    assert.equal(await page.locator(".djs-shape.diff-changed").count(), 1);
    assert.equal(await page.locator(".djs-shape.diff-moved").count(), 1);
    assert.equal(await page.locator(".djs-connection.diff-added").count(), 1);
    await page.locator("#difference-next").click();
    await page.locator("#difference-next").click();
    assert.deepEqual(await page.evaluate(() => card.view.selected().length), 1);
    assert.match(await page.locator("#differences-list li.current").textContent(), /Reject/);
    await page.screenshot({ path: path.join(docs, "editor-compare.png") });
  } finally {
    await closeCard(page);
    await context.close();
  }
});
