// The remote's page in a real browser: Debian's chromium, headless, driven
// through its DevTools protocol, against the program started here with
// --headless --remote on a copy of the bundle in a private HOME.
import { test, before, after } from "node:test";
import assert from "node:assert/strict";
import { execFile, spawn } from "node:child_process";
import { promisify } from "node:util";
import { cpSync, mkdtempSync, readFileSync, rmSync, writeFileSync } from "node:fs";
import { tmpdir } from "node:os";
import { join } from "node:path";
import puppeteer from "puppeteer-core";

const program = process.env.SOUNDBOARD_PROGRAM;
const sourceBundle = process.env.SOUNDBOARD_SOURCE_BUNDLE;
const browserPath = process.env.CHROMIUM || "/usr/bin/chromium";

let home;
let child;
let browser;
let pairing;
let bus;
let busAddress;
const run = promisify(execFile);

function waitForAddress(stream) {
  return new Promise((resolve, reject) => {
    let seen = "";
    const timer = setTimeout(() => reject(new Error("no address printed: " + seen)), 60000);
    stream.on("data", (chunk) => {
      seen += chunk.toString();
      const found = seen.match(/http:\/\/[^\s]+\/pair\?key=[0-9a-f]+/);
      if (found) {
        clearTimeout(timer);
        resolve(found[0]);
      }
    });
  });
}

// A session bus of the test's own, so that --play reaches this copy alone.
function startBus() {
  return new Promise((resolve, reject) => {
    bus = spawn("dbus-daemon", ["--session", "--nofork", "--print-address=1"],
                { stdio: ["ignore", "pipe", "ignore"] });
    bus.on("error", reject);
    let seen = "";
    bus.stdout.on("data", (chunk) => {
      seen += chunk.toString();
      if (seen.includes("\n")) resolve(seen.trim());
    });
  });
}

function programEnvironment() {
  return { ...process.env, HOME: home, XDG_CONFIG_HOME: join(home, ".config"),
           SDL_AUDIODRIVER: "dummy", DBUS_SESSION_BUS_ADDRESS: busAddress };
}

before(async () => {
  home = mkdtempSync(join(tmpdir(), "remote-page-"));
  cpSync(sourceBundle, join(home, "bundle"), { recursive: true });
  busAddress = await startBus();
  child = spawn(program, ["--bundle", join(home, "bundle"), "--headless", "--remote"], {
    env: programEnvironment(),
    stdio: ["ignore", "pipe", "inherit"],
  });
  const address = await waitForAddress(child.stdout);
  // The loopback is one of the computer's addresses.
  pairing = address.replace(/^http:\/\/[^/]+/, (origin) =>
    "http://127.0.0.1:" + origin.split(":").pop());
  browser = await puppeteer.launch({
    executablePath: browserPath,
    headless: true,
    args: ["--no-sandbox", "--disable-gpu", "--no-first-run"],
  });
});

after(async () => {
  if (browser) await browser.close();
  if (child) child.kill("SIGTERM");
  if (bus) bus.kill("SIGTERM");
  if (home) rmSync(home, { recursive: true, force: true });
});

test("the page plays, follows the board and fits a phone", async () => {
  const page = await browser.newPage();
  await page.setViewport({ width: 390, height: 844, isMobile: true, hasTouch: true });
  await page.goto(pairing, { waitUntil: "load" });
  assert.equal(new URL(page.url()).pathname, "/", "the pairing leads to the page");
  await page.waitForSelector("button.sound");

  const categories = await page.$$eval("main h2", (all) => all.map((h) => h.textContent));
  assert.ok(categories.length > 1, "every category, not only the first: " + categories);

  // A tap plays on the computer: the program reports the sound playing.
  await page.click("button.sound[data-number='004']");
  await page.waitForSelector("button.sound.playing[data-number='004']", { timeout: 5000 });
  const stopped = page.waitForResponse((r) => r.url().endsWith("/api/stop"));
  await page.click("#stop");
  assert.equal((await stopped).status(), 204);
  await page.waitForFunction(() => !document.querySelector("button.sound.playing"),
                             { timeout: 5000 });

  // The volume from the page comes back from the computer.
  const volumeSet = page.waitForResponse((r) => r.url().includes("/api/volume"));
  await page.$eval("#volume", (slider) => {
    slider.value = "35";
    slider.dispatchEvent(new Event("change"));
  });
  assert.equal((await volumeSet).status(), 204);

  // Search folds case and accents as Find Sound does.
  await page.type("#search", "AIR");
  await page.waitForFunction(() =>
    document.querySelectorAll("button.sound:not(.hidden)").length === 1);
  await page.$eval("#search", (field) => { field.value = ""; });
  await page.type("#search", " ");
  await page.keyboard.press("Backspace");

  // A sound dropped into the board appears without a reload.
  const catalogue = join(home, "bundle", "Data.XML");
  const text = readFileSync(catalogue, "utf8").replace(
    "</DT>", '    <DS audio_no="030" label="Dropped In Live" />\n    </DT>');
  writeFileSync(catalogue, text);
  await page.waitForFunction(() => [...document.querySelectorAll("button.sound")]
    .some((b) => b.textContent.includes("Dropped In Live")), { timeout: 5000 });

  // A phone's screen: nothing to scroll sideways, and every control named.
  const wide = await page.evaluate(() =>
    document.documentElement.scrollWidth > document.documentElement.clientWidth);
  assert.equal(wide, false, "no horizontal scrolling at 390 x 844");
  const tree = await page.accessibility.snapshot({ interestingOnly: true });
  const unnamed = [];
  const walk = (node) => {
    if (["button", "slider", "searchbox", "textbox"].includes(node.role) && !node.name) {
      unnamed.push(node.role);
    }
    (node.children || []).forEach(walk);
  };
  walk(tree);
  assert.deepEqual(unnamed, [], "every control has an accessible name");
  await page.screenshot({ path: join(process.env.SCREENSHOT_DIR || home, "remote-phone.png") });
});

test("a sound started on the computer shows on the page, and its stop too", async () => {
  const page = await browser.newPage();
  await page.setViewport({ width: 390, height: 844, isMobile: true, hasTouch: true });
  await page.goto(new URL(pairing).origin + "/", { waitUntil: "load" });
  await page.waitForSelector("button.sound[data-number='006']");
  // Another program's trigger, as a Stream Deck key would send it.
  await run(program, ["--play", "Applause"], { env: programEnvironment() });
  await page.waitForSelector("button.sound.playing[data-number='006']", { timeout: 5000 });
  const named = await page.$eval("button.sound[data-number='006']", (b) => b.textContent);
  assert.match(named, /playing/, "a screen reader hears it playing too");
  await run(program, ["--stop-all"], { env: programEnvironment() });
  await page.waitForFunction(() => !document.querySelector("button.sound.playing"),
                             { timeout: 5000 });
  await page.close();
});

test("without the pairing every route answers 401 and plays nothing", async () => {
  const origin = new URL(pairing).origin;
  for (const [method, path] of [["GET", "/"], ["GET", "/remote.js"], ["GET", "/api/board"],
                                ["GET", "/api/events"], ["POST", "/api/play?sound=001"],
                                ["POST", "/api/stop"], ["POST", "/api/volume?percent=5"]]) {
    const answer = await fetch(origin + path, { method, headers: { Origin: origin } });
    assert.equal(answer.status, 401, method + " " + path);
  }
});
