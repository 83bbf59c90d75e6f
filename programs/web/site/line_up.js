// The line-up: how many play the next game, chosen with the buttons of
// #players (one a line-up size, shown with the hint), which this module alone
// writes. ?players=N in the address chooses first (another value is refused:
// one player); otherwise the last choice, kept in the browser; otherwise one
// player. A game's line-up is its own from its start to its end: the choice
// is locked meanwhile. A choice is kept, and written over the address's
// ?players when it has one, so that a reload plays it again.
const kKept = 'cave-players';

const buttons = [...document.getElementById('players').querySelectorAll('button')];
const valid = (text) => /^[1-9]$/.test(text ?? '') && Number(text) <= buttons.length;

// Storage may be refused (a private window, say): then nothing is kept.
function kept() {
  try {
    return localStorage.getItem(kKept);
  } catch {
    return null;
  }
}

const asked = new URLSearchParams(location.search).get('players');
let players = valid(asked) ? Number(asked) : asked === null && valid(kept()) ? Number(kept()) : 1;
let refused = asked !== null && !valid(asked) ? asked : null;
const listeners = [];

// How many play the next game.
export const lineUp = () => players;
// The address's ?players when it was refused, until a line-up is chosen;
// null otherwise.
export const refusedLineUp = () => refused;
// Calls `changed` whenever another line-up is chosen.
export const onLineUp = (changed) => listeners.push(changed);
// Locks the choice while a game is played (`locked`), and frees it after.
export const lockLineUp = (locked) => buttons.forEach((button) => (button.disabled = locked));

function show() {
  buttons.forEach((button, i) => button.classList.toggle('on', i + 1 === players));
}

buttons.forEach((button, i) => button.addEventListener('click', () => {
  button.blur();
  players = i + 1;
  refused = null;
  try {
    localStorage.setItem(kKept, String(players));
  } catch {
    // Not kept: the choice holds until the page is left.
  }
  const address = new URL(location.href);
  if (address.searchParams.has('players')) {
    address.searchParams.set('players', players);
    history.replaceState(null, '', address);
  }
  show();
  listeners.forEach((changed) => changed());
}));
show();
