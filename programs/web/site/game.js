// The game: the web program (cave.js, a module factory; play.cpp), started
// once with the page's canvas and message box dialog. Its script is imported
// with the page, so that a page without a run link starts the game before it
// has loaded; what takes long, loading its WebAssembly, begins at startGame.
import createCave from './cave.js';

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
