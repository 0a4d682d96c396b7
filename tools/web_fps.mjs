// Frame rate of the web page in Debian's headless Chromium: serves PAGE_DIR
// on 127.0.0.1, opens it at WIDTH x HEIGHT (pixel ratio 1) and prints the
// title's readout once per second, then the median. "uncapped" lets frames
// run past the display's 60 Hz. A measurement, not a test.
//
// Usage: node tools/web_fps.mjs PAGE_DIR WIDTH HEIGHT SECONDS [uncapped]
import { readFileSync } from "node:fs";
import { createRequire } from "node:module";
import { createServer } from "node:http";
import { extname, join } from "node:path";

const require = createRequire(new URL("../tests/web/package.json", import.meta.url));
const puppeteer = require("puppeteer-core");
const [pageDir, width, height, seconds, mode] = process.argv.slice(2);
const types = {".html": "text/html", ".js": "text/javascript", ".wasm": "application/wasm"};

const server = createServer((request, response) => {
  const name = new URL(request.url, "http://x").pathname.slice(1) || "index.html";
  try {
    const body = readFileSync(join(pageDir, name));
    response.writeHead(200, {"Content-Type": types[extname(name)] || "text/plain"}).end(body);
  } catch {
    response.writeHead(404).end();
  }
});
await new Promise((resolve) => server.listen(0, "127.0.0.1", resolve));
const uncapped = mode === "uncapped" ? ["--disable-gpu-vsync", "--disable-frame-rate-limit"] : [];
const browser = await puppeteer.launch({
  executablePath: "/usr/bin/chromium",
  headless: true,
  args: ["--no-sandbox", "--use-angle=swiftshader", "--enable-unsafe-swiftshader",
         "--disable-background-networking", "--disable-component-update", "--disable-sync",
         "--no-first-run", ...uncapped],
});
const rates = [];
try {
  const page = await browser.newPage();
  await page.setViewport({width: Number(width), height: Number(height), deviceScaleFactor: 1});
  await page.goto(`http://127.0.0.1:${server.address().port}/`);
  await page.waitForFunction(() => /FPS$/.test(document.title), {timeout: 30000});
  for (let i = 0; i < Number(seconds); i++) {
    await new Promise((resolve) => setTimeout(resolve, 1000));
    const match = / - ([0-9.e+]+) FPS$/.exec(await page.title());
    if (match) rates.push(Number(match[1]));
  }
} finally {
  await browser.close();
  server.close();
}
rates.sort((a, b) => a - b);
console.log(`readouts: ${rates.join(" ")}`);
console.log(`median ${rates.length ? rates[rates.length >> 1] : "none"} fps`);
