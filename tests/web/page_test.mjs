// The page in headless Chromium (software WebGL), served from 127.0.0.1: it
// loads with nothing wrong on its console, starts on a click with its sound
// running, shows the title, the first card and then play, keeps its frame
// rate, keeps its settings in the browser's storage across a reload, answers
// a gamepad, and plays on a phone by touch.
//
//   KELP_NODE_MODULES=<folder with puppeteer-core> node tests/web/page_test.mjs build/web [shots] [--plain-host]
//
// --plain-host serves the .wasm file as any file, not as WebAssembly.
import { launchChromium, serve } from './serve.mjs';
import { strict as assert } from 'node:assert';
import { mkdirSync, writeFileSync } from 'node:fs';
import { createRequire } from 'node:module';

const puppeteer = createRequire(`${process.env.KELP_NODE_MODULES}/`)('puppeteer-core');
const [folder, shots = '/tmp/kelp-web-shots', host = ''] = process.argv.slice(2);
const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));
let failed = 0;

async function check(name, body) {
  try {
    await body();
    console.log(`ok ${name}`);
  } catch (error) {
    ++failed;
    console.log(`FAILED ${name}\n  ${String(error.stack || error).split('\n').join('\n  ')}`);
  }
}

// The canvas as the game left it: its colours counted on a coarse grid, and a PNG.
async function canvasPicture(page, name) {
  const picture = await page.evaluate(() => {
    const canvas = document.getElementById('canvas');
    const copy = document.createElement('canvas');
    copy.width = canvas.width;
    copy.height = canvas.height;
    const context = copy.getContext('2d');
    context.drawImage(canvas, 0, 0);
    const pixels = context.getImageData(0, 0, copy.width, copy.height).data;
    const colours = new Set();
    let sum = 0;
    for (let i = 0; i < pixels.length; i += 4 * 97) {
      colours.add(pixels[i] >> 4 << 8 | pixels[i + 1] >> 4 << 4 | pixels[i + 2] >> 4);
      sum += pixels[i] + pixels[i + 1] + pixels[i + 2];
    }
    return { colours: colours.size, brightness: sum / (pixels.length / (4 * 97)) / 3, png: copy.toDataURL('image/png') };
  });
  writeFileSync(`${shots}/${name}.png`, Buffer.from(picture.png.split(',')[1], 'base64'));
  return picture;
}

async function framesPerSecond(page, seconds) {
  const before = await page.evaluate(() => Module.frames);
  await sleep(seconds * 1000);
  return ((await page.evaluate(() => Module.frames)) - before) / seconds;
}

// Listens to what the game hands the browser's audio: the loudest sample
// since the page opened, and the sum of the squares of the samples and their
// count, from each block SDL's audio node fills.
function listenToSound() {
  window.loudest = 0;
  window.soundEnergy = 0;
  window.soundSamples = 0;
  const create = AudioContext.prototype.createScriptProcessor;
  AudioContext.prototype.createScriptProcessor = function (...args) {
    const node = create.apply(this, args);
    let handler = null;
    Object.defineProperty(node, 'onaudioprocess', {
      get: () => handler,
      set: (fill) => {
        handler = (event) => {
          fill(event);
          const samples = event.outputBuffer.getChannelData(0);
          for (let i = 0; i < samples.length; ++i) {
            window.loudest = Math.max(window.loudest, Math.abs(samples[i]));
            window.soundEnergy += samples[i] * samples[i];
          }
          window.soundSamples += samples.length;
        };
        node.addEventListener('audioprocess', handler);
      },
    });
    return node;
  };
}

// A standard gamepad stood in for the browser's own: navigator.getGamepads
// gives it, window.plugPad() announces it, window.pressPad(button, down)
// presses its buttons (0 is A, 13 the d-pad's down).
function standInGamepad() {
  const buttons = Array.from({ length: 17 }, () => ({ pressed: false, touched: false, value: 0 }));
  const pad = { id: 'Kelp Garden test pad', index: 0, connected: true, mapping: 'standard', timestamp: 1,
                axes: [0, 0, 0, 0], buttons };
  Object.defineProperty(Navigator.prototype, 'getGamepads', { value: () => [window.padPlugged ? pad : null] });
  window.plugPad = () => {
    window.padPlugged = true;
    const event = new Event('gamepadconnected');
    event.gamepad = pad;
    window.dispatchEvent(event);
  };
  window.pressPad = (button, down) => {
    buttons[button] = { pressed: down, touched: down, value: down ? 1 : 0 };
    pad.timestamp += 1;
  };
}

async function openPage(browser, url, problems) {
  const page = await browser.newPage();
  await page.evaluateOnNewDocument(listenToSound);
  await page.evaluateOnNewDocument(standInGamepad);
  await page.setViewport({ width: 1000, height: 900 });
  page.on('console', (message) => { if (message.type() === 'error') problems.push(message.text()); });
  page.on('pageerror', (error) => problems.push(String(error)));
  page.on('requestfailed', (request) => problems.push(`could not load ${request.url()}`));
  page.on('request', (request) => {
    if (!request.url().startsWith(url) && !request.url().startsWith('data:')) problems.push(`asked another host: ${request.url()}`);
  });
  await page.goto(url);
  await page.waitForFunction(() => document.getElementById('veil').textContent === 'Click to start', { timeout: 60000 });
  return page;
}

mkdirSync(shots, { recursive: true });
const server = await serve(folder, { plainHost: host === '--plain-host' });
const url = `http://127.0.0.1:${server.address().port}/`;
const browser = await launchChromium(puppeteer);
const problems = [];
try {
  const page = await openPage(browser, url, problems);
  let title, card, play;

  await check('the click starts the game, its sound running, and shows the title', async () => {
    await page.click('#veil');
    await page.waitForFunction(() => Module.frames > 60, { timeout: 60000 });
    assert.equal(await page.evaluate(() => Module.SDL2 && Module.SDL2.audioContext && Module.SDL2.audioContext.state), 'running');
    title = await canvasPicture(page, 'title');
    assert.ok(title.colours > 20, `the title shows ${title.colours} colours`);
  });

  await check('a new game shows the first card, then play', async () => {
    await page.keyboard.press('Enter');  // "New game" is chosen first
    await sleep(2000);
    card = await canvasPicture(page, 'card');
    assert.ok(card.colours > 5, `the card shows ${card.colours} colours`);
    await page.keyboard.press('Space');
    await sleep(3000);
    play = await canvasPicture(page, 'play');
    assert.ok(play.colours > 20, `play shows ${play.colours} colours`);
    assert.notEqual(card.png, play.png);
  });

  await check('play sounds', async () => {
    const loudest = await page.evaluate(() => window.loudest);
    console.log(`  loudest sample ${loudest.toFixed(3)}`);
    assert.ok(loudest > 0.01, `the loudest sample so far is ${loudest}`);
  });

  await check('play keeps its frame rate', async () => {
    const rate = await framesPerSecond(page, 5);
    console.log(`  ${rate.toFixed(1)} frames per second`);
    assert.ok(rate >= 20, `${rate.toFixed(1)} frames per second`);
  });

  await check('settings are kept in the browser across a reload', async () => {
    await page.keyboard.press('Escape');  // the pause menu
    await sleep(500);
    await page.keyboard.press('m');
    await sleep(3000);  // the page hands saved files to the browser every 2 s
    const saved = await page.evaluate(() => FS.readFile('/home/web_user/.config/kelp-garden/settings.txt', { encoding: 'utf8' }));
    await page.close();
    const again = await openPage(browser, url, problems);
    const kept = await again.evaluate(() => FS.readFile('/home/web_user/.config/kelp-garden/settings.txt', { encoding: 'utf8' }));
    assert.equal(kept, saved);
    assert.match(kept, /muted = yes/);
    await again.close();
  });

  await check('quitting from the title ends the game and the page says so', async () => {
    const again = await openPage(browser, url, problems);
    await again.click('#veil');
    await again.waitForFunction(() => Module.frames > 60, { timeout: 60000 });
    for (let i = 0; i < 3; ++i) await again.keyboard.press('ArrowDown');  // from "New game" to "Quit"
    await again.keyboard.press('Enter');
    await again.waitForFunction(() => document.getElementById('veil').textContent.startsWith('Thanks for playing'),
                                { timeout: 10000 });
    await again.close();
  });

  await check('a gamepad works the title: its d-pad moves to Quit and its A quits', async () => {
    const again = await openPage(browser, url, problems);
    await again.click('#veil');
    await again.waitForFunction(() => Module.frames > 60, { timeout: 60000 });
    await again.evaluate(() => window.plugPad());
    await sleep(300);
    const tap = async (button) => {
      await again.evaluate((b) => window.pressPad(b, true), button);
      await sleep(200);
      await again.evaluate((b) => window.pressPad(b, false), button);
      await sleep(200);
    };
    for (let i = 0; i < 3; ++i) await tap(13);  // from "New game" to "Quit"
    await tap(0);
    await again.waitForFunction(() => document.getElementById('veil').textContent.startsWith('Thanks for playing'),
                                { timeout: 10000 });
    await again.close();
  });

  await check("the game speaks the browser's language", async () => {
    const again = await browser.newPage();
    await again.evaluateOnNewDocument(() => Object.defineProperty(navigator, 'languages', { get: () => ['de-DE', 'de'] }));
    again.on('pageerror', (error) => problems.push(String(error)));
    const pictures = [];
    again.on('response', (response) => {
      if (response.url().includes('/lang/')) pictures.push(`${response.status()} ${response.url().replace(url, '')}`);
    });
    await again.goto(url);
    await again.waitForFunction(() => document.getElementById('veil').textContent === 'Click to start', { timeout: 60000 });
    assert.deepEqual(pictures, [], 'no language is fetched before the game speaks it');
    await again.click('#veil');
    await again.waitForFunction(() => Module.frames > 60, { timeout: 60000 });
    pictures.sort();
    assert.deepEqual(pictures, ['200 lang/de/labels.png', ...[1, 2, 3, 4, 5, 6, 7, 8].map((n) => `200 lang/de/level${n}.jpg`)],
                     "German's pictures, and only those");
    const press = async (key, times = 1) => {
      for (let i = 0; i < times; ++i) {
        await again.keyboard.press(key);
        await sleep(150);
      }
    };
    await press('ArrowDown', 2);  // from "New game" to "Settings"
    await press('Enter');
    await press('ArrowDown', 8);  // "Language", showing German
    await press('ArrowRight');    // the next language after it
    await sleep(3000);
    const saved = await again.evaluate(() => FS.readFile('/home/web_user/.config/kelp-garden/settings.txt', { encoding: 'utf8' }));
    assert.match(saved, /language = es/, 'the next after German, so German was spoken');
    await again.close();
  });

  await check('a hidden page pauses the game and falls silent; shown again, the pause menu is up', async () => {
    const again = await openPage(browser, url, problems);
    await again.click('#veil');
    await again.waitForFunction(() => Module.frames > 60, { timeout: 60000 });
    await again.keyboard.press('Enter');  // a new game
    await sleep(1500);
    await again.keyboard.press('Space');  // past the card
    await sleep(2500);
    const playing = await canvasPicture(again, 'before-hiding');
    const setHidden = (hidden) => again.evaluate((h) => {
      Object.defineProperty(document, 'hidden', { configurable: true, get: () => h });
      Object.defineProperty(document, 'visibilityState', { configurable: true, get: () => (h ? 'hidden' : 'visible') });
      document.dispatchEvent(new Event('visibilitychange'));
    }, hidden);
    const soundState = () => again.evaluate(() => Module.SDL2.audioContext.state);
    await setHidden(true);
    await sleep(500);
    assert.equal(await soundState(), 'suspended');
    await setHidden(false);
    await sleep(1000);
    assert.equal(await soundState(), 'running');
    const paused = await canvasPicture(again, 'shown-again');
    assert.ok(paused.brightness < playing.brightness * 0.8,
              `the level darkened under the pause menu: ${paused.brightness.toFixed(1)} after ${playing.brightness.toFixed(1)}`);
    await again.keyboard.press('Escape');  // resumes
    await sleep(1000);
    const resumed = await canvasPicture(again, 'resumed');
    assert.ok(resumed.brightness > paused.brightness * 1.1, 'Escape resumed play');
    await again.close();
  });

  await check('on a phone, taps start the game with sound and pass the title and the card; fingers steer and pause', async () => {
    const fresh = await browser.createBrowserContext();  // not muted by the settings test
    const phone = await fresh.newPage();
    await phone.evaluateOnNewDocument(listenToSound);
    // Headless Chromium's full screen would take its window's size, not the
    // phone's: the page's request is noted and turned down.
    await phone.evaluateOnNewDocument(() => {
      Element.prototype.requestFullscreen = function () {
        window.askedForFullScreen = true;
        return Promise.reject(new Error('not here'));
      };
    });
    await phone.emulate(puppeteer.KnownDevices['Pixel 5']);
    phone.on('pageerror', (error) => problems.push(String(error)));
    await phone.goto(url);
    await phone.waitForFunction(() => document.getElementById('veil').textContent === 'Tap to start', { timeout: 60000 });
    assert.equal(await phone.evaluate(() => document.documentElement.scrollHeight <= innerHeight), true, 'nothing to scroll');
    await phone.touchscreen.tap(200, 400);
    await phone.waitForFunction(() => Module.frames > 60, { timeout: 60000 });
    assert.equal(await phone.evaluate(() => Module.SDL2.audioContext.state), 'running');
    assert.equal(await phone.evaluate(() => window.askedForFullScreen), true, 'the first tap asks for full screen');
    const box = await phone.evaluate(() => {
      const r = document.getElementById('canvas').getBoundingClientRect();
      return { x: r.x, y: r.y, size: r.width, height: r.height, wide: innerWidth };
    });
    assert.equal(box.size, box.wide, 'the square fills the width of a phone held upright');
    assert.equal(box.size, box.height);
    // A point of the game's 800-pixel square, on the phone's screen.
    const at = (x, y) => ({ x: box.x + (x / 800) * box.size, y: box.y + (y / 800) * box.size });
    const cdp = await phone.createCDPSession();
    const fingers = (type, points) => cdp.send('Input.dispatchTouchEvent',
                                               { type, touchPoints: points.map(([x, y, id]) => ({ ...at(x, y), id })) });
    const tap = async (x, y) => { const point = at(x, y); await phone.touchscreen.tap(point.x, point.y); };
    const twoFingerTap = async () => { await fingers('touchStart', [[300, 300, 1], [500, 300, 2]]); await fingers('touchEnd', []); };

    await tap(400, 384);  // "New game", the title's second row
    await sleep(1500);
    const card = await canvasPicture(phone, 'phone-card');
    await tap(400, 400);  // passes the card
    await sleep(3000);
    const play = await canvasPicture(phone, 'phone-play');
    assert.ok(card.brightness < 40 && play.brightness > card.brightness * 1.5,
              `the card (brightness ${card.brightness.toFixed(1)}) then play (${play.brightness.toFixed(1)})`);

    // The swimmer swimming is heard: its notes come with its speed.
    const loudness = async (during) => {
      const [energy, samples] = await phone.evaluate(() => [window.soundEnergy, window.soundSamples]);
      await during();
      const [energyAfter, samplesAfter] = await phone.evaluate(() => [window.soundEnergy, window.soundSamples]);
      return Math.sqrt((energyAfter - energy) / (samplesAfter - samples));
    };
    const still = await loudness(() => sleep(1500));
    const swimming = await loudness(async () => {
      await fingers('touchStart', [[400, 400, 3]]);
      for (let i = 1; i <= 45; ++i) {  // circling, so that no wall stops it
        await fingers('touchMove', [[400 + 150 * Math.cos(i / 2), 400 + 150 * Math.sin(i / 2), 3]]);
        await sleep(33);
      }
    });
    console.log(`  sound ${swimming.toFixed(4)} swimming, ${still.toFixed(4)} still`);
    assert.ok(swimming > still * 1.2, `a drag steered: the sound was ${swimming.toFixed(4)}, ${still.toFixed(4)} held still`);
    await fingers('touchStart', [[400, 640, 3], [600, 600, 4]]);  // a second finger, held
    await sleep(1000);
    await fingers('touchEnd', []);
    await sleep(300);
    const steered = await canvasPicture(phone, 'phone-steered');
    assert.ok(steered.brightness > card.brightness * 1.5, 'a drag and a held second finger are play, not a pause');

    await twoFingerTap();
    await sleep(800);
    const paused = await canvasPicture(phone, 'phone-paused');
    assert.ok(paused.brightness < steered.brightness * 0.8,
              `a two-finger tap paused: ${paused.brightness.toFixed(1)} after ${steered.brightness.toFixed(1)}`);
    await twoFingerTap();
    await sleep(800);
    const resumed = await canvasPicture(phone, 'phone-resumed');
    assert.ok(resumed.brightness > paused.brightness * 1.1, 'and another resumed');
    await phone.tap('#pause');
    await sleep(800);
    const byButton = await canvasPicture(phone, 'phone-pause-button');
    assert.ok(byButton.brightness < resumed.brightness * 0.8, "the page's pause button paused");
    await phone.tap('#pause');
    await sleep(800);
    assert.ok((await canvasPicture(phone, 'phone-resumed-by-button')).brightness > byButton.brightness * 1.1,
              'and resumed');

    await phone.evaluate(() => {
      Object.defineProperty(document, 'hidden', { configurable: true, get: () => true });
      document.dispatchEvent(new Event('visibilitychange'));
    });
    await sleep(500);
    assert.equal(await phone.evaluate(() => Module.SDL2.audioContext.state), 'suspended', 'the locked phone is silent');
    await phone.setViewport({ width: 851, height: 393, deviceScaleFactor: 2.75, isMobile: true, hasTouch: true, isLandscape: true });
    const turned = await phone.evaluate(() => {
      const r = document.getElementById('canvas').getBoundingClientRect();
      return { width: r.width, height: r.height, left: r.left, wide: innerWidth, high: innerHeight };
    });
    assert.deepEqual([turned.width, turned.height], [turned.high, turned.high], 'on its side, the square fills the height');
    assert.equal(turned.left, (turned.wide - turned.width) / 2, 'centred');
    await fresh.close();
  });

  await check("on a slow connection the veil counts the game's code in", async () => {
    const fresh = await browser.createBrowserContext();  // nothing cached
    const slow = await fresh.newPage();
    const network = await slow.createCDPSession();
    await network.send('Network.enable');
    await network.send('Network.emulateNetworkConditions',
                       { offline: false, latency: 40, downloadThroughput: 800000, uploadThroughput: 800000 });
    const loading = slow.goto(url);
    const shown = new Set();
    while (!shown.has('Click to start')) {
      await sleep(100);
      shown.add(await slow.evaluate(() => document.getElementById('veil').textContent).catch(() => ''));
    }
    await loading;
    const shares = [...shown].map((text) => /^Loading… (\d+) %$/.exec(text)).filter(Boolean).map((match) => Number(match[1]));
    assert.ok(shares.length >= 3, `the veil showed ${[...shown].join(', ')}`);
    assert.deepEqual(shares, [...shares].sort((a, b) => a - b), 'the share only grows');
    await fresh.close();
  });

  await check('nothing went wrong on the console', async () => {
    assert.deepEqual(problems, []);
  });
} finally {
  await browser.close();
  server.close();
}
process.exit(failed ? 1 : 0);
