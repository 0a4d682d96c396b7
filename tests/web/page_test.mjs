// The web page in Debian's headless Chromium, through puppeteer-core: it
// draws a lit tunnel with the readout in the title, F11 and the button toggle
// fullscreen (two quick presses leave it windowed), + and - change the speed,
// Esc reaches the end screen and "fly again" flies again, swipes and the
// on-screen buttons steer it by touch, the link carries the settings, reduced
// motion starts still, the page runs from disk and offline after one visit,
// a browser without WebGL or a page that cannot load gets a notice, the page
// keeps its size budget, and nothing is logged as an error. With a
// frame_shot program, a still frame is also compared with the native picture.
//
// Usage: node page_test.mjs PAGE_DIR [FRAME_SHOT]
import { execFileSync } from "node:child_process";
import { existsSync, readFileSync, readdirSync, mkdtempSync, rmSync } from "node:fs";
import { createServer } from "node:http";
import { tmpdir } from "node:os";
import { extname, join } from "node:path";
import { gzipSync } from "node:zlib";
import puppeteer from "puppeteer-core";

const pageDir = process.argv[2];
const frameShot = process.argv[3];
const kBudget = 150 * 1024;  // gzipped bytes for the whole page
const kTypes = {".html": "text/html", ".js": "text/javascript", ".png": "image/png",
                ".webmanifest": "application/manifest+json"};
const kFiles = readdirSync(pageDir);

let failures = 0;
function check(ok, what) {
  console.log(`${ok ? "ok  " : "FAIL"} ${what}`);
  if (!ok) failures++;
}

// The page folder on 127.0.0.1, on a port the system picks.
function serve() {
  const server = createServer((request, response) => {
    const name = new URL(request.url, "http://x").pathname.slice(1) || "index.html";
    if (!kFiles.includes(name)) {
      response.writeHead(404).end();
      return;
    }
    response.writeHead(200, {"Content-Type": kTypes[extname(name)] || "application/octet-stream"});
    response.end(readFileSync(join(pageDir, name)));
  });
  return new Promise((resolve) => server.listen(0, "127.0.0.1", () => resolve(server)));
}

function launch(extra = []) {
  return puppeteer.launch({
    executablePath: process.env.CHROMIUM || "/usr/bin/chromium",
    headless: true,
    protocolTimeout: 120000,
    args: ["--no-sandbox", "--use-angle=swiftshader", "--enable-unsafe-swiftshader",
           "--disable-background-networking", "--disable-component-update", "--disable-sync",
           "--no-first-run", ...extra],
  });
}

// Errors the page logs or throws, and failed loads.
function watchErrors(page) {
  const errors = [];
  page.on("console", (m) => { if (m.type() === "error") errors.push(m.text()); });
  page.on("pageerror", (e) => errors.push(String(e)));
  page.on("requestfailed", (r) => errors.push(`failed: ${r.url()}`));
  page.on("response", (r) => { if (r.status() >= 400) errors.push(`${r.status()}: ${r.url()}`); });
  return errors;
}

// The canvas right after a frame was drawn, as RGBA bytes, with the time;
// or, given a screenshot (a PNG in base64), its pixels.
async function grab(page, png) {
  const shot = await page.evaluate((png) => new Promise((resolve) => requestAnimationFrame(async () => {
    let canvas = document.getElementById("canvas");
    if (png) {
      canvas = new Image();
      canvas.src = `data:image/png;base64,${png}`;
      await canvas.decode();
    }
    const copy = document.createElement("canvas");
    copy.width = canvas.width;
    copy.height = canvas.height;
    const context = copy.getContext("2d");
    context.drawImage(canvas, 0, 0);
    const bytes = context.getImageData(0, 0, copy.width, copy.height).data;
    let text = "";
    for (let i = 0; i < bytes.length; i += 0x8000) {
      text += String.fromCharCode.apply(null, bytes.subarray(i, i + 0x8000));
    }
    resolve({width: copy.width, height: copy.height, time: performance.now(), data: btoa(text)});
  })), png);
  return {...shot, data: Buffer.from(shot.data, "base64")};
}

// Share of pixels brighter than a dim grey, and the brightest channel.
function light(shot) {
  let lit = 0;
  let brightest = 0;
  for (let i = 0; i < shot.data.length; i += 4) {
    const top = Math.max(shot.data[i], shot.data[i + 1], shot.data[i + 2]);
    if (top > 24) lit++;
    brightest = Math.max(brightest, top);
  }
  return {lit: lit / (shot.data.length / 4), brightest};
}

// Mean absolute change per channel, per second between the two grabs.
function changePerSecond(a, b) {
  let sum = 0;
  for (let i = 0; i < a.data.length; i++) if (i % 4 !== 3) sum += Math.abs(a.data[i] - b.data[i]);
  return sum / (a.data.length * 0.75) / ((b.time - a.time) / 1000);
}

async function waitTitle(page, pattern, ms) {
  await page.waitForFunction((p) => new RegExp(p).test(document.title), {timeout: ms},
                             pattern.source);
  return page.title();
}

async function pressTimes(page, key, times) {
  for (let i = 0; i < times; i++) await page.keyboard.press(key);
}

async function journeyChecks(browser, address) {
  const page = await browser.newPage();
  const errors = watchErrors(page);
  await page.setViewport({width: 320, height: 240, deviceScaleFactor: 2});
  await page.goto(address);

  // The readout's version, from project(VERSION) through the test's registration.
  const version = (process.env.RINGVOYAGE_READOUT_VERSION || "(not given)").replace(/\./g, "\\.");
  const readout = new RegExp(`^\\s*Ringvoyage ${version} - [0-9.e+]+ FPS$`);
  const title = await waitTitle(page, readout, 30000);
  check(true, `readout in the title: "${title}"`);
  const first = await grab(page);
  await page.setViewport({width: 300, height: 200, deviceScaleFactor: 1});
  await page.waitForFunction(() => document.getElementById("canvas").width === 300,
                             {timeout: 10000}).catch(() => {});
  const resized = await grab(page);
  check(first.width === 640 && first.height === 480 && resized.width === 300 &&
            resized.height === 200,
        `canvas follows the page size and pixel ratio: 320 x 240 at 2 gives ` +
            `${first.width} x ${first.height}, 300 x 200 at 1 gives ${resized.width} x ${resized.height}`);
  const {lit, brightest} = light(first);
  check(lit > 0.5 && brightest > 120,
        `a lit tunnel: ${(lit * 100).toFixed(0)}% of pixels lit, brightest ${brightest}`);

  const fullscreenIs = (on) => page.waitForFunction((v) => !!document.fullscreenElement === v,
                                                    {timeout: 10000}, on);
  await page.keyboard.press("F11");
  await fullscreenIs(true);
  await page.keyboard.press("F11");
  await fullscreenIs(false);
  await page.mouse.move(20, 20);  // the controls show while the pointer moves
  await page.click("#fullscreen");
  await fullscreenIs(true);
  await page.click("#fullscreen");
  await fullscreenIs(false);
  check(true, "F11 and the button toggle fullscreen, on and off");
  // Both presses sent at once: the second comes before the first has taken
  // effect (puppeteer's own presses are too far apart).
  await page.evaluate(() => {
    window.fullscreenChanges = 0;
    document.addEventListener("fullscreenchange", () => window.fullscreenChanges++);
  });
  const session = await page.createCDPSession();
  const f11 = {key: "F11", code: "F11", windowsVirtualKeyCode: 122};
  await Promise.all(["rawKeyDown", "keyUp", "rawKeyDown", "keyUp"].map(
      (type) => session.send("Input.dispatchKeyEvent", {type, ...f11})));
  await page.waitForFunction(() => window.fullscreenChanges >= 2, {timeout: 10000}).catch(() => {});
  check(!(await page.evaluate(() => document.fullscreenElement)),
        "two quick F11 presses leave the page windowed");

  // From the slowest speed to a fast one: the picture must change far faster.
  await page.focus("canvas").catch(() => {});
  await pressTimes(page, "-", 25);
  await new Promise((r) => setTimeout(r, 300));
  const slow = changePerSecond(await grab(page), await grab(page));
  await pressTimes(page, "NumpadAdd", 30);
  await new Promise((r) => setTimeout(r, 300));
  const fast = changePerSecond(await grab(page), await grab(page));
  check(fast > 4 * slow + 1, `+ and - change the speed: picture change ${slow.toFixed(1)}/s at ` +
                             `the slowest, ${fast.toFixed(1)}/s after +`);

  await page.keyboard.press("Escape");
  await page.waitForSelector("#end:not([hidden])", {visible: true, timeout: 60000});
  const endTitle = await page.title();
  check(/^\s*Ringvoyage$/.test(endTitle), `Esc flies out to the end screen, title "${endTitle}"`);

  await page.click("#again");
  await waitTitle(page, /FPS$/, 30000);
  const again = light(await grab(page));
  check(again.lit > 0.5 && (await page.$eval("#end", (e) => e.hidden)),
        "fly again: the tunnel is back, with its readout");

  check(errors.length === 0, `no console errors${errors.length ? ": " + errors.join(" | ") : ""}`);
  await page.close();
}

const noticeText = async (page) => {
  await page.waitForSelector("#notice:not([hidden])", {visible: true, timeout: 30000});
  return page.$eval("#notice", (e) => e.textContent);
};

async function noWebGlCheck(address) {
  const browser = await launch(["--disable-webgl", "--disable-3d-apis"]);
  try {
    const page = await browser.newPage();
    await page.goto(address);
    const text = await noticeText(page);
    check(/needs WebGL/.test(text), `without WebGL the page says so: "${text.slice(0, 40)}..."`);
  } finally {
    await browser.close();
  }
}

// The program that will not load: a notice, not a blank page.
async function startFailureCheck(browser, address) {
  const context = await browser.createBrowserContext();  // no offline copy
  const page = await context.newPage();
  await page.setRequestInterception(true);
  page.on("request", (r) => (r.url().endsWith("ringvoyage.js") ? r.abort() : r.continue()));
  await page.goto(address);
  const text = await noticeText(page);
  check(/could not start/.test(text), `a program that does not load gives a notice: "${text}"`);
  await context.close();
}

const search = (page) => page.evaluate(() => location.search);

// Twenty swipes down to the slowest speed, then four times four swipes up,
// each four followed at once by a tap on "faster" (no fling may swallow it):
// the picture changes far faster, and the link follows each step.
async function touchChecks(browser, address) {
  const page = await browser.newPage();
  const errors = watchErrors(page);
  await page.setViewport({width: 320, height: 240, hasTouch: true, isMobile: true});
  await page.goto(address);
  await waitTitle(page, /FPS$/, 30000);
  const swipe = async (from, to, times) => {
    for (let i = 0; i < times; i++) {
      await page.touchscreen.touchStart(160, from);
      await page.touchscreen.touchMove(161, (from + to) / 2);
      await page.touchscreen.touchMove(162, to);
      await page.touchscreen.touchEnd();
    }
  };
  await swipe(40, 160, 20);
  const slowLink = await search(page);
  await new Promise((r) => setTimeout(r, 300));
  const slow = changePerSecond(await grab(page), await grab(page));
  const faster = await page.$eval("[aria-label=Faster]", (e) => {
    const box = e.getBoundingClientRect();
    return {x: box.x + box.width / 2, y: box.y + box.height / 2, size: Math.min(box.width, box.height)};
  });
  for (let i = 0; i < 4; i++) {
    await swipe(160, 40, 4);
    await page.touchscreen.tap(faster.x, faster.y);
  }
  await new Promise((r) => setTimeout(r, 300));
  const fast = changePerSecond(await grab(page), await grab(page));
  const fastLink = await search(page);
  check(fast > 4 * slow + 1 && slowLink === "?speed=-4" && fastLink === "?speed=2" &&
            faster.size >= 44,
        `swipes and taps on a ${faster.size} px "faster" change the speed: picture change ` +
            `${slow.toFixed(1)}/s, then ${fast.toFixed(1)}/s; link "${slowLink}", then "${fastLink}"`);
  check(errors.length === 0, `no console errors by touch${errors.length ? ": " + errors.join(" | ") : ""}`);
  await page.close();
}

// The link's settings start the journey; bad ones are dropped, never an error.
async function linkChecks(browser, address) {
  const page = await browser.newPage();
  const errors = watchErrors(page);
  await page.goto(`${address}?speed=4&pulse=1`);
  await waitTitle(page, /FPS$/, 30000);
  await page.keyboard.press("-");
  const kept = await search(page);
  await page.goto(`${address}?speed=9&pulse=2&speed=x`);
  await waitTitle(page, /FPS$/, 30000);
  const dropped = await search(page);
  await page.keyboard.press("+");
  const stepped = await search(page);
  check(kept === "?speed=3&pulse=1" && dropped === "" && stepped === "?speed=1" &&
            errors.length === 0,
        `the link's settings apply and follow the keys: "${kept}"; bad ones dropped: ` +
            `"${dropped}", then "${stepped}"${errors.length ? "; errors: " + errors.join(" | ") : ""}`);
  await page.close();
}

// With reduced motion the tunnel holds a lit still frame until "Fly".
async function reducedMotionCheck(browser, address) {
  const page = await browser.newPage();
  await page.emulateMediaFeatures([{name: "prefers-reduced-motion", value: "reduce"}]);
  await page.goto(address);
  await page.waitForSelector("#fly", {visible: true, timeout: 30000});
  // No frames run, so only the screen still holds the picture.
  const screen = () => page.screenshot({encoding: "base64"});
  const first = await grab(page, await screen());
  await new Promise((r) => setTimeout(r, 500));
  const held = changePerSecond(first, await grab(page, await screen()));
  const {lit} = light(first);
  await page.click("#fly");
  await waitTitle(page, /FPS$/, 30000);
  const flying = changePerSecond(await grab(page), await grab(page));
  check(held === 0 && lit > 0.5 && flying > 1,
        `reduced motion starts still (change ${held}/s, ${(lit * 100).toFixed(0)}% lit), ` +
            `"Fly" flies (${flying.toFixed(1)}/s)`);
  await page.close();
}

const showsTunnel = async (page) => {
  await waitTitle(page, /FPS$/, 30000);
  return light(await grab(page)).lit > 0.5;
};

// Opened from disk, as a downloaded page is.
async function diskCheck(browser) {
  const page = await browser.newPage();
  const errors = watchErrors(page);
  await page.goto(`file://${join(pageDir, "index.html")}`);
  const lit = await showsTunnel(page).catch(() => false);
  check(lit && errors.length === 0,
        `from disk: a lit tunnel${errors.length ? "; errors: " + errors.join(" | ") : ""}`);
  await page.close();
}

// After one visit the page opens with the network off, and can be installed.
async function offlineCheck(browser, address) {
  const page = await browser.newPage();  // not a private context: those cannot install
  await page.goto(address);
  await page.waitForFunction(() => navigator.serviceWorker.controller, {timeout: 30000});
  const session = await page.createCDPSession();
  const {installabilityErrors} = await session.send("Page.getInstallabilityErrors");
  await page.setOfflineMode(true);
  await page.reload();
  const lit = await showsTunnel(page).catch(() => false);
  const problems = installabilityErrors.map((e) => e.errorId).join(", ");
  check(lit && problems === "",
        `offline after one visit: a lit tunnel; installable${problems ? ": " + problems : ""}`);
  await page.close();
}

// A still frame at travel 3000 against frame_shot's native picture of the
// same size: the rasterisers differ, so only a small difference is allowed.
async function frameShotComparison(browser, address) {
  const width = 400;
  const height = 300;
  const travel = 3000;
  const dir = mkdtempSync(join(tmpdir(), "ringvoyage-web-"));
  try {
    execFileSync(frameShot, [String(travel), String(width), String(height), join(dir, "n.ppm")]);
    const ppm = readFileSync(join(dir, "n.ppm"));
    const native = ppm.subarray(ppm.length - width * height * 3);
    const page = await browser.newPage();
    await page.setViewport({width, height, deviceScaleFactor: 1});
    await page.goto(`${address}?travel=${travel}`);
    await page.waitForFunction(() => typeof Module === "object" && Module.calledRun === true);
    await grab(page);
    const web = await grab(page);
    await page.close();
    let sum = 0;
    let max = 0;
    let far = 0;
    for (let p = 0; p < width * height; p++) {
      for (let c = 0; c < 3; c++) {
        const d = Math.abs(web.data[p * 4 + c] - native[p * 3 + c]);
        sum += d;
        max = Math.max(max, d);
        if (d > 48) far++;
      }
    }
    const mean = sum / (width * height * 3);
    check(mean < 6 && far / (width * height * 3) < 0.05,
          `still frame vs frame_shot (${width} x ${height}, travel ${travel}): mean ` +
          `${mean.toFixed(2)}, max ${max}, ${((100 * far) / (width * height * 3)).toFixed(2)}% ` +
          "of channels off by more than 48");
  } finally {
    rmSync(dir, {recursive: true, force: true});
  }
}

// A picture of the user's on the walls: dropped, it shows as frame_shot
// --tile shows it, within the rasterisers' difference; it is kept for the
// next visit; "Built-in tile" brings the tile back; and files that cannot be
// used each leave the built-in tile with a note naming them.
async function pictureChecks(browser, address) {
  const width = 400;
  const height = 300;
  const dir = mkdtempSync(join(tmpdir(), "ringvoyage-picture-"));
  const pictures = join(dir, "pictures");
  try {
    execFileSync("python3", [new URL("../frames/make_pictures.py", import.meta.url).pathname,
                             pictures]);
    const nativeFrame = (name, ...tile) => {
      execFileSync(frameShot, ["3000", String(width), String(height), join(dir, name), ...tile]);
      const ppm = readFileSync(join(dir, name));
      return ppm.subarray(ppm.length - width * height * 3);
    };
    const withPicture = nativeFrame("picture.ppm", "--tile", join(pictures, "picture.png"));
    const builtIn = nativeFrame("built-in.ppm");
    const differs = (web, native) => {
      let sum = 0;
      for (let p = 0; p < width * height; p++) {
        for (let c = 0; c < 3; c++) sum += Math.abs(web.data[p * 4 + c] - native[p * 3 + c]);
      }
      return sum / (width * height * 3);
    };
    const page = await browser.newPage();
    const errors = watchErrors(page);
    await page.setViewport({width, height, deviceScaleFactor: 1});
    const open = async () => {
      await page.goto(`${address}?travel=3000`);
      await page.waitForFunction(() => typeof Module === "object" && Module.calledRun === true);
    };
    const drop = (name) => page.evaluate((fileName, base64) => {
      const bytes = Uint8Array.from(atob(base64), (c) => c.charCodeAt(0));
      const transfer = new DataTransfer();
      transfer.items.add(new File([bytes], fileName, {type: "image/png"}));
      window.dispatchEvent(new DragEvent("drop", {dataTransfer: transfer, cancelable: true}));
    }, name, readFileSync(join(pictures, name)).toString("base64"));
    const frame = async () => { await grab(page); return grab(page); };
    const chosen = () => page.$eval("#picture-built-in", (e) => !e.hidden);

    await open();
    await drop("picture.png");
    await page.waitForSelector("#picture-built-in:not([hidden])", {timeout: 30000});
    const shown = await frame();
    const mean = differs(shown, withPicture);
    const fromBuiltIn = differs(shown, builtIn);
    check(mean < 6 && fromBuiltIn > 2 * mean,
          `a dropped picture is on the walls: mean difference ${mean.toFixed(2)} from ` +
          `frame_shot --tile, ${fromBuiltIn.toFixed(2)} from the built-in tile's frame`);
    await open();
    await page.waitForSelector("#picture-built-in:not([hidden])", {timeout: 30000});
    const kept = differs(await frame(), withPicture);
    check(kept < 6, `the picture is kept for the next visit (mean difference ${kept.toFixed(2)})`);
    await page.click("#picture-built-in");
    const back = differs(await frame(), builtIn);
    check(back < 6 && !(await chosen()),
          `"Built-in tile" brings the tile back (mean difference ${back.toFixed(2)})`);

    for (const name of ["damaged.png", "empty.png", "huge.png", "text.png"]) {
      await drop(name);
      await page.waitForFunction((n) => document.getElementById("picture-note").textContent
                                            .includes(n), {timeout: 30000}, name);
      const text = await page.$eval("#picture-note", (e) => e.textContent);
      const left = differs(await frame(), builtIn);
      check(left < 6 && !(await chosen()), `${name}: the built-in tile stays ` +
            `(mean difference ${left.toFixed(2)}), note "${text}"`);
    }
    await open();
    check(!(await chosen()), "after them the next visit still has the built-in tile");
    check(errors.length === 0, `no console errors${errors.length ? ": " + errors.join(" | ") : ""}`);
    await page.close();
  } finally {
    rmSync(dir, {recursive: true, force: true});
  }
}

const sizes = kFiles.map((f) => gzipSync(readFileSync(join(pageDir, f)), {level: 9}).length);
const total = sizes.reduce((a, b) => a + b, 0);
check(total < kBudget, `page size ${total} bytes gzipped in ${kFiles.length} files, budget ${kBudget}`);

const server = await serve();
const address = `http://127.0.0.1:${server.address().port}/`;
const browser = await launch();
// Each group on its own: one that throws fails, and the others still run.
const groups = [journeyChecks, touchChecks, linkChecks, reducedMotionCheck, diskCheck,
                startFailureCheck, offlineCheck];
if (frameShot && existsSync(frameShot)) groups.push(frameShotComparison, pictureChecks);
else if (frameShot) console.log(`skipped: no native frame_shot at ${frameShot} to compare with`);
for (const group of groups) {
  await group(browser, address).catch((error) => check(false, `${group.name}: ${error}`));
}
await browser.close();
await noWebGlCheck(address).catch((error) => check(false, `noWebGlCheck: ${error}`));
server.close();
console.log(failures === 0 ? "all checks passed" : `${failures} check(s) failed`);
process.exit(failures === 0 ? 0 : 1);
