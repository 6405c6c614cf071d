// Frame time of the page against the native demo, in one run, at one size and flight time: the
// page's capture entry renders the frame at that time FRAMES more times (each waited for), in
// Chromium on SwiftShader (headless) and on ANGLE over Mesa's llvmpipe (headed, under Xvfb); the
// native bench renders FRAMES frames from that time. Run by scripts/test-web.sh --speed.
//   node speed.js BASE_URL BENCH_BINARY OUT_DIR
'use strict';
const {chromium} = require('playwright-core');
const {execFileSync} = require('child_process');
const fs = require('fs');
const path = require('path');

const [base, bench, outDir] = process.argv.slice(2);
const width = 640, height = 384, time = 7, frames = 20;

async function pageFrameMs(label, headless, flags) {
  const browser = await chromium.launch({
    executablePath: '/usr/bin/chromium', headless,
    args: ['--no-sandbox', '--no-first-run', '--disable-background-networking', '--disable-component-update',
           '--disable-sync'].concat(flags)});
  const page = await browser.newPage({viewport: {width: 800, height: 600}});
  await page.goto(`${base}/index.html?width=${width}&height=${height}&capture=${time}&frames=${frames}`);
  await page.waitForFunction(() => window.demoCapture || (window.demoErrors || []).length, null, {timeout: 600000});
  const result = await page.evaluate(() => ({capture: window.demoCapture, errors: window.demoErrors}));
  const renderer = await page.evaluate(() => {
    const gl = document.createElement('canvas').getContext('webgl2');
    const info = gl && gl.getExtension('WEBGL_debug_renderer_info');
    return info ? gl.getParameter(info.UNMASKED_RENDERER_WEBGL) : 'unknown';
  });
  await browser.close();
  if (!result.capture || result.capture.error) throw new Error(label + ': ' + JSON.stringify(result));
  return {label, renderer, ms: result.capture.frameMs};
}

(async () => {
  fs.mkdirSync(outDir, {recursive: true});
  const json = path.join(outDir, 'native.json');
  execFileSync(bench, ['--size', `${width}x${height}`, '--start', String(time), '--frames', String(frames),
                       '--json', json], {cwd: path.dirname(bench), stdio: ['ignore', 'ignore', 'inherit']});
  const native = {label: 'native demo (bench)', renderer: 'Mesa llvmpipe, OpenGL 3.3 core',
                  ms: JSON.parse(fs.readFileSync(json, 'utf8')).frame.median_ms};
  const rows = [native,
                await pageFrameMs('Chromium, SwiftShader (headless)', true,
                                  ['--use-angle=swiftshader', '--enable-unsafe-swiftshader']),
                await pageFrameMs('Chromium, ANGLE on llvmpipe (headed, Xvfb)', false,
                                  ['--use-gl=angle', '--use-angle=gl', '--ignore-gpu-blocklist'])];
  console.log(`median frame time at ${width} x ${height}, flight time ${time} s, ${frames} frames:`);
  for (const row of rows)
    console.log(`  ${row.label.padEnd(44)} ${row.ms.toFixed(1).padStart(7)} ms  ` +
                `(${(row.ms / native.ms).toFixed(2)} x native)  ${row.renderer}`);
})().catch((e) => {
  console.error('FAIL  ' + (e.stack || e));
  process.exit(1);
});
