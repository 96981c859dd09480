// Loads one page of a deterministic run in Debian's chromium (playwright-core)
// and writes window.kurunoaResult as JSON once the title says the run is done.
// Usage: node run_page.mjs URL PROFILE_DIR OUT_JSON  (exit 77: cannot run here)
import fs from "node:fs";

import { CHROMIUM } from "./browser.mjs";

const [url, profile, out] = process.argv.slice(2);
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
  const page = context.pages()[0] || (await context.newPage());
  page.on("pageerror", (e) => console.log("page error: " + e));
  await page.goto(url);
  await page.waitForFunction(() => document.title.startsWith("kurunoa done"), null,
    { timeout: 300000, polling: 200 });
  fs.writeFileSync(out, JSON.stringify(await page.evaluate(() => window.kurunoaResult)));
} finally {
  await context.close();
}
