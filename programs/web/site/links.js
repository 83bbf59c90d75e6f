// Run links: the page's address with #run= and a recording's bytes, raw
// DEFLATE, in base64url without padding (runs/runs.h). A page opened with one
// checks the run at once with the run checker (check_worker.js, a module
// worker, and in it cave-check.js, the game on the headless display) and says
// its verdict in #verdict, which this module alone writes, and beside it a
// Race button when the run can be a ghost, or why it cannot be one; then the
// page shows the run, unless the
// link held none. Another run link in the address bar starts the page again
// with it. The same checker finds how kept runs fly as ghosts (checkRuns).
import {linkFragment, linkRefusal} from './game.js';
import * as words from './words.js';

const kLink = '#run=';

const verdict = document.getElementById('verdict');
// Beside the verdict, the Race button.
const offer = document.createElement('p');
offer.hidden = true;
verdict.after(offer);

// Whether the page was opened with a run link.
export const linked = location.hash.startsWith(kLink);

// The run link of the recording `text`, by the started game `game`: {link};
// or {refused} with the runs library's reason why the recording can have
// none, or {unsupported} with why this browser cannot compress it.
export async function runLink(game, text) {
  const refused = linkRefusal(game, text);
  if (refused) return {refused};
  try {
    const packed = new Blob([text]).stream().pipeThrough(new CompressionStream('deflate-raw'));
    const bytes = new Uint8Array(await new Response(packed).arrayBuffer());
    return {link: location.origin + location.pathname + '#' + linkFragment(game, bytes)};
  } catch (error) {
    return {unsupported: error.message};
  }
}

// The worker's reply to `message` ({link} or {bytes}), asked of the worker
// started beforehand (so that it loads while the page goes on):
// {answer, bytes}, {failed} or {unsupported} (check_worker.js).
function ask(worker, message) {
  return new Promise((resolve) => {
    worker.onmessage = (event) => resolve(event.data);
    worker.onerror = (event) => resolve({failed: event.message || 'no checker'});
    worker.postMessage(message);
  });
}

// The checker's answers on the recordings `texts`, in order, each the
// verdict as data with what the run can race with: {ghost} its words as a
// ghost, or {unfit} why it cannot be one (check.cpp); {ghosts} a race's.
// What could not be checked is an answer of kind 'could not run'.
export async function checkRuns(texts) {
  if (texts.length === 0) return [];
  let worker = null;
  try {
    worker = new Worker('check_worker.js', {type: 'module'});
    const answers = [];
    for (const text of texts) {
      const reply = await ask(worker, {bytes: new TextEncoder().encode(text)});
      answers.push(reply.answer ??
                   couldNotRun(reply.failed ?? reply.unsupported, 'unsupported' in reply));
    }
    return answers;
  } catch (error) {
    return texts.map(() => couldNotRun(error.message, true));
  } finally {
    worker?.terminate();
  }
}

// What the check came to, as words.verdict takes it: the checker's answer,
// or the page's own kind 'could not run' with why (`unsupported` when this
// browser cannot check run links at all).
const couldNotRun = (why, unsupported) => ({kind: 'could not run', why, unsupported});

// The Race button, once shown with a verified run that can be a ghost, and
// the race it chooses: {race: [{text, ghost}]}, the run and its words as a
// ghost.
// A press that nothing waited for waits to be taken.
let race = null;
let raceChoice = null;
let pressed = false;
const waiting = new Set();

function pressRace() {
  race.blur();
  pressed = waiting.size === 0;
  waiting.forEach((resolve) => resolve(raceChoice));
  waiting.clear();
}

// The race of the link's run if its Race button was pressed while nothing
// waited for it, taken; otherwise null.
export function takeLinkRace() {
  const taken = pressed ? raceChoice : null;
  pressed = false;
  return taken;
}

// Settles with the race of the link's run when its Race button, which shows
// until the verdict goes, is pressed (or was, untaken); never after `signal`
// (an AbortSignal) aborts.
export function linkRace(signal) {
  return new Promise((resolve) => {
    if (signal.aborted) return;
    const taken = takeLinkRace();
    if (taken) return resolve(taken);
    waiting.add(resolve);
    signal.addEventListener('abort', () => waiting.delete(resolve));
  });
}

// The reply on the recording `bytes`, checked by the workers `racer` and
// `maker` side by side (check_worker.js): the maker makes a race's ghosts
// while the racer replays the race with the words guessed for them, and
// again with the maker's when the guess was not them. The answer's `ghosts`
// are the maker's words. A plain game is the racer's whole check, which
// does not wait for the maker.
async function checkSideBySide(racer, maker, bytes) {
  const flying = ask(maker, {bytes, half: 'fly'});
  const guessed = await ask(racer, {bytes, half: 'guess'});
  if (guessed.guess === undefined || !guessed.answer) return guessed;
  const flown = await flying;
  if (!flown.answer) return flown;
  if (flown.answer.kind) return {answer: flown.answer};  // the ghosts refused
  const ghosts = flown.answer.ghosts;
  const replayed = ghosts === guessed.guess ? guessed : await ask(racer, {bytes, ghosts});
  return replayed.answer ? {answer: {...replayed.answer, ghosts}} : replayed;
}

// Reads the page's run link, when it has one: shows the verdict, and
// settles with {bytes, answer}, the recording to watch and the checker's
// answer, or null when there is no recording (or no link).
export async function openLink() {
  if (!linked) return null;
  verdict.textContent = words.checking;
  verdict.hidden = false;
  let result = null;
  let bytes = null;
  const workers = [];
  try {
    // Two checkers load at once, so that a race's check has both.
    const start = () => workers[workers.push(new Worker('check_worker.js', {type: 'module'})) - 1];
    const reader = start();
    const maker = start();
    const read = await ask(reader, {link: location.hash});
    bytes = read.bytes ?? null;
    const reply = bytes ? await checkSideBySide(reader, maker, bytes) : read;
    result = reply.answer ?? couldNotRun(reply.failed ?? reply.unsupported, 'unsupported' in reply);
  } catch (error) {
    // A browser without module workers.
    result = couldNotRun(error.message, true);
  } finally {
    workers.forEach((worker) => worker.terminate());
  }
  verdict.textContent = words.verdict(result);
  performance.mark('cave-verdict');
  if (result.kind === 'verified' && result.ghost && bytes) {
    race = document.createElement('button');
    race.type = 'button';
    race.id = 'race';
    race.textContent = words.raceIt;
    race.addEventListener('click', pressRace);
    raceChoice = {race: [{text: new TextDecoder().decode(bytes), ghost: result.ghost}]};
    offer.replaceChildren(race);
    offer.hidden = false;
  } else if (result.kind === 'verified' && result.unfit) {
    offer.textContent = words.noGhost(result.unfit);
    offer.hidden = false;
  }
  return result.kind === 'not a recording' || !bytes ? null : {bytes, answer: result};
}

// The verdict goes once the player has moved on.
export function hideVerdict() {
  verdict.hidden = true;
  offer.hidden = true;
}

addEventListener('hashchange', () => {
  if (location.hash.startsWith(kLink)) location.reload();
});
