// Loads one page of a deterministic run in Debian's chromium (playwright-core)
// and writes window.kurunoaResult as JSON once the title says the run is done.
// Usage: node run_page.mjs URL PROFILE_DIR OUT_JSON  (exit 77: cannot run here)
import fs from "node:fs";

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
  context = await chromium.launchPersistentContext(profile, {
    executablePath: ["/usr/bin/chromium", "/usr/bin/chromium-browser"].find((p) => fs.existsSync(p)),
    headless: true,
    args: ["--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
      "--disable-background-networking", "--disable-component-update", "--disable-sync"],
  });
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
