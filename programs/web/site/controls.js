// The page around the game: the canvas at the largest whole-number scale that
// fits the window, the pause, sound, vibration and full-screen controls, how
// to play (#hint and its words, #how; the line-up's choice in it is
// line_up.js's), the screen kept on during a game, and no context menu. This
// module alone writes these elements and keeps the sound's and the
// vibration's settings; the game draws on the canvas.
import {startedGame} from './game.js';

export const canvas = document.getElementById('screen');
const hint = document.getElementById('hint');
const how = document.getElementById('how');

// Whole device pixels per game pixel, so that every pixel stays sharp.
function fit() {
  const ratio = window.devicePixelRatio || 1;
  const scale = Math.max(1, Math.floor(Math.min(innerWidth * ratio / canvas.width,
                                                innerHeight * ratio / canvas.height)));
  canvas.style.width = canvas.width * scale / ratio + 'px';
  canvas.style.height = canvas.height * scale / ratio + 'px';
}
addEventListener('resize', fit);
addEventListener('orientationchange', fit);
fit();

addEventListener('contextmenu', (event) => event.preventDefault());

// The controls act and give the focus back, so that Space stays the game's.
const pause = document.getElementById('pause');
pause.addEventListener('click', () => {
  startedGame()?.then((game) => game.pulseKey('KeyP'));
  pause.blur();
});

// Sound and vibration: #sound shows whether the game is heard and switches
// it, as M does in the game; #rumble whether a crash shakes the gamepad and
// the phone. Both are kept in the browser for the next visit, where it lets
// the page keep them.
const sound = document.getElementById('sound');
const rumble = document.getElementById('rumble');
function kept(name, otherwise) {
  try {
    return localStorage.getItem(name) ?? otherwise;
  } catch {
    return otherwise;
  }
}
function keep(name, on) {
  try {
    localStorage.setItem(name, on ? '1' : '0');
  } catch {
    // Not kept: the setting holds for this visit.
  }
}
const settings = {muted: kept('cave-muted', '0') === '1', rumble: kept('cave-rumble', '1') === '1'};
function showSettings() {
  sound.classList.toggle('off', settings.muted);
  sound.setAttribute('aria-pressed', String(!settings.muted));
  rumble.classList.toggle('off', !settings.rumble);
  rumble.setAttribute('aria-pressed', String(settings.rumble));
}
function setMuted(muted) {
  settings.muted = muted;
  keep('cave-muted', muted);
  showSettings();
}
showSettings();
rumble.hidden = !navigator.vibrate && !navigator.getGamepads;
sound.addEventListener('click', () => {
  setMuted(!settings.muted);
  startedGame()?.then((game) => game.setMuted(settings.muted));
  sound.blur();
});
rumble.addEventListener('click', () => {
  settings.rumble = !settings.rumble;
  keep('cave-rumble', settings.rumble);
  showSettings();
  startedGame()?.then((game) => game.setRumble(settings.rumble));
  rumble.blur();
});

// What the game starts with: the settings, and word of its M.
export function feel() {
  return {muted: settings.muted, rumble: settings.rumble, onMuted: setMuted};
}

const full = document.getElementById('fullscreen');
full.hidden = !document.fullscreenEnabled;
full.addEventListener('click', () => {
  if (document.fullscreenElement) document.exitFullscreen();
  else document.documentElement.requestFullscreen({navigationUI: 'hide'}).catch(() => {});
  full.blur();
});

// How to play: until the first press (but for one on the line-up's choice,
// which is in it), and again at every end (showHint); its words come once the
// game has started (setHint).
const firstPress = (event) => {
  if (event.target instanceof Element && event.target.closest('#players')) return;
  hint.hidden = true;
  removeEventListener('keydown', firstPress);
  removeEventListener('pointerdown', firstPress);
};
addEventListener('keydown', firstPress);
addEventListener('pointerdown', firstPress);

export function showHint(shown) {
  hint.hidden = !shown;
}

// The words of how to play: `parts` (words.hint), each a text or a player's
// {text, colour}, shown after a ball of the player's colour.
export function setHint(parts) {
  how.replaceChildren(...parts.map((part) => {
    if (typeof part === 'string') return part;
    const player = document.createElement('span');
    const ball = document.createElement('span');
    player.className = 'player';
    ball.style.color = part.colour;
    ball.textContent = '\u25cf ';
    player.append(ball, part.text);
    return player;
  }));
}

// The screen stays on while a game runs, where the browser can keep it on;
// the lock ends with the page hidden, and is taken again on its return.
let playing = false;
let lock = null;
async function keepAwake() {
  if (!playing || !navigator.wakeLock || document.visibilityState !== 'visible') return;
  try {
    lock = await navigator.wakeLock.request('screen');
  } catch {
    lock = null;
  }
}
document.addEventListener('visibilitychange', keepAwake);

// Whether a game is being played now.
export function setPlaying(now) {
  playing = now;
  if (now) {
    keepAwake();
  } else if (lock) {
    lock.release().catch(() => {});
    lock = null;
  }
}
