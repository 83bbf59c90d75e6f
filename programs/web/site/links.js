// Run links: the page's address with #run= and a recording's bytes, raw
// DEFLATE, in base64url without padding. A page opened with one checks the run
// at once with the run checker (check_worker.js, a module worker, and in it
// cave-check.js, the game on the headless display) and says its verdict in
// #verdict, which this module alone writes; then the page shows the run,
// unless the link held none. Another run link in the address bar starts the
// page again with it.
import * as words from './words.js';

const kLink = '#run=';
const kLargest = 1048576;  // the most bytes a link may inflate to

const verdict = document.getElementById('verdict');

// Whether the page was opened with a run link.
export const linked = location.hash.startsWith(kLink);

function base64url(bytes) {
  let text = '';
  for (let i = 0; i < bytes.length; i += 8192)
    text += String.fromCharCode.apply(null, bytes.subarray(i, i + 8192));
  return btoa(text).replace(/\+/g, '-').replace(/\//g, '_').replace(/=+$/, '');
}

// The run link of the recording `text`.
export async function runLink(text) {
  const packed = new Blob([text]).stream().pipeThrough(new CompressionStream('deflate-raw'));
  const bytes = new Uint8Array(await new Response(packed).arrayBuffer());
  return location.origin + location.pathname + kLink + base64url(bytes);
}

// The recording a link's data holds, as bytes, read no further than
// kLargest; or {fault} when it holds none (words.js says which).
async function unpack(data) {
  if (data.length % 4 === 1) return {fault: {characters: data.length}};
  const wrong = data.search(/[^A-Za-z0-9_-]/);
  if (wrong >= 0) return {fault: {position: wrong + 1, code: data.charCodeAt(wrong)}};
  const packed = Uint8Array.from(atob(data.replace(/-/g, '+').replace(/_/g, '/')),
                                 (c) => c.charCodeAt(0));
  const reader = new Blob([packed]).stream()
                     .pipeThrough(new DecompressionStream('deflate-raw')).getReader();
  const chunks = [];
  let size = 0;
  try {
    for (let chunk = await reader.read(); !chunk.done; chunk = await reader.read()) {
      size += chunk.value.length;
      if (size > kLargest) {
        reader.cancel().catch(() => {});
        return {fault: {largest: kLargest}};
      }
      chunks.push(chunk.value);
    }
  } catch {
    return {fault: {deflate: true}};
  }
  const bytes = new Uint8Array(size);
  chunks.reduce((at, chunk) => (bytes.set(chunk, at), at + chunk.length), 0);
  return {bytes};
}

// What the checker's text export `call` answers for `bytes`, asked of the
// worker started beforehand (so that it loads while the link is read):
// {answer}, or {failed} with why the checker could not run.
function ask(worker, call, bytes) {
  return new Promise((resolve) => {
    worker.onmessage = (event) => resolve(event.data);
    worker.onerror = (event) => resolve({failed: event.message || 'no checker'});
    worker.postMessage({call, bytes});
  });
}

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
    const read = await unpack(location.hash.slice(kLink.length));
    bytes = read.bytes ?? null;
    if (read.fault) {
      result = {fault: read.fault};
    } else {
      const reply = await ask(worker, 'CaveCheck', bytes);
      result = 'answer' in reply ? {checked: reply.answer} : {failed: reply.failed};
    }
  } catch (error) {
    // A browser without module workers or without DEFLATE streams.
    result = {unsupported: error.message};
  } finally {
    worker?.terminate();
  }
  verdict.textContent = words.verdict(result);
  performance.mark('cave-verdict');
  // The checker's own "Not a recording" holds no run to show either.
  const none = result.fault || result.checked?.startsWith('Not a recording');
  return none ? null : bytes;
}

// The verdict goes once the player has moved on.
export function hideVerdict() {
  verdict.hidden = true;
}

addEventListener('hashchange', () => {
  if (location.hash.startsWith(kLink)) location.reload();
});
