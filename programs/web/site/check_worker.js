// The run checker's worker, which the page starts as a module worker: it
// starts the checker (cave-check.js, a module factory; check.cpp) and
// answers every message in order, each with one of
//   {answer, bytes}  the checker's answer, the verdict as data
//                    (runs::VerdictJson) and what the run can race with
//                    (check.cpp), and the recording's bytes;
//   {bytes}          a link's recording, inflated and not yet checked;
//   {failed, bytes}  why the checker could not run, and the recording's
//                    bytes when it had read them;
//   {unsupported}    why this browser cannot check run links.
// The messages:
//   {link}           a run link (the page's address, or its fragment
//                    "#run=..."), read: {bytes}, or the {answer} that it
//                    holds no recording. A link goes through steps 1 and 2
//                    of runs/runs.h: the checker's step 1 and the browser's
//                    DecompressionStream bounded by the checker's limit.
//   {bytes}          a recording's bytes, checked: step 3 and the check.
// A race may be checked by two workers side by side instead (race.h):
//   {bytes, half: 'fly'}    its ghosts made: {ghosts}, the words that fly
//                           them ('' for a plain game), or the {answer} that
//                           refuses the race;
//   {bytes, half: 'guess'}  meanwhile its replay with the guessed words:
//                           {answer, guess}; a plain game's check is whole,
//                           {answer} without a guess;
//   {bytes, ghosts}         the replay again with the ghosts' words, when
//                           the guess was not them: {answer}.
// Messages that come before the checker is ready wait for it.
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

// The checker's answer on the recording `bytes`, the export `call`'s (by
// default the whole check), with them.
function checked(program, bytes, call = (at, length) => program._CaveCheck(at, length)) {
  // A run that the checker read but could not replay can still be watched.
  try {
    return {answer: answer(program, inMemory(program, bytes, call)), bytes};
  } catch (error) {
    return {failed: failure ?? error.message, bytes};
  }
}

// A zero-terminated text in the checker's memory for the length of `use`.
const withText = (program, text, use) =>
    inMemory(program, new TextEncoder().encode(text + '\0'), use);

// The halves of a race's check, and the replay with given ghosts' words.
function half(program, bytes, which, ghosts) {
  if (which === 'fly') return checked(program, bytes, program._CaveFlyGhosts);
  if (ghosts !== undefined) {
    return withText(program, String(ghosts),
                    (words) => checked(program, bytes,
                                       (at, length) => program._CaveCheckFlown(at, length, words)));
  }
  const guess = program.UTF8ToString(inMemory(program, bytes, program._CaveGuessGhosts));
  if (guess === '') return checked(program, bytes);
  return {...half(program, bytes, undefined, guess), guess};
}

async function read(program, link) {
  if (typeof DecompressionStream !== 'function') return {unsupported: 'no DecompressionStream'};
  const refused = inMemory(program, new TextEncoder().encode(link), program._CaveLinkData);
  if (refused) return {answer: answer(program, refused)};
  const at = program._CaveDeflated();
  const deflated = program.HEAPU8.slice(at, at + program._CaveDeflatedLength());
  const inflated = await inflate(deflated, program._CaveLinkLimit());
  if (!inflated.bytes)
    return {answer: answer(program, program._CaveInflateRefused(inflated.tooLarge ? 1 : 0))};
  return {bytes: inflated.bytes};
}

addEventListener('message', async (event) => {
  let reply;
  try {
    const {bytes, link, half: which, ghosts} = event.data ?? {};
    const program = await checker;
    if (!(bytes instanceof Uint8Array)) reply = await read(program, String(link ?? ''));
    else if (which || ghosts !== undefined) reply = half(program, bytes, which, ghosts);
    else reply = checked(program, bytes);
  } catch (error) {
    reply = {failed: failure ?? error.message};
  }
  postMessage(reply, reply.bytes ? [reply.bytes.buffer] : []);
});
