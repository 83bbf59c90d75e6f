// Kept runs: every finished game's recording kept in the browser, the best of
// them listed in #runs with a Watch and a Share button each; this module alone
// writes #runs and what it holds.
//
// Kept runs live in IndexedDB, as the Linux program keeps them: the best 20
// by score and the latest 20, the rest removed. A run's score is the first
// "Player N: P Punkte" line of its recording's last box, as the checker reads
// it; a run without one (a game ended by Escape) counts only among the latest.
import {runLink} from './links.js';
import * as words from './words.js';

const kKeepBest = 20;
const kKeepLatest = 20;
const kListed = 5;  // the best runs the page lists

const element = (id) => document.getElementById(id);

// ---- the kept runs: {id, text, points (null without a score), date}

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

// The points of the recording's score line; null when it has none.
function score(text) {
  const boxes = text.split('\n').filter((line) => line.startsWith('# box '));
  if (boxes.length === 0) return null;
  let box = null;
  try {
    box = JSON.parse(boxes[boxes.length - 1].slice(6));
  } catch {
    return null;
  }
  const found = typeof box?.text === 'string' &&
                box.text.match(/^Player \d+: (\d{1,9}) Punkte$/m);
  return found ? Number(found[1]) : null;
}

// Best first: more points, then the earlier run.
const best = (all) => all.filter((run) => run.points !== null)
                          .sort((a, b) => b.points - a.points || a.id - b.id);

// Keeps a finished game's recording, and drops what the policy no longer keeps.
export async function keep(text) {
  const store = await runs('readwrite');
  await settled(store.add({text, points: score(text), date: Date.now()}));
  const all = await settled(store.getAll());  // oldest first
  const kept = new Set([...best(all).slice(0, kKeepBest), ...all.slice(-kKeepLatest)]);
  for (const run of all)
    if (!kept.has(run)) store.delete(run.id);
}

// ---- the list

// Copies the run's link, or shows it in #link to copy where the page may
// not write to the clipboard.
async function share(text) {
  const field = element('link');
  let link = '';
  try {
    link = await runLink(text);
    await navigator.clipboard.writeText(link);
    field.hidden = true;
    element('shared').hidden = false;
  } catch (error) {
    field.value = link || words.noLink(error.message);
    field.hidden = false;
    field.select();
  }
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

// Lists the best runs; settles with a run's text as bytes when its Watch
// button is pressed, or with null once `signal` (an AbortSignal) aborts,
// after which Watch does nothing and a list not yet shown stays hidden.
export async function listBest(signal) {
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
    rows.replaceChildren(...best(all).slice(0, kListed).map((run) => {
      const row = document.createElement('li');
      row.className = 'run';
      const date = new Date(run.date).toLocaleString([], {dateStyle: 'medium',
                                                          timeStyle: 'short'});
      const points = document.createElement('span');
      points.className = 'points';
      points.textContent = words.points(run.points);
      row.append(points, date,
                 button('watch', 'Watch', () => resolve(new TextEncoder().encode(run.text))),
                 button('share', 'Share', () => share(run.text)));
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
