// Watching a run: a recording shown on the canvas by the game (CaveWatch),
// with its progress and the speed control in #watching, which this module
// alone writes.
import {watchRun} from './game.js';
import * as words from './words.js';

const kSpeeds = [1, 2, 4, 8];

const shown = document.getElementById('watching');
const progress = document.getElementById('progress');
const buttons = document.getElementById('speed').querySelectorAll('button');

// Shows the recording `bytes` with the started game `game`, a race's ghosts
// flown by `ghosts` (their words); settles when the watched game has ended.
export async function watch(game, bytes, ghosts = '') {
  // Once a second, and only what changed: every change to the page costs
  // its main thread a new style, layout and paint.
  let shownSpeed = 0;
  const show = () => {
    progress.textContent = words.progress(game._CaveWatchPlayed(), game._CaveWatchLength());
    const speed = game._CaveWatchSpeed(0);
    if (speed === shownSpeed) return;
    shownSpeed = speed;
    buttons.forEach((button, i) => button.classList.toggle('on', kSpeeds[i] === speed));
  };
  buttons.forEach((button, i) => {
    button.onclick = () => {
      game._CaveWatchSpeed(kSpeeds[i]);
      show();
      button.blur();
    };
  });
  show();
  const timer = setInterval(show, 1000);
  shown.hidden = false;
  try {
    await watchRun(game, bytes, ghosts);
  } finally {
    clearInterval(timer);
    shown.hidden = true;
  }
}
