// The run checker's worker, which the page starts as a module worker: it
// starts the checker (cave-check.js, a module factory; check.cpp) and
// answers every message in order: {link}, a run link (the page's address, or
// its fragment "#run=..."), or {bytes}, a recording's bytes (a kept run's,
// to race with or watch), with
//   {answer, bytes}  the checker's answer, the verdict as data
//                    (runs::VerdictJson) and what the run can race with
//                    (check.cpp), and the recording's bytes when the link
//                    held any to watch;
//   {failed, bytes}  why the checker could not run, and the recording's
//                    bytes when it had read them;
//   {unsupported}    why this browser cannot check run links.
// A link goes through the three steps of runs/runs.h: the checker's step 1,
// the browser's DecompressionStream bounded by the checker's limit, and the
// checker's step 3 and check. Messages that come before the checker is ready
// wait for it.
import createChecker from './cave-check.js';
import {inMemory} from './memory.js';

let failure = null;  // why the checker stopped, once it has
const checker = createChecker({
  onAbort: (what) => {
    failure ??= String(what);
  },
});

// The checker's answer at `at`.
const answer = (program, at) => JSON.parse(program.UTF8ToString(at));

// Step 2: the raw DEFLATE bytes `deflated` inflated, read no further than
// `limit` bytes: {bytes}; {tooLarge} past the limit; {bad} when they do not
// inflate.
async function inflate(deflated, limit) {
  const reader = new Blob([deflated]).stream()
                     .pipeThrough(new DecompressionStream('deflate-raw')).getReader();
  const chunks = [];
  let size = 0;
  try {
    for (let chunk = await reader.read(); !chunk.done; chunk = await reader.read()) {
      size += chunk.value.length;
      if (size > limit) {
        reader.cancel().catch(() => {});
        return {tooLarge: true};
      }
      chunks.push(chunk.value);
    }
  } catch {
    return {bad: true};
  }
  const bytes = new Uint8Array(size);
  chunks.reduce((at, chunk) => (bytes.set(chunk, at), at + chunk.length), 0);
  return {bytes};
}

// The checker's answer on the recording `bytes`, with them.
function checked(program, bytes) {
  // A run that the checker read but could not replay can still be watched.
  try {
    return {answer: answer(program, inMemory(program, bytes, program._CaveCheck)), bytes};
  } catch (error) {
    return {failed: failure ?? error.message, bytes};
  }
}

async function check(program, link) {
  if (typeof DecompressionStream !== 'function') return {unsupported: 'no DecompressionStream'};
  const refused = inMemory(program, new TextEncoder().encode(link), program._CaveLinkData);
  if (refused) return {answer: answer(program, refused)};
  const at = program._CaveDeflated();
  const deflated = program.HEAPU8.slice(at, at + program._CaveDeflatedLength());
  const inflated = await inflate(deflated, program._CaveLinkLimit());
  if (!inflated.bytes)
    return {answer: answer(program, program._CaveInflateRefused(inflated.tooLarge ? 1 : 0))};
  return checked(program, inflated.bytes);
}

addEventListener('message', async (event) => {
  let reply;
  try {
    const {bytes, link} = event.data ?? {};
    const program = await checker;
    reply = bytes instanceof Uint8Array ? checked(program, bytes)
                                        : await check(program, String(link ?? ''));
  } catch (error) {
    reply = {failed: failure ?? error.message};
  }
  postMessage(reply, reply.bytes ? [reply.bytes.buffer] : []);
});
