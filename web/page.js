// The page around the game: it starts the game on the first click (browsers
// start sound only after a gesture), keeps the saved files in the browser's
// storage, pauses the game while the page is hidden, offers full screen, and
// counts the game's frames for its tests.
'use strict';

const home = '/home/web_user';
const veil = document.getElementById('veil');
const canvas = document.getElementById('canvas');
const audioContexts = [];

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
    veil.textContent = 'Click to start';
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

function start() {
  started = true;
  veil.classList.add('hidden');
  canvas.focus();
  for (const context of audioContexts) context.resume();
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
