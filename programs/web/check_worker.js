// The bottom of cave-check.js, which the page runs as a Web Worker: every
// message is the bytes of one recording (a Uint8Array the page has bounded),
// and is answered with the checker's verdict (check.cpp), in order. Checks
// asked for before the program is ready wait for it.
var caveChecks = [];
var caveReady = false;

function caveCheckAll() {
  while (caveReady && caveChecks.length > 0) {
    const bytes = caveChecks.shift();
    const at = _malloc(bytes.length + 1);
    HEAPU8.set(bytes, at);
    const verdict = UTF8ToString(_CaveCheck(at, bytes.length));
    _free(at);
    postMessage(verdict);
  }
}

onmessage = (event) => {
  caveChecks.push(event.data instanceof Uint8Array ? event.data : new Uint8Array(0));
  caveCheckAll();
};

Module['onRuntimeInitialized'] = () => {
  caveReady = true;
  caveCheckAll();
};

// A checker that cannot run (its wasm missing, say) still answers.
Module['onAbort'] = (what) => {
  postMessage('Not verified: the check could not run (' + what + ')');
};
