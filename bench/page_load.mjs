// How fast the page starts in headless Chromium, from a cold cache each run:
// the bytes a first visit downloads (as served, and as gzip and brotli would
// send them), the time from navigation until the page is ready for its
// first tap, and until the title is drawn after that tap; then, on a
// phone-sized page, the frames per second of play.
//
//   KELP_NODE_MODULES=<folder with puppeteer-core> node bench/page_load.mjs build/web [RUNS] [MBIT]
//
// MBIT, when given, limits the connection to that many megabits a second.
import { launchChromium, serve, startPlaying } from '../tests/web/serve.mjs';
import { createRequire } from 'node:module';
import { brotliCompressSync, constants, gzipSync } from 'node:zlib';

const require = createRequire(`${process.env.KELP_NODE_MODULES}/`);
const puppeteer = require('puppeteer-core');
const [folder, runs = '5', megabits = ''] = process.argv.slice(2);
const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

function spread(values) {
  const sorted = [...values].sort((a, b) => a - b);
  const at = (f) => sorted[Math.min(sorted.length - 1, Math.floor(f * sorted.length))];
  return `min ${sorted[0].toFixed(2)}  median ${at(0.5).toFixed(2)}  max ${sorted[sorted.length - 1].toFixed(2)}`;
}

async function limitConnection(page) {
  if (!megabits) return;
  const session = await page.createCDPSession();
  await session.send('Network.enable');
  const bytesPerSecond = (Number(megabits) * 1e6) / 8;
  await session.send('Network.emulateNetworkConditions',
                     { offline: false, latency: 40, downloadThroughput: bytesPerSecond, uploadThroughput: bytesPerSecond });
}

async function firstVisit(browser, url) {
  const context = await browser.createBrowserContext();
  const page = await context.newPage();
  await limitConnection(page);
  const bodies = [];
  page.on('response', async (response) => {
    try { bodies.push({ url: response.url(), body: await response.buffer() }); } catch { /* redirects have none */ }
  });
  const started = Date.now();
  await page.goto(url);
  await page.waitForFunction(() => /to start$/.test(document.getElementById('veil').textContent),
                             { timeout: 300000, polling: 20 });
  const ready = (Date.now() - started) / 1000;
  await page.click('#veil');
  await page.waitForFunction(() => Module.frames >= 1, { timeout: 60000, polling: 10 });
  const title = (Date.now() - started) / 1000;
  await sleep(500);
  await context.close();
  return { ready, title, bodies };
}

// Headless Chromium's full screen is its window's size, not the phone's, so
// the page's own request for it is turned down.
async function phoneFrameRate(browser, url) {
  const page = await browser.newPage();
  await page.evaluateOnNewDocument(() => { Element.prototype.requestFullscreen = () => Promise.reject(new Error('no')); });
  await page.emulate(puppeteer.KnownDevices['Pixel 5']);
  await page.goto(url);
  await startPlaying(page);
  const before = await page.evaluate(() => Module.frames);
  await sleep(10000);
  const rate = ((await page.evaluate(() => Module.frames)) - before) / 10;
  await page.close();
  return rate;
}

const server = await serve(folder);
const url = `http://127.0.0.1:${server.address().port}/`;
const browser = await launchChromium(puppeteer);
try {
  const readies = [], titles = [];
  let bodies = [];
  for (let run = 0; run < Number(runs); ++run) {
    const visit = await firstVisit(browser, url);
    readies.push(visit.ready);
    titles.push(visit.title);
    bodies = visit.bodies;
  }
  let raw = 0, gzip = 0, brotli = 0;
  for (const { url: file, body } of bodies) {
    const zipped = gzipSync(body, { level: 9 }).length;
    const squeezed = brotliCompressSync(body, { params: { [constants.BROTLI_PARAM_QUALITY]: 11 } }).length;
    console.log(`  ${file.replace(url, '/')}: ${body.length} bytes, gzip ${zipped}, brotli ${squeezed}`);
    raw += body.length, gzip += zipped, brotli += squeezed;
  }
  console.log(`first visit: ${bodies.length} files, ${raw} bytes, gzip ${gzip}, brotli ${brotli}`);
  console.log(`navigation to ready (s): ${spread(readies)}`);
  console.log(`navigation to title after an immediate tap (s): ${spread(titles)}`);
  console.log(`phone-sized page (Pixel 5), play: ${(await phoneFrameRate(browser, url)).toFixed(1)} frames per second`);
} finally {
  await browser.close();
  server.close();
}
