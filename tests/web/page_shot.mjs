// Saves a picture of the page during play for the README.
// Usage: node page_shot.mjs WEB_BUILD_DIR OUT_PNG
import path from "node:path";
import { chromium } from "playwright-core";

import { CHROMIUM, serve, sleep } from "./browser.mjs";

const server = await serve(path.join(process.argv[2], "site"));
const browser = await chromium.launch(CHROMIUM);
const page = await browser.newPage({ viewport: { width: 1400, height: 820 } });
await page.goto(server.base + "index.html");
await sleep(1500);
for (const key of ["Space", "Space"]) {
  await page.keyboard.down(key);
  await sleep(150);
  await page.keyboard.up(key);
  await sleep(1500);
}
await sleep(4000);
await page.screenshot({ path: process.argv[3] });
await browser.close();
server.close();
