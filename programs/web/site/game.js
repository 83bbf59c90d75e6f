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
// `tick` and `players` players, and the `assists` ({toggle, speed}; none
// when not given); settles with its recording once it has ended. With
// `ghosts`, each {text, ghost} (a recording and its words as a ghost, the
// run checker's), it is a race on their cave instead; one that the game
// refuses is left out.
export async function play(game, tick, players, assists, ghosts = []) {
  game._CaveNoAssists();
  const assist = (name, value) =>
      game.ccall('CaveAssist', 'string', ['string', 'string'], [name, value]);
  if (assists?.toggle) assist('assist', 'toggle');
  if (assists) assist('game-speed', String(assists.speed));
  for (const {text, ghost} of ghosts) {
    inMemory(game, encoded(text), (at, length) => game.ccall(
        'CaveAddGhost', 'number', ['number', 'number', 'string'], [at, length, ghost]));
  }
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

// Shows the recording `bytes` (a Uint8Array) with the started game `game`,
// a race's ghosts flown by `ghosts` (their words, the run checker's);
// settles when the watched game has ended.
export function watchRun(game, bytes, ghosts = '') {
  return inMemory(game, bytes, (at, length) => game.ccall(
      'CaveWatch', 'number', ['number', 'number', 'string'], [at, length, ghosts], {async: true}));
}

// ---- the rules of a run, from the started game `game`

const encoded = (text) => new TextEncoder().encode(text);
const textCall = (game, name) => (at, length) =>
    game.ccall(name, 'string', ['number', 'number'], [at, length]);

// The recording `text` as a kept run: {players, points, tick, scores,
// ghosts, assists}, its line-up, the points of its score line (its best
// player's; null when it has none), its cave, every player's points, a
// race's ghosts' and its assists ({toggle, speed}).
export function runOf(game, text) {
  const at = inMemory(game, encoded(text), game._CaveRun);
  const numbers = (from, count) =>
      Array.from(new Int32Array(game.HEAPU8.buffer, at + 4 * from, count));
  const [players, points, tick, count] = numbers(0, 4);
  const scores = numbers(4, count);
  const ghosts = numbers(5 + count, numbers(4 + count, 1)[0]);
  const [code] = numbers(kAssistsAt, 1);
  return {players, points: points < 0 ? null : points, tick: tick >>> 0, scores, ghosts,
          assists: {toggle: code % 2 === 1, speed: Math.floor(code / 2)}};
}
// Where CaveRun's answer has the assists: after the room for four players'
// points and three ghosts', each list with its count.
const kAssistsAt = 12;

// The assists as the game's exports take them: the speed times two, plus
// one for press to switch; a run kept before the assists has none.
const assistsCode = (assists) => (assists ? assists.speed * 2 + (assists.toggle ? 1 : 0) : 200);

// Whether the kept run `run` (kept.js) can be a ghost: one player's game
// with a score, no race; the run checker has the last word.
export const mayBeGhost = (run) =>
    (run.players ?? 1) === 1 && run.points !== null && !(run.ghosts?.length > 0);

// The kept runs are `runs`, each {points (null without a score), players,
// assists}, oldest first: the indices of those that the keep policy drops,
// ascending; and the indices of those with a score, best first.
export const runsToDrop = (game, runs) => ranked(game, runs, game._CaveRunsToDrop);
export const bestRuns = (game, runs) => ranked(game, runs, game._CaveBestRuns);

function ranked(game, runs, rank) {
  const ranks = new Int32Array(
      runs.flatMap((run) => [run.points ?? -1, run.players ?? 1, assistsCode(run.assists)]));
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
