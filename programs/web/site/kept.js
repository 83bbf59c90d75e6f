// Kept runs: every finished game's recording kept in the browser, the best of
// them listed in #runs with a Watch and a Share button each, and a Race button
// for each that can be a ghost; this module alone writes #runs and what it
// holds.
//
// Kept runs live in IndexedDB, and what stays is what the Linux program
// keeps: the runs library's keep policy (each line-up size and each set of
// assists its own best) and
// its score of a run, asked of the game (game.js).
import {bestRuns, mayBeGhost, runOf, runsToDrop} from './game.js';
import {runLink} from './links.js';
import * as words from './words.js';

const kListed = 5;  // the best runs the page lists

const element = (id) => document.getElementById(id);

// ---- the kept runs: {id, text, points (null without a score), players,
// scores (every player's points), ghosts (a race's ghosts' points), assists
// ({toggle, speed}), date}; runs kept before the line-up have neither players
// nor scores, and are one player's; runs kept before races have no ghosts,
// and runs kept before the assists have none.

let database = null;
function runs(mode) {
  database ??= new Promise((resolve, reject) => {
    const request = indexedDB.open('cave', 1);
    request.onupgradeneeded = () =>
        request.result.createObjectStore('runs', {keyPath: 'id', autoIncrement: true});
    request.onsuccess = () => resolve(request.result);
    request.onerror = () => reject(request.error);
  });
  return database.then((db) => db.transaction('runs', mode).objectStore('runs'));
}

const settled = (request) => new Promise((resolve, reject) => {
  request.onsuccess = () => resolve(request.result);
  request.onerror = () => reject(request.error);
});

// The runs `all` (oldest first, as IndexedDB lists them) that have a score,
// best first, by the started game `game`.
const best = (game, all) => bestRuns(game, all).map((i) => all[i]);

// Keeps a finished game's recording, and drops what the policy no longer
// keeps, by the started game `game`.
export async function keep(game, text) {
  const {players, points, scores, ghosts, assists} = runOf(game, text);
  const store = await runs('readwrite');
  await settled(store.add({text, points, players, scores, ghosts, assists, date: Date.now()}));
  const all = await settled(store.getAll());  // oldest first
  for (const i of runsToDrop(game, all)) store.delete(all[i].id);
}

// ---- the list

// Copies the run's link, or shows it in #link to copy where the page may
// not write to the clipboard, or why there is none.
async function share(game, text) {
  const field = element('link');
  const made = await runLink(game, text);
  let copied = false;
  try {
    if (made.link !== undefined) {
      await navigator.clipboard.writeText(made.link);
      copied = true;
    }
  } catch {
    // The link stays in the field, to copy by hand.
  }
  field.value = made.link ?? words.noLink(made);
  field.hidden = copied;
  element('shared').hidden = !copied;
  if (!copied) field.select();
}

function button(className, label, act) {
  const b = document.createElement('button');
  b.type = 'button';
  b.className = className;
  b.textContent = label;
  b.addEventListener('click', () => {
    b.blur();
    act();
  });
  return b;
}

// Lists the best runs, by the started game `game`; settles with {watch}, a
// run's text as bytes, when its Watch button is pressed, or {race}, the
// ghosts to race ({text}), when its Race button is: the run's, then up to
// two more of the best that can be ghosts on its cave; or with null once
// `signal` (an AbortSignal) aborts, after which the buttons do nothing and a
// list not yet shown stays hidden.
export async function listBest(game, signal) {
  const shown = element('runs');
  const rows = element('best');
  let all = [];
  try {
    all = await settled((await runs('readonly')).getAll());
  } catch {
    // Without storage (a private window, say) there is nothing to list.
  }
  return new Promise((resolve) => {
    if (signal.aborted) return resolve(null);
    signal.addEventListener('abort', () => resolve(null), {once: true});
    const ranked = best(game, all);
    const ghosts = (run) => {
      const tick = runOf(game, run.text).tick;
      const more = ranked.filter((other) => other !== run && mayBeGhost(other) &&
                                            runOf(game, other.text).tick === tick);
      return [run, ...more.slice(0, 2)].map((ghost) => ({text: ghost.text}));
    };
    rows.replaceChildren(...ranked.slice(0, kListed).map((run) => {
      const row = document.createElement('li');
      row.className = 'run';
      const date = new Date(run.date).toLocaleString([], {dateStyle: 'medium',
                                                          timeStyle: 'short'});
      const points = document.createElement('span');
      points.className = 'points';
      points.textContent = words.points(run.points, run.players, run.scores, run.ghosts) +
                           words.assistsMark(run.assists);
      row.append(points, date,
                 button('watch', 'Watch',
                        () => resolve({watch: new TextEncoder().encode(run.text)})),
                 button('share', 'Share', () => share(game, run.text)));
      if (mayBeGhost(run))
        row.append(button('race', words.raceIt, () => resolve({race: ghosts(run)})));
      return row;
    }));
    element('link').hidden = true;
    element('shared').hidden = true;
    shown.hidden = rows.children.length === 0;
  });
}

export function hideList() {
  element('runs').hidden = true;
}
