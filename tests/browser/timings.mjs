// Timings of the web card host, in headless Chromium against the tool's
// server (not a test: it asserts nothing and prints figures).
//
//   VORLANE_TOOL=build/bin/vorlane node tests/browser/timings.mjs
//
// - opening a 1,000- and a 10,000-function template to its first complete
//   drawing (the designer's view drawn and painted in the page), beside the floor of
//   the tool exporting the same process in the same run;
// - a toolbar click to its answer on the page (the properties dialog open);
// - the server's resident memory for each open 10,000-function card;
// - the server's CPU while 20 instances are open with their timers running.
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
    const t0 = now();
    await page.goto(new URL(`/card?id=${encodeURIComponent(ids[functions])}`, url).href);
    await page.locator("#designer[data-drawn]").waitFor({ timeout: 120000 });
    await page.evaluate(() => new Promise((r) => requestAnimationFrame(() => requestAnimationFrame(r))));  // painted
    const drawn = now() - t0;
    const memory = (residentKiB(server.pid) - before) / 1024;
    rows.push([`open ${functions} functions to first drawing`, `${drawn.toFixed(0)} ms`, `tool export ${floor.toFixed(0)} ms`, (drawn / floor).toFixed(2) + "x"]);
    rows.push([`server memory for the open ${functions}-function card`, `${memory.toFixed(1)} MiB`, "", ""]);
    if (functions === 10000) {
      const clicks = [];
      for (let i = 0; i < 10; ++i) {
        const c0 = now();
        await page.locator("#toolbar button[data-key='Properties']").click();
        await page.locator("dialog#ask[open]").waitFor();
        clicks.push(now() - c0);
        await page.locator("dialog#ask").getByRole("button", { name: "Cancel" }).click();
        await page.waitForFunction(() => !document.querySelector("dialog#ask").open);
      }
      clicks.sort((a, b) => a - b);
      rows.push(["toolbar click to its dialog (median of 10), 10,000 functions", `${clicks[5].toFixed(1)} ms`, "", ""]);
      const zooms = [];
      for (let i = 0; i < 10; ++i) {
        const key = i % 2 ? "Zoomout" : "Zoomin";
        const want = i % 2 ? "1" : "1.25";
        const c0 = now();
        await page.locator(`#toolbar button[data-key='${key}']`).click();
        await page.waitForFunction((z) => document.querySelector("#designer").dataset.zoom === z, want);
        zooms.push(now() - c0);
      }
      zooms.sort((a, b) => a - b);
      rows.push(["toolbar zoom click to the redrawn view (median of 10), 10,000 functions", `${zooms[5].toFixed(1)} ms`, "", ""]);
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
