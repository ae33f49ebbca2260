// Timings of the web card host, in headless Chromium against the tool's
// server (not a test: it asserts nothing and prints figures).
//
//   VORLANE_TOOL=build/bin/vorlane node tests/browser/timings.mjs
//
// - opening a 1,000- and a 10,000-function template to its first complete
//   drawing (the designer's view drawn and painted in the page), beside the floor of
//   the tool exporting the same process in the same run;
// - a toolbar click to its answer painted on the page (the properties
//   dialog; a zoom), on the page's own clock;
// - the server's resident memory for each open 10,000-function card;
// - the server's CPU while 20 instances are open with their timers running;
// - editing the 1,000-function template: frames per second while a node is
//   dragged (beside the page's idle frame rate), an edit's round trip to the
//   designer in the server and back drawn, and tidy-up of all 1,000 nodes.
import { spawn, execFileSync } from "node:child_process";
import { mkdtempSync, readFileSync, rmSync, writeFileSync } from "node:fs";
import { tmpdir } from "node:os";
import path from "node:path";
import { chromium } from "playwright-core";

const tool = process.env.VORLANE_TOOL ?? "build/bin/vorlane";
const folder = mkdtempSync(path.join(tmpdir(), "vorlane-timings-"));
const store = path.join(folder, "store.vorlane");
const run = (...args) => execFileSync(tool, ["--store", store, "--user", "alice", ...args], { encoding: "utf8", maxBuffer: 1 << 30 });
const now = () => performance.now();

function id(kind, n) {
  return `{${kind}0000000-0000-0000-0000-${String(n).padStart(12, "0")}}`;
}

// A template of this version: a start function, then tasks in a chain,
// placed on a grid and linked.
function processXml(functions) {
  const rows = [], links = [];
  for (let i = 0; i < functions; ++i) {
    const type = i === 0 ? "{2E0A9AAF-CC20-46CD-875E-F3987718C551}" : "{2B262D6F-6195-44DE-A0CC-A60129BBCF99}";
    rows.push(`<FunctionsRow ID="${id("F", i)}" Caption="Step ${i}" TypeID="${type}" XPos="${40 + (i % 100) * 150}" YPos="${40 + Math.floor(i / 100) * 100}" Width="120" Height="60"><PassStates/></FunctionsRow>`);
    if (i > 0) links.push(`<LinksRow ID="${id("C", i)}" Source="${id("F", i - 1)}" Destination="${id("F", i)}"/>`);
  }
  return `<Data><Process CardTypeID="{AE82DD57-348C-4407-A50A-9F2C7D694DA8}" Template="1">` +
    `<MainInfo Name="Large ${functions}" Version="4.1" BuildNumber="1316" Template="1"><DocTypes/></MainInfo>` +
    `<Functions>${rows.join("")}</Functions><Gates/><Links>${links.join("")}</Links><Variables/><LogMessages/></Process></Data>`;
}

function importProcess(functions) {
  const file = path.join(folder, `large-${functions}.xml`);
  writeFileSync(file, processXml(functions));
  return JSON.parse(run("--json", "import", file)).id;
}

function residentKiB(pid) {
  return Number(readFileSync(`/proc/${pid}/status`, "utf8").match(/VmRSS:\s+(\d+)/)[1]);
}
function cpuTicks(pid) {
  const fields = readFileSync(`/proc/${pid}/stat`, "utf8").split(") ")[1].split(" ");
  return Number(fields[11]) + Number(fields[12]);  // utime + stime
}

// Frames the page paints in `ms` of idle time, per second: the floor of a
// drag's frame rate.
const idleFps = (page, ms) => page.evaluate((ms) => new Promise((resolve) => {
  let frames = 0;
  const t0 = performance.now();
  const tick = (t) => { if (t - t0 < ms) { ++frames; requestAnimationFrame(tick); } else resolve(frames * 1000 / (t - t0)); };
  requestAnimationFrame(tick);
}), ms);

// Editing the open 1,000-function card: rows of the table.
async function editorTimings(page) {
  const rows = [];
  const idle = await idleFps(page, 2000);
  // A drag of the first task across 400 pixels in 120 pointer moves; the
  // page counts its frames and the longest gap between two.
  const task = id("F", 1);
  const node = page.locator(`.djs-element[data-element-id="${task}"]`);
  const box = await node.boundingBox();
  await page.evaluate(() => {
    window.dragFrames = { frames: 0, longest: 0, running: true };
    let last = performance.now();
    const tick = (t) => {
      const f = window.dragFrames;
      if (!f.running) return;
      ++f.frames; f.longest = Math.max(f.longest, t - last); last = t;
      requestAnimationFrame(tick);
    };
    window.dragFrames.t0 = performance.now();
    requestAnimationFrame(tick);
  });
  await page.mouse.move(box.x + box.width / 2, box.y + box.height / 2);
  await page.mouse.down();
  for (let i = 1; i <= 120; ++i) await page.mouse.move(box.x + box.width / 2 + i * 400 / 120, box.y + box.height / 2 + i * 80 / 120);
  const drag = await page.evaluate(() => {
    const f = window.dragFrames;
    f.running = false;
    return { fps: f.frames * 1000 / (performance.now() - f.t0), longest: f.longest };
  });
  await page.mouse.up();
  rows.push(["dragging a node in 1,000 functions: frames per second (longest frame)", `${drag.fps.toFixed(1)} fps (${drag.longest.toFixed(0)} ms)`,
             `idle page ${idle.toFixed(1)} fps`, (drag.fps / idle).toFixed(2) + "x"]);

  // An edit sent to the designer and its graph back, drawn and painted, on
  // the page's clock: a move of one node back and forth (median of 21).
  // The next graph from the designer, drawn and painted.
  await page.evaluate(() => {
    window.graphBack = () => new Promise((resolve) => {
      const on = (e) => {
        if (JSON.parse(e.data).type !== "graph") return;
        card.socket.removeEventListener("message", on);
        requestAnimationFrame(() => setTimeout(resolve, 0));
      };
      card.socket.addEventListener("message", on);
    });
  });
  const roundTrips = await page.evaluate(async (nodeId) => {
    const times = [];
    for (let i = 0; i < 21; ++i) {
      const t0 = performance.now();
      const back = graphBack();
      edit([{ op: "move", id: nodeId, x: 200 + (i % 2) * 40, y: 40 }]);
      await back;
      times.push(performance.now() - t0);
    }
    const floor = [];
    for (let i = 0; i < 21; ++i) { const t0 = performance.now(); await (await fetch("/api/processes")).text(); floor.push(performance.now() - t0); }
    const median = (list) => list.sort((a, b) => a - b)[Math.floor(list.length / 2)];
    return { edit: median(times), floor: median(floor) };
  }, task);
  rows.push(["an edit's round trip to the designer and back drawn, 1,000 functions (median of 21)", `${roundTrips.edit.toFixed(1)} ms`,
             `one request ${roundTrips.floor.toFixed(1)} ms`, (roundTrips.edit / roundTrips.floor).toFixed(2) + "x"]);

  // Tidy-up of all nodes: the layout in the page, then the click to the laid
  // out graph back from the designer, drawn and painted; beside the page
  // drawing the same graph when the card opened.
  const tidy = await page.evaluate(async () => {
    card.view.diagram.get("selection").select(null);
    let t0 = performance.now();
    const moves = card.view.tidyUp(false);
    const layout = performance.now() - t0;
    const back = graphBack();
    t0 = performance.now();
    document.querySelector("#tidy").click();
    await back;
    return { layout, whole: performance.now() - t0, moves: moves.length,
             drawn: performance.getEntriesByName("graph drawn")[0].duration };
  });
  rows.push([`tidy-up of ${tidy.moves} nodes: click to the laid-out graph painted`, `${tidy.whole.toFixed(0)} ms (layout ${tidy.layout.toFixed(0)} ms)`,
             `first drawing ${tidy.drawn.toFixed(0)} ms`, (tidy.whole / tidy.drawn).toFixed(2) + "x"]);
  return rows;
}

async function main() {
  run("init");
  const ids = { 1000: importProcess(1000), 10000: importProcess(10000) };
  const server = spawn(tool, ["--store", store, "--user", "alice", "serve", "--port", "0"], { stdio: ["ignore", "pipe", "inherit"] });
  const url = await new Promise((resolve) => {
    let out = "";
    server.stdout.on("data", (c) => { out += c; const m = out.match(/alice: (http:\/\/\S+)/); if (m) resolve(m[1]); });
  });
  const browser = await chromium.launch({ executablePath: process.env.CHROMIUM ?? "/usr/bin/chromium", args: ["--no-sandbox"] });
  const context = await browser.newContext({ viewport: { width: 1280, height: 800 } });
  const start = await context.newPage();
  await start.goto(url);
  const rows = [];

  for (const functions of [1000, 10000]) {
    const started = now();
    run("export", ids[functions], path.join(folder, `floor-${functions}.xml`));
    const floor = now() - started;
    const before = residentKiB(server.pid);
    const page = await context.newPage();
    await page.goto(new URL(`/card?id=${encodeURIComponent(ids[functions])}`, url).href);
    await page.locator("#designer[data-drawn]").waitFor({ timeout: 120000 });
    // From the page's navigation to the frame after the drawing, on the
    // page's own clock (the driver's polling is not in the figure).
    const drawn = await page.evaluate(() => new Promise((r) => requestAnimationFrame(() => requestAnimationFrame(() => r(performance.now())))));
    const inPage = await page.evaluate(() => Object.fromEntries(performance.getEntriesByType("measure").map((e) => [e.name, e.duration])));
    const memory = (residentKiB(server.pid) - before) / 1024;
    rows.push([`open ${functions} functions to first drawing`, `${drawn.toFixed(0)} ms`, `tool export ${floor.toFixed(0)} ms`, (drawn / floor).toFixed(2) + "x"]);
    rows.push([`  of which the page parsed the graph / drew it`, `${inPage["graph parsed"].toFixed(0)} ms / ${inPage["graph drawn"].toFixed(0)} ms`, "", ""]);
    rows.push([`server memory for the open ${functions}-function card`, `${memory.toFixed(1)} MiB`, "", ""]);
    if (functions === 1000) rows.push(...await editorTimings(page));
    if (functions === 10000) {
      // A toolbar click to its answer painted, on the page's clock: the
      // properties dialog (a question from the card) and a zoom (a new
      // window from the card, the drawing scaled).
      const clicks = await page.evaluate(async () => {
        const painted = () => new Promise((r) => requestAnimationFrame(() => setTimeout(r, 0)));
        const until = async (done) => { while (!done()) await new Promise((r) => setTimeout(r, 1)); };
        const button = (key) => document.querySelector(`#toolbar button[data-key='${key}']`);
        const dialog = document.querySelector("dialog#ask");
        const out = { dialog: [], zoom: [] };
        for (let i = 0; i < 11; ++i) {
          let t0 = performance.now();
          button("Properties").click();
          await until(() => dialog.open);
          await painted();
          out.dialog.push(performance.now() - t0);
          [...document.querySelectorAll("#ask-buttons button")].find((b) => b.textContent === "Cancel").click();
          await until(() => !dialog.open);
          await painted();
          const zoom = document.querySelector("#designer").dataset.zoom;
          t0 = performance.now();
          button(i % 2 ? "Zoomout" : "Zoomin").click();
          await until(() => document.querySelector("#designer").dataset.zoom !== zoom);
          await painted();
          out.zoom.push(performance.now() - t0);
        }
        return out;
      });
      const median = (list) => list.sort((a, b) => a - b)[Math.floor(list.length / 2)];
      rows.push(["toolbar click to its dialog painted (median of 11), 10,000 functions", `${median(clicks.dialog).toFixed(1)} ms`, "", ""]);
      rows.push(["toolbar zoom click to the scaled drawing painted (median of 11), 10,000 functions", `${median(clicks.zoom).toFixed(1)} ms`, "", ""]);
      // The floor of a click: the same round trip through the server with
      // nothing drawn (a tab that only looks is refused; the page gets
      // nothing back, so the floor is a plain fetch of the start list).
      const floorMs = await page.evaluate(async () => {
        const t = [];
        for (let i = 0; i < 11; ++i) { const t0 = performance.now(); await (await fetch("/api/processes")).text(); t.push(performance.now() - t0); }
        return t.sort((a, b) => a - b)[5];
      });
      rows.push(["  floor: one request to the server from the page (median of 11)", `${floorMs.toFixed(1)} ms`, "", ""]);
    }
    await page.close();  // the card closes when its grace period ends
  }

  // 20 instances open in 20 tabs, their timers ticking.
  const template = ids[1000];
  const tabs = [];
  for (let i = 0; i < 20; ++i) {
    const instance = JSON.parse(run("--json", "instance", template)).id;
    const tab = await context.newPage();
    await tab.goto(new URL(`/card?id=${encodeURIComponent(instance)}`, url).href);
    await tab.locator("#designer[data-drawn]").waitFor({ timeout: 120000 });
    tabs.push(tab);
  }
  await new Promise((r) => setTimeout(r, 2000));
  const ticks0 = cpuTicks(server.pid), t0 = now();
  await new Promise((r) => setTimeout(r, 10000));
  const share = ((cpuTicks(server.pid) - ticks0) / 100) / ((now() - t0) / 1000) * 100;
  rows.push(["20 open instances, timers running: server CPU", `${share.toFixed(2)} % of one core`, "", ""]);

  await browser.close();
  server.kill("SIGINT");
  await new Promise((r) => server.on("exit", r));
  rmSync(folder, { recursive: true, force: true });
  for (const r of rows) console.log(r.filter(Boolean).join(" | "));
}

main().catch((e) => { console.error(e); process.exit(1); });
