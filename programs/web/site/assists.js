// The assists: press to switch and a slower game, chosen in the #assists
// panel, which the assists control (#assists-open, among the controls)
// opens and closes; this module alone writes them. ?assist=toggle and
// ?game-speed=N (one of the panel's speeds) in the address choose first (a
// value that is none is ignored, and the hint says so); otherwise the last
// choice, kept in the browser; otherwise none. A game is played with the
// assists chosen at its start: the choice is locked meanwhile. A choice is
// kept, and written over the address's when it has them, so that a reload
// plays it again.
const kKept = 'cave-assists';

const panel = document.getElementById('assists');
const opener = document.getElementById('assists-open');
const toggle = document.getElementById('toggle');
const speeds = [...panel.querySelectorAll('[data-speed]')];
const address = new URLSearchParams(location.search);
const listeners = [];

// Storage may be refused (a private window, say): then nothing is kept.
function kept() {
  try {
    return JSON.parse(localStorage.getItem(kKept)) ?? {};
  } catch {
    return {};
  }
}

// {toggle, speed}: what the address asks for where it may, else what was kept.
const given = kept();
const refused = [];
function choose(name, valid, value) {
  const asked = address.get(name);
  if (asked === null) return value;
  if (valid(asked)) return asked;
  refused.push(name + '=' + asked.slice(0, 12));
  return value;
}
let chosen = {
  toggle: choose('assist', (v) => v === 'toggle', given.toggle ? 'toggle' : '') === 'toggle',
  speed: Number(choose('game-speed', (v) => speeds.some((b) => b.dataset.speed === v),
                       speeds.some((b) => b.dataset.speed === String(given.speed))
                           ? String(given.speed) : '100')),
};

// The assists of the next game: {toggle, speed (percent)}.
export const assists = () => chosen;
// The address's values that are no assists, until a choice is made: texts
// such as 'game-speed=60'.
export const refusedAssists = () => refused;
// Calls `changed` whenever other assists are chosen.
export const onAssists = (changed) => listeners.push(changed);
// Locks the choice while a game is played (`locked`), and frees it after.
export function lockAssists(locked) {
  for (const button of [toggle, ...speeds]) button.disabled = locked;
}

function show() {
  toggle.classList.toggle('on', chosen.toggle);
  toggle.setAttribute('aria-pressed', String(chosen.toggle));
  for (const button of speeds)
    button.classList.toggle('on', Number(button.dataset.speed) === chosen.speed);
  opener.classList.toggle('on', chosen.toggle || chosen.speed !== 100);
}

function change(next) {
  chosen = next;
  refused.length = 0;
  try {
    localStorage.setItem(kKept, JSON.stringify(chosen));
  } catch {
    // Not kept: the choice holds until the page is left.
  }
  const url = new URL(location.href);
  if (url.searchParams.has('assist') && !chosen.toggle) url.searchParams.delete('assist');
  else if (url.searchParams.has('assist')) url.searchParams.set('assist', 'toggle');
  if (url.searchParams.has('game-speed')) url.searchParams.set('game-speed', chosen.speed);
  history.replaceState(null, '', url);
  show();
  listeners.forEach((changed) => changed());
}

// The controls act and give the focus back, so that Space stays the game's.
const act = (button, next) => button.addEventListener('click', () => {
  button.blur();
  change(next());
});
act(toggle, () => ({...chosen, toggle: !chosen.toggle}));
for (const button of speeds) act(button, () => ({...chosen, speed: Number(button.dataset.speed)}));
// A press on the panel is the panel's, never the game's.
panel.addEventListener('pointerdown', (event) => event.stopPropagation());
opener.addEventListener('click', () => {
  panel.hidden = !panel.hidden;
  opener.setAttribute('aria-expanded', String(!panel.hidden));
  opener.blur();
});
show();
