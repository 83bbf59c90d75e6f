// Run links: the page's address with #run= and a recording's bytes, raw
// DEFLATE, in base64url without padding (runs/runs.h). A page opened with one
// checks the run at once with the run checker (check_worker.js, a module
// worker, and in it cave-check.js, the game on the headless display) and says
// its verdict in #verdict, which this module alone writes; then the page shows
// the run, unless the link held none. Another run link in the address bar
// starts the page again with it.
import {linkFragment, linkRefusal} from './game.js';
import * as words from './words.js';

const kLink = '#run=';

const verdict = document.getElementById('verdict');

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

// The worker's reply to the link `link`, asked of the worker started
// beforehand (so that it loads while the page goes on): {answer, bytes},
// {failed} or {unsupported} (check_worker.js).
function ask(worker, link) {
  return new Promise((resolve) => {
    worker.onmessage = (event) => resolve(event.data);
    worker.onerror = (event) => resolve({failed: event.message || 'no checker'});
    worker.postMessage({link});
  });
}

// What the check came to, as words.verdict takes it: the checker's answer,
// or the page's own kind 'could not run' with why (`unsupported` when this
// browser cannot check run links at all).
const couldNotRun = (why, unsupported) => ({kind: 'could not run', why, unsupported});

// Reads the page's run link, when it has one: shows the verdict, and
// settles with the recording's bytes to watch, or null when there is no
// recording (or no link).
export async function openLink() {
  if (!linked) return null;
  verdict.textContent = words.checking;
  verdict.hidden = false;
  let result = null;
  let bytes = null;
  let worker = null;
  try {
    worker = new Worker('check_worker.js', {type: 'module'});
    const reply = await ask(worker, location.hash);
    bytes = reply.bytes ?? null;
    result = reply.answer ?? couldNotRun(reply.failed ?? reply.unsupported, 'unsupported' in reply);
  } catch (error) {
    // A browser without module workers.
    result = couldNotRun(error.message, true);
  } finally {
    worker?.terminate();
  }
  verdict.textContent = words.verdict(result);
  performance.mark('cave-verdict');
  return result.kind === 'not a recording' ? null : bytes;
}

// The verdict goes once the player has moved on.
export function hideVerdict() {
  verdict.hidden = true;
}

addEventListener('hashchange', () => {
  if (location.hash.startsWith(kLink)) location.reload();
});
