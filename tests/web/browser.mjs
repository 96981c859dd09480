// Shared by the browser scripts: a static server for the site and the way
// Debian's chromium is started here (playwright-core cannot fetch browsers).
import fs from "node:fs";
import http from "node:http";
import path from "node:path";

export const CHROMIUM = {
  executablePath: ["/usr/bin/chromium", "/usr/bin/chromium-browser"].find((p) => fs.existsSync(p)),
  args: ["--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
    "--disable-background-networking", "--disable-component-update", "--disable-sync"],
};

const TYPES = { ".html": "text/html", ".js": "text/javascript", ".wasm": "application/wasm",
  ".css": "text/css" };

// Serves the folder on a free loopback port; resolves to {base, close}.
export async function serve(folder) {
  const root = path.resolve(folder);
  const server = http.createServer((req, res) => {
    const file = path.join(root, decodeURIComponent(new URL(req.url, "http://x").pathname));
    if (!file.startsWith(root) || !fs.existsSync(file) || fs.statSync(file).isDirectory()) {
      res.writeHead(404).end();
      return;
    }
    res.writeHead(200, { "Content-Type": TYPES[path.extname(file)] || "application/octet-stream" });
    fs.createReadStream(file).pipe(res);
  });
  await new Promise((ok) => server.listen(0, "127.0.0.1", ok));
  return { base: `http://127.0.0.1:${server.address().port}/`, close: () => server.close() };
}

export const sleep = (ms) => new Promise((ok) => setTimeout(ok, ms));
