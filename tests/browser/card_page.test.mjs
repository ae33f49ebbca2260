// The web card host as a person uses it, in headless Chromium: the start
// page, a template's card, "Execute" with its folder, instance and message
// dialogs, the data that results, and the token every request needs. The
// pictures it takes go to $VORLANE_SCREENSHOTS (docs/ keeps copies), to be
// looked at.
import { test, before, after } from "node:test";
import assert from "node:assert/strict";
import { spawn, execFileSync } from "node:child_process";
import { mkdtempSync, rmSync } from "node:fs";
import { tmpdir } from "node:os";
import path from "node:path";
import { fileURLToPath } from "node:url";
import { chromium } from "playwright-core";

const here = path.dirname(fileURLToPath(import.meta.url));
const docs = process.env.VORLANE_SCREENSHOTS ?? mkdtempSync(path.join(tmpdir(), "vorlane-screenshots-"));
const tool = process.env.VORLANE_TOOL;
const folder = mkdtempSync(path.join(tmpdir(), "vorlane-browser-"));
const store = path.join(folder, "store.vorlane");
const run = (...args) => execFileSync(tool, ["--store", store, "--user", "alice", ...args], { encoding: "utf8" });

let server, url, browser;

// The tool's server for an account: the process and the address it prints.
async function serve(account, ...options) {
  const child = spawn(tool, ["--store", store, ...options, "serve", "--port", "0", "--user", account],
                      { stdio: ["ignore", "pipe", "inherit"] });
  const address = await new Promise((resolve, reject) => {
    let out = "";
    child.stdout.on("data", (chunk) => {
      out += chunk;
      const found = out.match(new RegExp(account + ": (http://\\S+)"));
      if (found) resolve(found[1]);
    });
    child.on("exit", (code) => reject(new Error("the server ended with " + code)));
  });
  return [child, address];
}

// Closes the card as its person does, so that the next test finds it free.
async function closeCard(page) {
  if (await page.locator("#close-card").isVisible()) {
    await page.locator("#close-card").click();
    await page.waitForURL((u) => u.pathname === "/");
  }
  await page.close();
}

before(async () => {
  run("init");
  run("import", path.join(here, "order-approval.xml"));
  [server, url] = await serve("alice");
  browser = await chromium.launch({ executablePath: process.env.CHROMIUM ?? "/usr/bin/chromium", args: ["--no-sandbox"] });
});

after(async () => {
  await browser?.close();
  if (server && server.exitCode === null) {
    const ended = new Promise((resolve) => server.on("exit", resolve));
    server.kill("SIGINT");
    assert.equal(await ended, 0, "Ctrl-C ends the server with 0");
  }
  rmSync(folder, { recursive: true, force: true });
});

test("a request without the token is refused, and so is a WebSocket from elsewhere", async () => {
  const bare = new URL(url);
  bare.search = "";
  assert.equal((await fetch(bare)).status, 403);
  assert.equal((await fetch(new URL("/api/processes", bare))).status, 403);
});

test("Execute on a template, answered as a person answers", async () => {
  const page = await browser.newPage({ viewport: { width: 1100, height: 700 } });
  await page.goto(url);
  await page.getByRole("link", { name: "Order approval" }).waitFor();
  await page.screenshot({ path: path.join(docs, "web-start-page.png") });

  await page.getByRole("link", { name: "Order approval" }).click();
  await page.waitForFunction(() => document.title.startsWith("Order approval"));
  await page.locator("#designer[data-drawn]").waitFor();
  assert.equal(await page.locator("#mode").textContent(), "Edit");
  assert.equal(await page.locator("#toolbar button[data-key='Save']").isDisabled(), true);
  await page.screenshot({ path: path.join(docs, "web-card-template.png") });

  await page.locator("#toolbar button[data-key='Execute']").click();
  const dialog = page.locator("dialog#ask");
  await dialog.locator("#ask-folder").waitFor();
  assert.match(await dialog.locator("#ask-text").textContent(), /select a folder/);
  await dialog.getByRole("button", { name: "OK" }).click();

  await page.waitForFunction(() => document.querySelector("#ask-text")?.textContent.includes("new instance"));
  await dialog.locator("input[name='Order number']").fill("PO-2026-0200");
  assert.equal(await dialog.locator("textarea[name='Approver']").inputValue(), "ann\nbob");  // a list, a value a line
  await dialog.locator("textarea[name='Approver']").fill("ann\nbob\ncarol");
  await page.screenshot({ path: path.join(docs, "web-instance-dialog.png") });
  await dialog.getByRole("button", { name: "OK" }).click();

  await page.waitForFunction(() => document.querySelector("#ask-text")?.textContent === "Business-process has been successfully created.");
  await page.screenshot({ path: path.join(docs, "web-message-box.png") });
  await dialog.getByRole("button", { name: "OK" }).click();
  await page.waitForFunction(() => !document.querySelector("dialog#ask").open);

  const instances = JSON.parse(run("--json", "instances"));
  assert.equal(instances.length, 1);
  assert.equal(instances[0].state, "Active");
  const shown = JSON.parse(run("--json", "show", instances[0].id));
  assert.equal(shown.variables.find((v) => v.name === "Order number").value, "PO-2026-0200");
  assert.deepEqual(shown.variables.find((v) => v.name === "Approver").value, ["ann", "bob", "carol"]);
  await page.close();
});

test("the designer's view draws the stored graph, zooms, pans and fits", async () => {
  const list = JSON.parse(run("--json", "templates"));
  const page = await browser.newPage({ viewport: { width: 1100, height: 700 } });
  await page.goto(url);
  await page.goto(new URL(`/card?id=${encodeURIComponent(list[0].id)}`, url).href);
  try {
    await page.locator("#designer[data-drawn]").waitFor();
    // Every function and the gate, at its stored place, with its caption.
    const captions = await page.locator(".djs-shape title").allTextContents();
    assert.deepEqual(captions.sort(), ["Amount over the limit?", "Approve", "Done", "Order data", "Order received",
                                       "Reject", "Review the order"].sort());
    const review = await page.locator(".djs-shape", { hasText: "Review the order" }).getAttribute("transform");
    assert.match(review, /matrix\(1[ ,]0[ ,]0[ ,]1[ ,]220[ ,]120\)/);
    assert.equal(await page.locator(".djs-connection").count(), 6);
    assert.equal(await page.locator(".link-line.link-type-1").count(), 1);  // the failure link looks different
    // Link labels follow the toolbar's ShowLinkText.
    const labels = page.locator(".link-caption", { hasText: "yes" });
    const shown = await labels.isVisible();
    await page.locator("#toolbar button[data-key='ShowLinkText']").click();
    await page.waitForFunction((was) => document.querySelector("#designer").classList.contains("no-link-text") === was, shown);
    assert.equal(await labels.isVisible(), !shown);

    const zoom = async () => Number(await page.locator("#designer").getAttribute("data-zoom"));
    assert.equal(await zoom(), 1);
    await page.locator("#toolbar button[data-key='Zoomin']").click();
    await page.waitForFunction(() => document.querySelector("#designer").dataset.zoom === "1.25");
    await page.locator("#toolbar button[data-key='Zoomout']").click();
    await page.waitForFunction(() => document.querySelector("#designer").dataset.zoom === "1");
    // The wheel with Ctrl zooms; dragging the background pans.
    const box = await page.locator("#designer svg").first().boundingBox();
    await page.mouse.move(box.x + box.width - 60, box.y + box.height - 60);
    await page.keyboard.down("Control");
    await page.mouse.wheel(0, -200);
    await page.keyboard.up("Control");
    await page.waitForFunction(() => Number(document.querySelector("#designer .djs-container svg .viewport").transform.baseVal.consolidate().matrix.a) > 1);
    const before = await page.locator(".djs-shape", { hasText: "Done" }).boundingBox();
    await page.mouse.move(box.x + box.width - 40, box.y + box.height - 40);
    await page.mouse.down();
    await page.mouse.move(box.x + box.width - 140, box.y + box.height - 90, { steps: 5 });
    await page.mouse.up();
    const after = await page.locator(".djs-shape", { hasText: "Done" }).boundingBox();
    assert.ok(Math.abs(after.x - before.x + 100) < 2 && Math.abs(after.y - before.y + 50) < 2, `moved from ${JSON.stringify(before)} to ${JSON.stringify(after)}`);
    // Fit shows every shape inside the view.
    await page.locator("#fit").click();
    for (const shape of await page.locator(".djs-shape").all()) {
      const b = await shape.boundingBox();
      assert.ok(b.x >= box.x && b.y >= box.y && b.x + b.width <= box.x + box.width && b.y + b.height <= box.y + box.height);
    }
  } finally {
    await closeCard(page);
  }
});

test("a question answered Cancel changes nothing", async () => {
  const before = JSON.parse(run("--json", "instances")).length;
  const list = JSON.parse(run("--json", "templates"));
  const page = await browser.newPage();
  await page.goto(url);
  await page.goto(new URL(`/card?id=${encodeURIComponent(list[0].id)}`, url).href);
  await page.locator("#toolbar button[data-key='Execute']").click();
  const dialog = page.locator("dialog#ask");
  await dialog.locator("#ask-folder").waitFor();
  await dialog.getByRole("button", { name: "Cancel" }).click();
  await page.waitForFunction(() => !document.querySelector("dialog#ask").open);
  assert.equal(JSON.parse(run("--json", "instances")).length, before);
  assert.equal(await page.locator("#toolbar button[data-key='Execute']").isEnabled(), true);  // still open, still editable
  await page.locator("#close-card").click();
  await page.waitForURL((u) => u.pathname === "/");
  await page.close();
});

test("a second tab on the same card only looks", async () => {
  const list = JSON.parse(run("--json", "templates"));
  const card = `/card?id=${encodeURIComponent(list[0].id)}`;
  const context = await browser.newContext();
  const first = await context.newPage();
  await first.goto(url);
  await first.goto(new URL(card, url).href);
  await first.locator("#toolbar button").first().waitFor();
  const second = await context.newPage();
  await second.goto(new URL(card, url).href);
  await second.waitForFunction(() => document.body.classList.contains("viewer"));
  assert.equal(await second.locator("#toolbar button[data-key='Execute']").isDisabled(), true);
  // Closed by its person, the card lets go of its lock at once.
  await first.locator("#close-card").click();
  await first.waitForURL((u) => u.pathname === "/");
  await context.close();
});

test("the page speaks the session's language", async () => {
  const [russian, address] = await serve("ivan", "--locale", "1049");
  try {
    const page = await browser.newPage();
    await page.goto(address);
    await page.getByRole("heading", { name: "Шаблоны" }).waitFor();
    assert.equal(await page.getByRole("button", { name: "Новый шаблон" }).count(), 1);
    await page.getByRole("link", { name: "Order approval", exact: true }).click();
    await page.waitForFunction(() => document.querySelector("#mode")?.textContent !== "");
    assert.equal(await page.locator("#mode").textContent(), "Редактирование");
    assert.equal(await page.locator("#close-card").textContent(), "Закрыть");
    await page.close();
  } finally {
    const ended = new Promise((resolve) => russian.on("exit", resolve));
    russian.kill("SIGINT");
    await ended;
  }
});
