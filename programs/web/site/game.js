// The game: the web program (cave.js, a module factory; play.cpp), started
// once with the page's canvas and message box dialog. Its script is imported
// with the page, so that a page without a run link starts the game before it
// has loaded; what takes long, loading its WebAssembly, begins at startGame.
// The rules of a run that the page follows are the runs library's
// (runs/runs.h), asked of the started game.
import createCave from './cave.js';
import {inMemory} from './memory.js';

let started = null;

// Starts the game with `options` ({canvas, dialog, onAbort}); settles with
// its instance. Later calls settle with the same instance.
export function startGame(options) {
  started ??= createCave(options);
  return started;
}

// The started game's instance (a promise), or null before startGame.
export const startedGame = () => started;

// Plays one game of the started game `game` with the tick count starting at
// `tick`; settles with its recording once it has ended.
export async function play(game, tick) {
  await game.ccall('CavePlay', 'number', ['number'], [tick], {async: true});
  return game.ccall('CaveRecording', 'string', [], []);
}

// Shows the recording `bytes` (a Uint8Array) with the started game `game`;
// settles when the watched game has ended.
export function watchRun(game, bytes) {
  return inMemory(
      game, bytes,
      (at, length) =>
          game.ccall('CaveWatch', 'number', ['number', 'number'], [at, length], {async: true}));
}

// ---- the rules of a run, from the started game `game`

const encoded = (text) => new TextEncoder().encode(text);
const textCall = (game, name) => (at, length) =>
    game.ccall(name, 'string', ['number', 'number'], [at, length]);

// The points of the score line of the recording `text`; null when it has none.
export function score(game, text) {
  const points = inMemory(game, encoded(text), game._CaveScore);
  return points < 0 ? null : points;
}

// The kept runs are `points`, each run's points (null without a score),
// oldest first: the indices of those that the keep policy drops, ascending;
// and the indices of those with a score, best first.
export const runsToDrop = (game, points) => ranked(game, points, game._CaveRunsToDrop);
export const bestRuns = (game, points) => ranked(game, points, game._CaveBestRuns);

function ranked(game, points, rank) {
  const ranks = new Int32Array(points.map((p) => p ?? -1));
  return inMemory(game, new Uint8Array(ranks.buffer), (at) => {
    const count = rank(at, points.length);
    return Array.from(new Int32Array(game.HEAPU8.buffer, at, count));  // the memory may have grown
  });
}

// Why the recording `text` cannot go into a run link; '' when it can.
export const linkRefusal = (game, text) =>
    inMemory(game, encoded(text), textCall(game, 'CaveLinkRefusal'));

// The fragment of a run link ("run=..."), of a recording's raw DEFLATE bytes.
export const linkFragment = (game, deflated) =>
    inMemory(game, deflated, textCall(game, 'CaveLinkFragment'));
