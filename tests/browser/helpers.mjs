// What the browser tests share: the tool's server, a card opened in a page
// as a person opens it, a message box answered, a card closed.
import { spawn } from "node:child_process";

// The tool's server for one or more accounts: the process and the address
// it prints for each.
export async function serveAccounts(tool, store, accounts, ...options) {
  const child = spawn(tool, ["--store", store, ...options, "serve", "--port", "0", ...accounts.flatMap((a) => ["--user", a])],
                      { stdio: ["ignore", "pipe", "inherit"] });
  const urls = await new Promise((resolve, reject) => {
    let out = "";
    child.stdout.on("data", (chunk) => {
      out += chunk;
      const found = Object.fromEntries(accounts.map((a) => [a, out.match(new RegExp(a + ": (http://\\S+)"))?.[1]]));
      if (Object.values(found).every(Boolean)) resolve(found);
    });
    child.on("exit", (code) => reject(new Error("the server ended with " + code)));
  });
  return [child, urls];
}

// Stops the server as Ctrl-C does: its exit code, or null when it was not
// running.
export async function stopServer(server) {
  if (!server || server.exitCode !== null) return null;
  const ended = new Promise((resolve) => server.on("exit", resolve));
  server.kill("SIGINT");
  return ended;
}

// The same for one account: the process and its address.
export async function serve(tool, store, account, ...options) {
  const [child, urls] = await serveAccounts(tool, store, [account], ...options);
  return [child, urls[account]];
}

// Opens a card in a new page of `context` (a browser context is one
// person: its cookie holds that person's token).
export async function openCard(context, id, address, settled = true) {
  const page = await context.newPage({ viewport: { width: 1100, height: 700 } });
  await page.goto(address);
  await page.goto(new URL(`/card?id=${encodeURIComponent(id)}`, address).href);
  if (settled) {
    await page.locator("#designer[data-drawn]").waitFor();
    await page.waitForFunction(() => document.querySelector("#mode").textContent !== "");
  }
  return page;
}

// Answers the message box that is open with OK; its text.
export async function acknowledge(page) {
  const dialog = page.locator("dialog#ask[open]");
  await dialog.waitFor();
  const text = await dialog.locator("#ask-text").textContent();
  await dialog.getByRole("button", { name: "OK" }).click();
  await page.waitForFunction(() => !document.querySelector("dialog#ask").open);
  return text;
}

// Closes the card as its person does, so that the next test finds it free:
// a question still open is cancelled first. Used in `finally`, it never
// throws over the failure that brought it there.
export async function closeCard(page) {
  try {
    for (let i = 0; i < 5 && await page.locator("dialog#ask[open]").count(); ++i) {
      await page.keyboard.press("Escape");
      await page.waitForTimeout(200);
    }
    if (await page.locator("#close-card").isVisible()) {
      await page.locator("#close-card").click({ timeout: 5000 });
      // The card may ask first whether to save what the test left changed:
      // the test did not mean to keep it.
      const asked = page.locator("dialog#ask[open]");
      const home = page.waitForURL((u) => u.pathname === "/", { timeout: 10000 });
      home.catch(() => {});
      await Promise.race([home, asked.waitFor({ timeout: 10000 }).catch(() => {})]);
      if (await asked.count()) {
        console.log("closing the card: " + (await asked.locator("#ask-text").textContent()));
        await asked.getByRole("button", { name: "No" }).click({ timeout: 5000 });
      }
      await home;
    }
  } catch (e) {
    console.log("closing the card: " + e.message.split("\n")[0]);
  }
  await page.close();
}
