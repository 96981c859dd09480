// Saves a picture of the page during play for the README.
// Usage: node page_shot.mjs WEB_BUILD_DIR OUT_PNG
import fs from "node:fs";
import http from "node:http";
import path from "node:path";
import { chromium } from "playwright-core";

const site = path.join(process.argv[2], "site");
const types = { ".html": "text/html", ".js": "text/javascript", ".wasm": "application/wasm",
  ".css": "text/css" };
const server = http.createServer((req, res) => {
  const file = path.join(site, decodeURIComponent(new URL(req.url, "http://x").pathname));
  if (!file.startsWith(site) || !fs.existsSync(file) || fs.statSync(file).isDirectory()) {
    res.writeHead(404).end();
    return;
  }
  res.writeHead(200, { "Content-Type": types[path.extname(file)] || "application/octet-stream" });
  fs.createReadStream(file).pipe(res);
});
await new Promise((ok) => server.listen(0, "127.0.0.1", ok));
const browser = await chromium.launch({ executablePath: "/usr/bin/chromium",
  args: ["--no-sandbox", "--disable-gpu", "--no-first-run"] });
const page = await browser.newPage({ viewport: { width: 1400, height: 820 } });
await page.goto(`http://127.0.0.1:${server.address().port}/index.html`);
const sleep = (ms) => new Promise((ok) => setTimeout(ok, ms));
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
