// Loads the page of a deterministic run in Debian's chromium (playwright-core)
// and writes window.kurunoaResult as JSON once the title says the run is done.
// Usage: node run_page.mjs URL PROFILE_DIR OUT_JSON [--tabs N] [--failing-storage]
//   --tabs N: N pages of URL at once in the one profile; OUT_JSON is then a list.
//   --failing-storage: the browser's storage refuses every write.
// (exit 77: cannot run here)
import fs from "node:fs";

import { CHROMIUM } from "./browser.mjs";

const [url, profile, out, ...options] = process.argv.slice(2);
const tabsAt = options.indexOf("--tabs");
const tabs = tabsAt >= 0 ? Number(options[tabsAt + 1]) : 1;
const failingStorage = options.includes("--failing-storage");
let chromium;
try {
  ({ chromium } = await import("playwright-core"));
} catch (e) {
  console.log("SKIP: playwright-core is not installed (scripts/setup-deps.sh)");
  process.exit(77);
}
let context;
try {
  context = await chromium.launchPersistentContext(profile, { ...CHROMIUM, headless: true });
} catch (e) {
  console.log("SKIP: chromium cannot start here: " + String(e).split("\n")[0]);
  process.exit(77);
}
try {
  if (failingStorage) {
    await context.addInitScript(() => {
      IDBObjectStore.prototype.put = () => {
        throw new DOMException("storage refused", "QuotaExceededError");
      };
    });
  }
  const pages = [];
  for (let i = 0; i < tabs; ++i) {
    const page = i === 0 && context.pages()[0] ? context.pages()[0] : await context.newPage();
    page.on("pageerror", (e) => console.log("page error: " + e));
    pages.push(page);
  }
  const results = await Promise.all(pages.map(async (page) => {
    await page.goto(url);
    await page.waitForFunction(() => document.title.startsWith("kurunoa done"), null,
      { timeout: 300000, polling: 200 });
    return page.evaluate(() => window.kurunoaResult);
  }));
  fs.writeFileSync(out, JSON.stringify(tabs === 1 ? results[0] : results));
} finally {
  await context.close();
}
