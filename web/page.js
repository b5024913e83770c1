// The page around the game: it fetches the game's code with its progress on
// the veil, starts the game on the first click or tap (browsers start sound
// only after a gesture), keeps the saved files in the browser's storage,
// pauses the game while the page is hidden, offers full screen and, on touch
// screens, a pause button, and counts the game's frames for its tests.
'use strict';

const home = '/home/web_user';
const veil = document.getElementById('veil');
const canvas = document.getElementById('canvas');
const audioContexts = [];
const fingers = matchMedia('(pointer: coarse)').matches;

// Fetched at once, while the game's script is still on its way.
const code = fetch('kelp-garden.wasm');

function showProgress(loaded, total) {
  const share = total ? Math.min(99, Math.floor((100 * loaded) / total)) : 0;
  veil.textContent = share ? `Loading… ${share} %` : 'Loading…';
}

// The code's bytes, counted on the veil as they come. Content-Length counts
// what the host sent, which may be compressed: the share never passes 99 %.
function counted(response) {
  const total = Number(response.headers.get('Content-Length')) || 0;
  let loaded = 0;
  const reader = response.body.getReader();
  return new ReadableStream({
    async pull(controller) {
      const { done, value } = await reader.read();
      if (done) {
        controller.close();
        return;
      }
      loaded += value.length;
      showProgress(loaded, total);
      controller.enqueue(value);
    },
  });
}

// Compiled while it downloads. The type is the page's own, so a host that
// sends .wasm files as anything else still serves the game.
async function instantiate(imports) {
  const response = await code;
  if (!response.ok) throw new Error(`kelp-garden.wasm: ${response.status} ${response.statusText}`);
  if (!response.body || !WebAssembly.instantiateStreaming)
    return WebAssembly.instantiate(await response.arrayBuffer(), imports);
  const typed = new Response(counted(response), { headers: { 'Content-Type': 'application/wasm' } });
  return WebAssembly.instantiateStreaming(typed, imports);
}

// Sound contexts made before the click start suspended; the click resumes them.
for (const name of ['AudioContext', 'webkitAudioContext']) {
  const Original = window[name];
  if (!Original) continue;
  window[name] = class extends Original {
    constructor(...args) {
      super(...args);
      audioContexts.push(this);
    }
  };
}

// The game draws each frame over the last (trails of light), so the canvas
// must keep its picture between frames.
const getContext = HTMLCanvasElement.prototype.getContext;
HTMLCanvasElement.prototype.getContext = function (type, attributes) {
  if (type === 'webgl' || type === 'experimental-webgl')
    attributes = Object.assign({}, attributes, { preserveDrawingBuffer: true });
  return getContext.call(this, type, attributes);
};

function saveFiles() {
  if (!Module.filesReady) return;
  FS.syncfs(false, (error) => { if (error) console.warn('Kelp Garden could not save:', error); });
}

var Module = {
  canvas,
  noInitialRun: true,
  frames: 0,
  instantiateWasm: (imports, receive) => {
    instantiate(imports).then((result) => receive(result.instance, result.module)).catch((error) => {
      veil.textContent = 'The game could not load. Reload the page to try again.';
      console.error('Kelp Garden could not load:', error);
    });
    return {};
  },
  print: (text) => console.log(text),
  printErr: (text) => console.warn(text),
  preRun: [() => {
    FS.mount(IDBFS, {}, home);
    addRunDependency('saved-files');
    FS.syncfs(true, (error) => {
      if (error) console.warn('Kelp Garden starts without its saved files:', error);
      Module.filesReady = true;
      removeRunDependency('saved-files');
    });
  }],
  onRuntimeInitialized: () => {
    veil.textContent = fingers ? 'Tap to start' : 'Click to start';
    veil.addEventListener('click', start, { once: true });
  },
  onExit: () => {
    saveFiles();
    veil.textContent = 'Thanks for playing. Reload the page to play again.';
    veil.classList.remove('hidden');
  },
};

// Quitting ends the runtime by throwing its exit status up through the
// browser's callback; it is the game's end, not an error.
window.addEventListener('error', (event) => {
  if (typeof ExitStatus !== 'undefined' && event.error instanceof ExitStatus) event.preventDefault();
});

let started = false;

// On a phone or a tablet the game takes the whole screen, where the browser allows.
function start() {
  started = true;
  veil.classList.add('hidden');
  canvas.focus();
  for (const context of audioContexts) context.resume();
  if (fingers && document.documentElement.requestFullscreen) document.documentElement.requestFullscreen().catch(() => {});
  callMain([]);
}

// Saved files reach the browser's storage every few seconds and when the page goes.
setInterval(saveFiles, 2000);
document.addEventListener('visibilitychange', () => { if (document.hidden) saveFiles(); });

// A hidden page (another tab, the phone locked) pauses the game as losing the
// focus does, and falls silent; shown again, its sound is back under the
// pause menu.
document.addEventListener('visibilitychange', () => {
  if (!started) return;
  if (document.hidden) window.dispatchEvent(new FocusEvent('blur'));
  for (const context of audioContexts) document.hidden ? context.suspend() : context.resume();
  if (!document.hidden) window.dispatchEvent(new FocusEvent('focus'));
});
window.addEventListener('pagehide', saveFiles);

document.getElementById('fullscreen').addEventListener('click', () => {
  document.documentElement.requestFullscreen().catch(() => {});
  canvas.focus();
});

// The game's own key for pause: it pauses play and resumes it from the pause menu.
function pressKey(key, code) {
  for (const type of ['keydown', 'keyup']) window.dispatchEvent(new KeyboardEvent(type, { key, code, bubbles: true }));
}
const pause = document.getElementById('pause');
pause.addEventListener('click', () => pressKey('p', 'KeyP'));
window.addEventListener('touchstart', () => pause.classList.remove('hidden'), { once: true, passive: true });
