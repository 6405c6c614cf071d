// The web build's page in Debian's Chromium (headless, SwiftShader's WebGL2), driven the way a
// user meets it. Run by scripts/test-web.sh, which serves build-web/ at BASE_URL.
//   node page-test.js BASE_URL OUT_DIR
'use strict';
const {chromium} = require('playwright-core');
const {execFileSync} = require('child_process');
const fs = require('fs');
const path = require('path');

const base = process.argv[2];
const outDir = process.argv[3];
const reference = path.join(__dirname, '..', 'reference');
const chromiumFlags = ['--no-sandbox', '--no-first-run', '--disable-background-networking',
                       '--disable-component-update', '--disable-sync', '--use-angle=swiftshader',
                       '--enable-unsafe-swiftshader'];
let failures = 0;

function check(ok, what) {
  console.log((ok ? 'ok    ' : 'FAIL  ') + what);
  if (!ok) failures++;
}

// ImageMagick's reading of a PNG: PSNR in dB against another, or the mean of a region.
function psnr(a, b) {
  let out = '';
  try {
    execFileSync('compare', ['-metric', 'PSNR', a, b, 'null:'], {stdio: ['ignore', 'ignore', 'pipe']});
  } catch (e) {
    out = e.stderr.toString();
  }
  const value = parseFloat(out);
  return out.startsWith('inf') ? Infinity : value;
}
// How much of a picture's detail is finer than `percent` % of its size: its PSNR against itself
// shrunk to that size and stretched back. A picture drawn that much smaller and stretched loses
// almost nothing on the way (a high figure); one drawn at full size loses its fine detail.
function roundTripPsnr(file, percent) {
  const back = file.replace(/\.png$/, `-round-trip-${percent}.png`);
  execFileSync('convert', [file, '-filter', 'box', '-resize', `${percent}%`, '-filter', 'triangle',
                           '-resize', `${Math.round(10000 / percent)}%`, back]);
  return psnr(file, back);
}
// The bounding box ({w, h}) of what differs between two pictures of the same size.
function changedBox(a, b) {
  const box = execFileSync('convert', [a, b, '-compose', 'difference', '-composite', '-colorspace', 'gray',
                                       '-threshold', '8%', '-format', '%@', 'info:']).toString();
  const [w, h] = box.split('+')[0].split('x').map(Number);
  return {w, h};
}
function regionMean(file, geometry) {
  return parseFloat(execFileSync('convert', [file, '-crop', geometry, '+repage', '-format', '%[fx:mean]', 'info:'])
                        .toString());
}

async function launch(extraFlags = []) {
  return chromium.launch({executablePath: '/usr/bin/chromium', headless: true,
                          args: chromiumFlags.concat(extraFlags)});
}

// A page at `query`, its console and uncaught exceptions collected.
async function open(browser, query, viewport) {
  const page = await browser.newPage({viewport: viewport});
  const log = {lines: [], problems: []};
  page.on('console', (m) => {
    const text = m.text();
    log.lines.push(text);
    if (/WebGL|GL_INVALID|GL ERROR|INVALID_/.test(text) && !/swiftshader|SwiftShader/.test(text))
      log.problems.push(text);
  });
  page.on('pageerror', (e) => log.problems.push('uncaught: ' + e.message));
  await page.goto(base + '/index.html' + query);
  return {page, log};
}

const frames = (page) => page.evaluate(() => window.demoFrames || 0);
async function waitFrames(page, count, timeoutMs = 120000) {
  const target = (await frames(page)) + count;
  await page.waitForFunction((n) => (window.demoFrames || 0) >= n, target, {timeout: timeoutMs, polling: 50});
}
async function shot(page, name) {
  const file = path.join(outDir, name + '.png');
  // The page's picture clipped to the canvas: an element's screenshot first waits for it to
  // stand still over animation frames, which costs seconds at this frame rate and checks nothing.
  const box = await page.locator('#canvas').boundingBox();
  await page.screenshot({path: file, clip: box});
  return file;
}
async function tap(page, key) {
  await page.keyboard.press(key);
  await waitFrames(page, 3);
}
const same = (a, b) => psnr(a, b) === Infinity;

async function captures(browser) {
  for (const t of [3, 20]) {
    const {page, log} = await open(browser, `?width=640&height=384&capture=${t}`, {width: 800, height: 600});
    await page.waitForFunction(() => window.demoCapture || (window.demoErrors || []).length, null,
                               {timeout: 180000});
    const result = await page.evaluate(() => ({capture: window.demoCapture, errors: window.demoErrors}));
    check(result.capture && !result.capture.error, `capture at ${t} s renders (${JSON.stringify(result)})`);
    if (result.capture && !result.capture.error) {
      const bytes = await page.evaluate(() => Array.from(Module.FS.readFile('/capture.png')));
      const file = path.join(outDir, `web-final-t${t}.png`);
      fs.writeFileSync(file, Buffer.from(bytes));
      const db = psnr(file, path.join(reference, `final-t${t}.png`));
      console.log(`      PSNR at ${t} s against tests/reference: ${db.toFixed(2)} dB`);
      check(db >= 30, `capture at ${t} s matches the reference at 30 dB or better`);
    }
    check(log.problems.length === 0, `capture at ${t} s: no WebGL error or exception ${log.problems.join(' | ')}`);
    await page.close();
  }
}

async function interactive(browser) {
  const start = Date.now();
  const {page, log} = await open(browser, '?width=640&height=384', {width: 800, height: 600});
  await page.waitForFunction(() => (window.demoFrames || 0) >= 1, null, {timeout: 10000, polling: 20})
      .then(() => check(true, `first frame within 10 s of load (${Date.now() - start} ms)`),
            () => check(false, 'first frame within 10 s of load'));
  await waitFrames(page, 5);
  await page.locator('#canvas').click(); // takes the keyboard's focus (and the pointer, where allowed)

  // Paused, the picture stands still, so each key's change is its own.
  await tap(page, 'p');
  const paused = await shot(page, 'paused');
  await waitFrames(page, 3);
  check(same(paused, await shot(page, 'paused-again')), 'P: the paused picture stands still');

  await tap(page, '6');
  const view6 = await shot(page, 'view6');
  check(!same(paused, view6), '6: shows another view');
  await tap(page, '1');
  check(same(paused, await shot(page, 'view1')), '1: back to the picture');

  await tap(page, 'F1');
  const overlay = await shot(page, 'overlay');
  check(!same(paused, overlay), 'F1: the overlay shows');
  check(log.lines.some((l) => /^Pass times: the GPU timer/.test(l)),
        'F1: the pass times are the GPU timer\'s (this browser offers EXT_disjoint_timer_query_webgl2)');
  await tap(page, 'F1');
  await tap(page, 'F2');
  const panel = await shot(page, 'panel');
  check(!same(paused, panel), 'F2: the panel shows');
  await tap(page, 'F2');
  check(same(paused, await shot(page, 'panel-closed')), 'F2 again: the panel is gone');
  panelAtScale1 = changedBox(paused, panel);
  const detail = roundTripPsnr(paused, 50);
  check(detail < 38, `render scale 1: the picture keeps its fine detail (${detail.toFixed(2)} dB kept at half size)`);

  // F12 and the page's button each hand the picture over as a PNG download.
  for (const [how, act] of [['F12', () => page.keyboard.press('F12')],
                            ['the button', () => page.locator('#screenshot').click()]]) {
    const [download] = await Promise.all([page.waitForEvent('download', {timeout: 60000}).catch(() => null), act()]);
    const file = download && path.join(outDir, 'download-' + how.replace(/ /g, '-') + '.png');
    if (download) await download.saveAs(file);
    check(download && /^screenshot-\d{4}\.png$/.test(download.suggestedFilename()) &&
              same(file, paused),
          `${how}: the picture downloads as a PNG (${download && download.suggestedFilename()})`);
  }

  const hold = async (key) => {
    await page.keyboard.down(key);
    await waitFrames(page, 10);
    await page.keyboard.up(key);
    await waitFrames(page, 2);
  };
  await tap(page, 'j');
  const free = await shot(page, 'free');
  check(!same(paused, free), 'J: the free camera looks its own way');
  await hold('w');
  check(!same(free, await shot(page, 'free-moved')), 'J, then W: the free camera moves');
  await tap(page, 'j');
  await tap(page, 'p');

  // The canvas follows the page's size when the address fixes none.
  await page.goto(base + '/index.html');
  await waitFrames(page, 3);
  await page.setViewportSize({width: 500, height: 420});
  await waitFrames(page, 5);
  const fitted = await page.evaluate(() => {
    const c = document.getElementById('canvas');
    const s = document.getElementById('stage');
    return {w: c.width, h: c.height, sw: s.clientWidth, sh: s.clientHeight};
  });
  check(fitted.w === fitted.sw && fitted.h === fitted.sh, `resize: the canvas takes the page's size ${JSON.stringify(fitted)}`);
  const resized = await shot(page, 'resized');
  const corner = regionMean(resized, `40x40+${fitted.w - 40}+${fitted.h - 40}`);
  const middle = regionMean(resized, `${fitted.w}x${fitted.h}+0+0`);
  check(corner > 0.005 && middle > 0.02, `resize: the picture fills the canvas (corner ${corner}, whole ${middle})`);

  // 300 frames with no WebGL error and no uncaught exception: every pass runs whatever the size,
  // so a small canvas (about 360 x 130) keeps their time down.
  await page.setViewportSize({width: 360, height: 300});
  const start300 = Date.now();
  await waitFrames(page, 300, 600000);
  console.log(`      (300 frames: ${((Date.now() - start300) / 1000).toFixed(0)} s)`);
  check(log.problems.length === 0, `300 frames: no WebGL error or exception ${log.problems.slice(0, 5).join(' | ')}`);

  // Escape ends the program, as on the desktop; the page says so instead of freezing.
  await page.keyboard.press('Escape');
  const ended = await page.locator('#message').waitFor({state: 'visible', timeout: 30000}).then(() => true, () => false);
  check(ended && /ended \(Escape\)/.test(await page.locator('#message').textContent()), 'Escape: the page says the demo ended');
  await page.close();
}

let panelAtScale1 = null; // the panel's size in pixels at 640 x 384, content scale 1

// ?set gives the running page the renderer's settings, as the benchmark's --set does; a bad
// one is named on the page. A frame-rate target far beyond the page's few frames a second
// brings the render scale down.
async function renderScale(browser) {
  const cases = [['render-scale=0.5', 5], ['target-fps=60', 40]];
  for (const [set, count] of cases) {
    const {page, log} = await open(browser, `?width=640&height=384&set=${set}`, {width: 800, height: 600});
    await waitFrames(page, count);
    const size = await page.evaluate(() => {
      const c = document.getElementById('canvas');
      return [c.width, c.height, c.clientWidth, c.clientHeight];
    });
    const file = await shot(page, 'set-' + set.replace('=', '-'));
    const detail = roundTripPsnr(file, 50);
    check(size.join() === '640,384,640,384' && detail >= 40,
          `?set=${set}: a picture drawn at half the size or less, stretched over the canvas ` +
              `(${size.join(' ')}; ${detail.toFixed(2)} dB kept at half size)`);
    check(log.problems.length === 0, `?set=${set}: no WebGL error or exception ${log.problems.join(' | ')}`);
    await page.close();
  }
  const {page} = await open(browser, '?set=render-scale=7', {width: 640, height: 480});
  await page.locator('#message').waitFor({state: 'visible', timeout: 60000}).catch(() => {});
  const message = (await page.locator('#message').textContent()) || '';
  check(/bad value '7' for render-scale \(0\.25-1\)/.test(message), `?set=render-scale=7: the page says so ("${message}")`);
  await page.close();
}

// A hidden tab gets no frames and, back, goes on from where it was, as after a minimised window:
// the first picture back is the next frame's, not the one of the time spent hidden. The tab's
// visibility is the browser's as a page sees it (document.hidden, visibilitychange, no animation
// frames while hidden). The same page has no GPU timer, so the overlay says it reads the CPU's.
function hideableTabWithoutTimer() {
  const timer = 'EXT_disjoint_timer_query_webgl2';
  const gl = WebGL2RenderingContext.prototype;
  const getExtension = gl.getExtension, supported = gl.getSupportedExtensions;
  gl.getExtension = function(name) { return name === timer ? null : getExtension.call(this, name); };
  gl.getSupportedExtensions = function() { return (supported.call(this) || []).filter((n) => n !== timer); };
  let hidden = false, hideAfter = 0;
  const held = [];
  const frame = window.requestAnimationFrame.bind(window);
  window.requestAnimationFrame = (callback) => {
    if (hidden) return held.push(callback);
    return frame((time) => {
      callback(time);
      if (hideAfter > 0 && --hideAfter === 0) window.testSetHidden(true);
    });
  };
  Object.defineProperty(Document.prototype, 'hidden', {get: () => hidden, configurable: true});
  Object.defineProperty(Document.prototype, 'visibilityState', {get: () => (hidden ? 'hidden' : 'visible'), configurable: true});
  // Hidden again after `frames` frames back, so a picture can be taken of exactly those.
  window.testSetHidden = (hide, frames = 0) => {
    hidden = hide;
    hideAfter = frames;
    document.dispatchEvent(new Event('visibilitychange'));
    if (!hide) held.splice(0).forEach((callback) => window.requestAnimationFrame(callback));
  };
}

async function hiddenTab(browser) {
  const context = await browser.newContext({viewport: {width: 800, height: 600}});
  await context.addInitScript(hideableTabWithoutTimer);
  const {page, log} = await open(context, '?width=640&height=384');
  await waitFrames(page, 5);
  await page.locator('#canvas').click();
  await tap(page, 'F1');
  check(log.lines.some((l) => /^Pass times: the CPU clock, waiting for the GPU at every pass \(this browser offers no EXT_disjoint_timer_query_webgl2\)$/.test(l)),
        'no GPU timer: the page says the pass times are the CPU clock\'s');
  await tap(page, 'F1');

  const hiddenFor = (ms) => page.waitForFunction((until) => Date.now() >= until, Date.now() + ms, {polling: 100});
  await page.evaluate(() => window.testSetHidden(true));
  const before = await shot(page, 'hidden-before'); // the last frame shown
  const framesBefore = await frames(page);
  await hiddenFor(8000);
  const framesHidden = (await frames(page)) - framesBefore;
  // Back for two frames (the first reads as the end of a minimised stretch and draws nothing).
  await page.evaluate(() => window.testSetHidden(false, 2));
  await page.waitForFunction(() => document.hidden, null, {timeout: 60000, polling: 20});
  const back = await shot(page, 'hidden-back');
  // What a jump would have shown: the same time spent visible.
  await page.evaluate(() => window.testSetHidden(false));
  await hiddenFor(8000);
  await page.evaluate(() => window.testSetHidden(true));
  const later = await shot(page, 'hidden-later');
  const backDb = psnr(before, back), laterDb = psnr(before, later);
  check(framesHidden === 0 && backDb >= laterDb + 4,
        `hidden tab: no frames while hidden (${framesHidden}), and back, the flight and the lights go on from ` +
            `where they were (${backDb.toFixed(2)} dB to the last picture; ${laterDb.toFixed(2)} dB after as long visible)`);
  check(log.problems.length === 0, `hidden tab: no WebGL error or exception ${log.problems.join(' | ')}`);
  await context.close();
}

// At two device pixels to a CSS pixel the canvas draws in device pixels, and the panel's text is
// drawn twice as large in them: as large on the page as at one, and sharp.
async function contentScale(browser) {
  const page = await browser.newPage({viewport: {width: 400, height: 420}, deviceScaleFactor: 2});
  await page.goto(base + '/index.html');
  await waitFrames(page, 3);
  const size = await page.evaluate(() => {
    const c = document.getElementById('canvas');
    return {w: c.width, h: c.height, cssW: c.clientWidth, cssH: c.clientHeight};
  });
  check(size.w === 2 * size.cssW && size.h === 2 * size.cssH,
        `content scale 2: the canvas draws in device pixels ${JSON.stringify(size)}`);
  await page.locator('#canvas').click();
  await tap(page, 'p');
  const closed = await shot(page, 'scale2-closed');
  await tap(page, 'F2');
  const panel = changedBox(closed, await shot(page, 'scale2-panel'));
  // Its width (its height follows the window's).
  check(panelAtScale1 && panel.w === 2 * panelAtScale1.w,
        `content scale 2: the panel is drawn in twice the pixels, as wide on the page ` +
            `(${panel.w} pixels against ${panelAtScale1 && panelAtScale1.w} at content scale 1)`);
  await page.close();
}

async function withoutWebGl2() {
  const browser = await launch(['--disable-webgl2']);
  const {page} = await open(browser, '', {width: 640, height: 480});
  const message = await page.locator('#message').textContent({timeout: 10000});
  check(await page.locator('#message').isVisible() && /WebGL2/.test(message),
        `WebGL2 off: the page says so ("${message}")`);
  await browser.close();
}

// A missing or damaged data file is named on the page, not left as a blank canvas.
async function badData(browser) {
  const cases = [
    ['missing', (route) => route.fulfill({status: 404, body: 'gone'}), /demo\.data could not be loaded/],
    ['cut short', async (route) => {
      const response = await route.fetch();
      const body = await response.body();
      await route.fulfill({response, body: body.subarray(0, body.length >> 1)});
    }, /demo\.data is damaged/],
    ['one byte changed', async (route) => {
      const response = await route.fetch();
      const body = Buffer.from(await response.body());
      body[body.length >> 1] ^= 0x55;
      await route.fulfill({response, body});
    }, /demo\.data is damaged/],
  ];
  for (const [what, handler, expected] of cases) {
    const page = await browser.newPage({viewport: {width: 640, height: 480}});
    await page.route('**/demo.data', handler);
    await page.goto(base + '/index.html');
    await page.locator('#message').waitFor({state: 'visible', timeout: 30000}).catch(() => {});
    const message = (await page.locator('#message').textContent()) || '';
    check(expected.test(message), `demo.data ${what}: the page says so ("${message}")`);
    await page.close();
  }
}

(async () => {
  fs.mkdirSync(outDir, {recursive: true});
  // Each part's time, for keeping CI's share in view.
  const timed = async (part, run) => {
    const start = Date.now();
    await run();
    console.log(`      (${part}: ${((Date.now() - start) / 1000).toFixed(0)} s)`);
  };
  const browser = await launch();
  try {
    await timed('captures', () => captures(browser));
    await timed('keys, resize, 300 frames', () => interactive(browser));
    await timed('render scale', () => renderScale(browser));
    await timed('hidden tab', () => hiddenTab(browser));
    await timed('content scale', () => contentScale(browser));
    await timed('data file', () => badData(browser));
  } finally {
    await browser.close();
  }
  await timed('without WebGL2', withoutWebGl2);
  console.log(failures ? `${failures} check(s) failed` : 'all checks passed');
  process.exit(failures ? 1 : 0);
})().catch((e) => {
  console.error('FAIL  ' + (e.stack || e));
  process.exit(1);
});
