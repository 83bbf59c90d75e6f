// The page's words: every text it shows about games, runs and run links is
// made here, from the data the other modules pass, or taken here from the
// runs library's words that the data carries. Nothing else words a verdict
// or a result.

const touch = matchMedia('(pointer: coarse)').matches;
const press = touch ? 'Tap' : 'Press a key or click';

// How to play, in the words of the device in hand, for `count` players of
// the game's `players` ({key, colour}, player 1 first; game.js): a list of
// texts and, for several players, each player's {text, colour}; with
// `refused`, the address's ?players that is no line-up, first.
export function hint(count, players, refused) {
  const parts = refused === null ? [] : ['players=' + refused.slice(0, 12) +
                                         ' is no line-up of 1 to 4: one player \u00b7 '];
  if (count === 1) {
    parts.push(touch ? 'Hold anywhere to rise'
                     : 'Hold Up or Space to rise \u00b7 P pauses \u00b7 Esc ends');
    return parts;
  }
  parts.push('Hold to rise');
  players.slice(0, count).forEach((player, i) => parts.push(' \u00b7 ', {
    text: 'Player ' + (i + 1) + ': ' + (touch ? zone(i, count) : keyName(player.key)),
    colour: player.colour,
  }));
  if (!touch) parts.push(' \u00b7 P pauses \u00b7 Esc ends');
  return parts;
}

// What the hint adds for the `assists` ({toggle, speed}) and for the
// address's values that are no assists (`refused`, such as 'game-speed=60').
export function assistsHint(assists, refused) {
  const parts = refused.map((what) => ' \u00b7 ' + what + ' is no assist: ignored');
  if (assists.toggle) parts.push(' \u00b7 press to switch: no need to hold');
  if (assists.speed !== 100) parts.push(' \u00b7 ' + assists.speed + ' % speed');
  return parts;
}

// A kept run's assists after its points: ' · press to switch, 50 % speed';
// '' for none.
export function assistsMark(assists) {
  const named = [];
  if (assists?.toggle) named.push('press to switch');
  if (assists && assists.speed !== 100) named.push(assists.speed + ' % speed');
  return named.length === 0 ? '' : ' \u00b7 ' + named.join(', ');
}

// The key of a KeyboardEvent.code as its cap names it: 'KeyW' W, 'ArrowUp'
// Up, 'Numpad8' keypad 8.
const keyName = (code) => code.replace(/^(Key|Digit|Arrow)/, '').replace(/^Numpad/, 'keypad ');

// Zone `i` of `count` side by side, the leftmost first.
function zone(i, count) {
  const part = ['half', 'third', 'quarter'][count - 2];
  if (i === 0) return 'left ' + part;
  if (i === count - 1) return 'right ' + part;
  return (count === 3 ? 'middle ' : ['second ', 'third '][i - 1]) + part;
}

// The page's status line: what comes next, and why nothing does.
export const toPlay = press + ' to play.';
export const gameEnded = 'The game has ended. ' + press + ' to play again.';
export const runEnded = 'The run has ended. ' + press + ' to play again.';
export const thisCave = 'this cave';
export const itsRecording = 'its recording';
export const couldNotRun = (what) => 'The game could not run: ' + what;

// A kept run's points in the list of the best: '1 point', and for several
// `players` every player's `scores`: '2 players: 12, 30 points'; a race's
// with its `ghosts`' points: '12 points, race: 30'.
export function points(count, players = 1, scores = [], ghosts = []) {
  const race = ghosts.length > 0 ? ', race: ' + ghosts.join(', ') : '';
  if (players > 1) return players + ' players: ' + scores.join(', ') + ' points' + race;
  return (count === 1 ? '1 point' : count + ' points') + race;
}

// Racing a run: its button, and why there is no race, from the runs
// library's words on a run that cannot be a ghost ('is a race; ...'), or
// on a run that did not verify.
export const raceIt = 'Race';
export const noGhost = (unfit) => 'No race: the run ' + unfit;

// A watched run's progress.
export const progress = (played, length) => 'snapshot ' + played + ' of ' + length;

// Why a run has no link to share, from one of:
//   {refused}      the runs library's words
//   {unsupported}  why this browser cannot compress one
export const noLink = (why) =>
    'No link: ' + (why.refused ?? 'this browser cannot pack one (' + why.unsupported + ')');

export const checking = 'Checking the run\u2026';

// The verdict on a run link, by its kind:
//   'verified', 'not verified', 'not a recording': the checker's, which has
//                     its words as `line` (runs::VerdictLine)
//   'could not run':  the page's own, with `why`, and `unsupported` when this
//                     browser cannot check run links at all
export function verdict(result) {
  if (result.kind !== 'could not run') return result.line;
  return 'Not verified: ' +
      (result.unsupported ? 'this browser cannot check run links (' : 'the check could not run (') +
      result.why + ')';
}
