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
// `tick` and `players` players; settles with its recording once it has ended.
export async function play(game, tick, players) {
  await game.ccall('CavePlay', 'number', ['number', 'number'], [tick, players], {async: true});
  return game.ccall('CaveRecording', 'string', [], []);
}

// The players of the started game `game`, player 1 first: {key, colour},
// the KeyboardEvent.code of each one's key and the colour of their ball
// ('#0072ff'), as the web display has them.
export function players(game) {
  const all = [];
  for (let player = 1; game._CavePlayerColour(player) >= 0; ++player) {
    all.push({key: game.ccall('CavePlayerKey', 'string', ['number'], [player]),
              colour: '#' + game._CavePlayerColour(player).toString(16).padStart(6, '0')});
  }
  return all;
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

// The recording `text` as a kept run: {players, points, scores}, its
// line-up, the points of its score line (its best player's; null when it
// has none) and every player's points.
export function runOf(game, text) {
  const at = inMemory(game, encoded(text), game._CaveRun);
  const [players, points, count] = new Int32Array(game.HEAPU8.buffer, at, 3);
  const scores = Array.from(new Int32Array(game.HEAPU8.buffer, at + 12, count));
  return {players, points: points < 0 ? null : points, scores};
}

// The kept runs are `runs`, each {points (null without a score), players},
// oldest first: the indices of those that the keep policy drops, ascending;
// and the indices of those with a score, best first.
export const runsToDrop = (game, runs) => ranked(game, runs, game._CaveRunsToDrop);
export const bestRuns = (game, runs) => ranked(game, runs, game._CaveBestRuns);

function ranked(game, runs, rank) {
  const ranks = new Int32Array(runs.flatMap((run) => [run.points ?? -1, run.players ?? 1]));
  return inMemory(game, new Uint8Array(ranks.buffer), (at) => {
    const count = rank(at, runs.length);
    return Array.from(new Int32Array(game.HEAPU8.buffer, at, count));  // the memory may have grown
  });
}

// Why the recording `text` cannot go into a run link; '' when it can.
export const linkRefusal = (game, text) =>
    inMemory(game, encoded(text), textCall(game, 'CaveLinkRefusal'));

// The fragment of a run link ("run=..."), of a recording's raw DEFLATE bytes.
export const linkFragment = (game, deflated) =>
    inMemory(game, deflated, textCall(game, 'CaveLinkFragment'));
