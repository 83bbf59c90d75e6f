// The run checker's worker, which the page starts as a module worker: it
// starts the checker (cave-check.js, a module factory; check.cpp) and
// answers every message {call, bytes}, in order, with what the checker's
// text export `call` (CaveCheck: the recording's bytes in, the verdict out)
// says for `bytes`, a Uint8Array that the page has bounded: {answer}; or
// {failed} with why the checker could not run. Messages that come before
// the checker is ready wait for it.
import createChecker from './cave-check.js';

let failure = null;  // why the checker stopped, once it has
const checker = createChecker({
  onAbort: (what) => {
    failure ??= String(what);
  },
});

// The text that the export `call` returns for `bytes`, passed to it as a
// pointer and a length.
function answer(program, call, bytes) {
  const exported = program['_' + call];
  if (!/^Cave[A-Za-z]+$/.test(call) || typeof exported !== 'function')
    throw new Error('the checker has no ' + call);
  const data = bytes instanceof Uint8Array ? bytes : new Uint8Array(0);
  const at = program._malloc(data.length + 1);
  program.HEAPU8.set(data, at);
  try {
    return program.UTF8ToString(exported(at, data.length));
  } finally {
    program._free(at);
  }
}

addEventListener('message', async (event) => {
  const {call, bytes} = event.data ?? {};
  try {
    postMessage({answer: answer(await checker, String(call), bytes)});
  } catch (error) {
    postMessage({failed: failure ?? error.message});
  }
});
