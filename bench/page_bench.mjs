// The page's pace in headless Chromium (software WebGL): starts a new game,
// passes the first card, then for SECONDS of play counts the frames the game
// presents, the page's main-thread time per frame, and the CPU time of all
// the browser's processes per frame. One line per run.
//
//   KELP_NODE_MODULES=<folder with puppeteer-core> node bench/page_bench.mjs build/web [SECONDS] [RUNS]
import { launchChromium, serve, startPlaying } from '../tests/web/serve.mjs';
import { createRequire } from 'node:module';
import { readFileSync, readdirSync } from 'node:fs';

const puppeteer = createRequire(`${process.env.KELP_NODE_MODULES}/`)('puppeteer-core');
const [folder, seconds = '10', runs = '3'] = process.argv.slice(2);
const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

// Busy time of the page's main thread, in seconds, from Chromium's own counters.
async function busySeconds(page) {
  const metrics = await page.metrics();
  return metrics.TaskDuration;
}

// CPU time, in seconds, of the browser and every process under it (the
// renderer, and the GPU process that draws with SwiftShader).
function browserCpuSeconds(root) {
  const parents = new Map();
  const ticks = new Map();
  for (const name of readdirSync('/proc')) {
    if (!/^\d+$/.test(name)) continue;
    try {
      const fields = readFileSync(`/proc/${name}/stat`, 'utf8').split(') ')[1].split(' ');
      parents.set(Number(name), Number(fields[1]));
      ticks.set(Number(name), Number(fields[11]) + Number(fields[12]));
    } catch { /* gone meanwhile */ }
  }
  const under = (pid) => { for (; pid > 1; pid = parents.get(pid) || 0) if (pid === root) return true; return false; };
  let sum = 0;
  for (const [pid, used] of ticks) if (under(pid)) sum += used;
  return sum / 100;  // clock ticks of 10 ms
}

async function measure(browser, url) {
  const page = await browser.newPage();
  await page.setViewport({ width: 1000, height: 900 });
  await page.goto(url);
  await startPlaying(page);
  const framesBefore = await page.evaluate(() => Module.frames);
  const busyBefore = await busySeconds(page);
  const cpuBefore = browserCpuSeconds(browser.process().pid);
  await sleep(Number(seconds) * 1000);
  const frames = (await page.evaluate(() => Module.frames)) - framesBefore;
  const busy = (await busySeconds(page)) - busyBefore;
  const cpu = browserCpuSeconds(browser.process().pid) - cpuBefore;
  await page.close();
  return { rate: frames / Number(seconds), msPerFrame: (busy * 1000) / frames, cpuPerFrame: (cpu * 1000) / frames };
}

const server = await serve(folder);
const url = `http://127.0.0.1:${server.address().port}/`;
const browser = await launchChromium(puppeteer);
try {
  for (let run = 0; run < Number(runs); ++run) {
    const { rate, msPerFrame, cpuPerFrame } = await measure(browser, url);
    console.log(`${rate.toFixed(1)} frames per second, ${msPerFrame.toFixed(1)} ms of the page's main thread ` +
                `and ${cpuPerFrame.toFixed(1)} ms of CPU in all the browser's processes per frame`);
  }
} finally {
  await browser.close();
  server.close();
}
