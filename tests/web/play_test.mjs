// The page played with real key events in real time, in Debian's chromium
// driven by playwright-core: Down moves the title cursor, Space starts a year
// and the picture changes (with sound: the page's audio graph is not silent),
// Escape ends the game and the page offers a restart. Then a register made by
// the desktop program is imported, shows on the records screen after the
// reload, and is exported again byte for byte. Last, a gamepad (a stand-in for
// the browser's Gamepad API) moves the cursor and quits with Back.
// Usage: node play_test.mjs WEB_BUILD_DIR GAME_DIR YEAR_KEYS_SCRIPT   (exit 77: skipped)
import { execFileSync } from "node:child_process";
import fs from "node:fs";
import os from "node:os";
import path from "node:path";

import { CHROMIUM, serve, sleep } from "./browser.mjs";

const SKIP = 77;
const site = path.join(process.argv[2] || "build-web", "site");
if (!fs.existsSync(path.join(site, "kurunoa.js"))) {
  console.log("SKIP: the browser build is missing (make web)");
  process.exit(SKIP);
}
let chromium;
try {
  ({ chromium } = await import("playwright-core"));
} catch (e) {
  console.log("SKIP: playwright-core is not installed (scripts/setup-deps.sh)");
  process.exit(SKIP);
}

const server = await serve(site);
const base = server.base;

let browser;
try {
  browser = await chromium.launch(CHROMIUM);
} catch (e) {
  console.log("SKIP: chromium cannot start here: " + String(e).split("\n")[0]);
  server.close();
  process.exit(SKIP);
}

// Keys are held long enough for a frame loop to see them even when the
// machine is busy; a quitting key is held until the page shows the end.
async function holdKey(page, key) {
  await page.keyboard.down(key);
  await sleep(300);
  await page.keyboard.up(key);
  await sleep(700);
}
async function holdUntilEnded(page, press, release) {
  await press();
  const ended = await page.waitForFunction(() => !document.getElementById("ended").hidden, null,
    { timeout: 15000 }).then(() => true, () => false);
  await release();
  return ended;
}

const failures = [];
function check(ok, what) {
  console.log((ok ? "ok " : "FAIL ") + what);
  if (!ok) failures.push(what);
}

try {
  const page = await browser.newPage();
  page.on("pageerror", (e) => console.log("page error: " + e));
  await page.goto(base + "index.html?trace");
  check((await page.title()) === "Kurunoa", "the page is titled Kurunoa");
  await page.waitForFunction(() => document.getElementById("loading").hidden, null, { timeout: 30000 });
  const picture = () => page.evaluate(() => {
    const c = document.getElementById("screen");
    const d = c.getContext("2d").getImageData(0, 0, c.width, c.height).data;
    let h = 0;
    for (let i = 0; i < d.length; i += 4) h = (h * 31 + d[i] * 7 + d[i + 1] * 3 + d[i + 2]) >>> 0;
    return h;
  });
  const hold = (key) => holdKey(page, key);
  const scrollBefore = await page.evaluate(() => window.scrollY);
  await sleep(1500);
  await hold("Space"); // past the intro
  await sleep(1500);
  await hold("ArrowDown");
  await sleep(300);
  const title = await picture();
  await hold("Space"); // the year at the left school
  await sleep(2000);
  check((await picture()) !== title, "Space starts a year and the picture changes");
  check((await page.evaluate(() => window.scrollY)) === scrollBefore, "the page does not scroll");
  let loudest = 0;
  for (let i = 0; i < 20 && loudest < 0.01; i++) {
    loudest = Math.max(loudest, await page.evaluate(() => Module.kurunoaAudio.level()));
    await sleep(250);
  }
  check(loudest >= 0.01, "the music sounds during play (level " + loudest.toFixed(3) + ")");
  check(await holdUntilEnded(page, () => page.keyboard.down("Escape"),
    () => page.keyboard.up("Escape")), "Escape leads to the restart offer");
  const trace = await page.evaluate(() => FS.readFile("/trace.jsonl", { encoding: "utf8" }));
  const polls = trace.split("\n").filter((l) => l.includes('"mode"')).map((l) => JSON.parse(l));
  const titlePolls = polls.filter((p) => p.mode === 0);
  check(titlePolls.length > 0 && titlePolls[0].menu === 1 &&
    titlePolls.some((p) => p.menu === 2), "Down moves the title cursor");
  check(polls.some((p) => p.mode === 1 && p.menu === 2), "the year started at the left school");
  // Enter on the offer starts the game again.
  await page.keyboard.press("Enter");
  await page.waitForFunction(() => document.getElementById("loading").hidden &&
    document.getElementById("ended").hidden && typeof Module.kurunoaAudio === "object", null,
  { timeout: 30000 }).then(() => check(true, "Enter on the offer starts again"),
    () => check(false, "Enter on the offer starts again"));

  // A register from the desktop: one graduate of a whole year.
  const [game, yearKeys] = process.argv.slice(3);
  const app = fs.mkdtempSync(path.join(os.tmpdir(), "kurunoa_import_"));
  fs.cpSync(path.join(game, "da"), path.join(app, "da"), { recursive: true });
  for (const name of ["da1.txt", "da2.txt"]) fs.rmSync(path.join(app, "da", name), { force: true });
  fs.writeFileSync(path.join(app, "keys.txt"), execFileSync("bash", [yearKeys, "front"]));
  execFileSync(path.join(game, "kurunoa"), ["--headless", "--seed", "2024", "--app-dir", app,
    "--input", path.join(app, "keys.txt")]);
  const files = ["da1.txt", "da2.txt"].map((name) => ({ name, mimeType: "text/plain",
    buffer: fs.readFileSync(path.join(app, "da", name)) }));
  fs.rmSync(app, { recursive: true, force: true });
  const second = await browser.newPage({ acceptDownloads: true });
  await second.goto(base + "index.html?trace");
  await second.waitForFunction(() => document.getElementById("loading").hidden);
  await Promise.all([second.waitForNavigation(), second.setInputFiles("#import", files)]);
  await second.waitForFunction(() => document.getElementById("loading").hidden);
  await sleep(1500);
  for (const key of ["Space", "ArrowDown", "ArrowDown", "Space"]) await holdKey(second, key);
  await sleep(500);
  const downloads = [];
  second.on("download", (d) => downloads.push(d));
  await second.click("#export");
  await sleep(1000);
  const exported = {};
  for (const d of downloads) exported[d.suggestedFilename()] = fs.readFileSync(await d.path());
  check(files.every((f) => exported[f.name] && exported[f.name].equals(f.buffer)),
    "export gives back the imported register");
  await holdUntilEnded(second, () => second.keyboard.down("Escape"),
    () => second.keyboard.up("Escape"));
  const records = (await second.evaluate(() => FS.readFile("/trace.jsonl", { encoding: "utf8" })))
    .split("\n").filter((l) => l.includes('"mode": 3'));
  check(records.length > 0 && records.every((l) => l.includes('"count": 1')),
    "the imported graduate is on the records screen");

  const third = await browser.newPage();
  await third.addInitScript(() => {
    window.padButtons = new Array(17).fill(false);
    navigator.getGamepads = () => [{ mapping: "standard", axes: [0, 0, 0, 0],
      buttons: window.padButtons.map((pressed) => ({ pressed, value: pressed ? 1 : 0 })) }];
  });
  await third.goto(base + "index.html?trace");
  await third.waitForFunction(() => document.getElementById("loading").hidden);
  await third.evaluate(() => window.dispatchEvent(new Event("gamepadconnected")));
  const padButton = (b, pressed) => third.evaluate(([b, pressed]) => {
    window.padButtons[b] = pressed;
  }, [b, pressed]);
  const pad = async (button) => {
    await padButton(button, true);
    await sleep(300);
    await padButton(button, false);
    await sleep(700);
  };
  await sleep(1000);
  await pad(0); // A: past the intro
  await pad(13); // the d-pad's down
  const ended = await holdUntilEnded(third, () => padButton(8, true), () => padButton(8, false));
  const padTrace = ended ? await third.evaluate(() => FS.readFile("/trace.jsonl", { encoding: "utf8" })) : "";
  check(ended && padTrace.includes('"mode": 0') && padTrace.includes('"menu": 2'),
    "a gamepad moves the title cursor and Back quits");
} finally {
  await browser.close();
  server.close();
}
process.exit(failures.length ? 1 : 0);
