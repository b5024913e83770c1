// A small static web server for the page's tests: serves one folder on
// 127.0.0.1 at a free port; the browser they use; and the way into play. A plain host sends
// .wasm files as any other file, as many static hosts do.
import { createServer } from 'node:http';
import { readFile } from 'node:fs/promises';
import { extname, join, normalize, sep } from 'node:path';

const types = {
  '.html': 'text/html; charset=utf-8', '.js': 'text/javascript', '.wasm': 'application/wasm',
  '.png': 'image/png', '.css': 'text/css',
};

export function serve(folder, { plainHost = false } = {}) {
  const root = normalize(folder + sep);
  const server = createServer(async (request, response) => {
    const path = decodeURIComponent(new URL(request.url, 'http://127.0.0.1').pathname);
    const file = normalize(join(root, path.endsWith('/') ? path + 'index.html' : path));
    if (!file.startsWith(root)) {
      response.writeHead(403).end();
      return;
    }
    try {
      const body = await readFile(file);
      const type = plainHost && extname(file) === '.wasm' ? undefined : types[extname(file)];
      response.writeHead(200, { 'Content-Type': type || 'application/octet-stream', 'Content-Length': body.length });
      response.end(body);
    } catch {
      response.writeHead(404).end();
    }
  });
  return new Promise((resolve) => server.listen(0, '127.0.0.1', () => resolve(server)));
}

// Headless Chromium drawing WebGL in software, as the page's tests and benchmark run it.
export function launchChromium(puppeteer) {
  return puppeteer.launch({
    executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
    headless: true,
    args: ['--no-sandbox', '--use-angle=swiftshader', '--enable-unsafe-swiftshader', '--window-size=1000,900'],
  });
}

// From the veil, ready to start, into level 1's play: the veil clicked, New
// game chosen and its card passed with the keys.
export async function startPlaying(page) {
  await page.waitForFunction(() => /to start$/.test(document.getElementById('veil').textContent), { timeout: 300000 });
  await page.click('#veil');
  await page.waitForFunction(() => Module.frames > 60, { timeout: 60000 });
  await page.keyboard.press('Enter');  // New game
  await new Promise((resolve) => setTimeout(resolve, 1500));
  await page.keyboard.press('Space');  // passes the card
  await new Promise((resolve) => setTimeout(resolve, 2500));
}
