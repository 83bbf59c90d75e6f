// The page's runs: every finished game's recording kept in the browser, the
// best of them listed with a Watch and a Share button each, and run links.
//
// Kept runs live in IndexedDB, as the Linux program keeps them: the best 20
// by score and the latest 20, the rest removed. A run's score is the first
// "Player N: P Punkte" line of its recording's last box, as the checker reads
// it; a run without one (a game ended by Escape) counts only among the latest.
//
// A run link is the page's address with #run= and the recording's bytes,
// raw DEFLATE, in base64url without padding. A page opened with one checks
// the run at once with the run checker (cave-check.js, the game on the
// headless display, in a Web Worker) and says in #verdict "Verified: " and
// the score line, or "Verified: no score (...)" for a game without one,
// "Not verified: " and the first difference, or "Not a recording: " and why;
// then it shows the run on the canvas (CaveWatch) unless it was none.
var CaveRuns = (() => {
  const kKeepBest = 20;
  const kKeepLatest = 20;
  const kListed = 5;           // the best runs the page lists
  const kLargest = 1048576;    // the most bytes a link may inflate to
  const kLink = '#run=';
  const kSpeeds = [1, 2, 4, 8];

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
  async function keep(text) {
    const store = await runs('readwrite');
    await settled(store.add({text, points: score(text), date: Date.now()}));
    const all = await settled(store.getAll());  // oldest first
    const kept = new Set([...best(all).slice(0, kKeepBest), ...all.slice(-kKeepLatest)]);
    for (const run of all)
      if (!kept.has(run)) store.delete(run.id);
  }

  // ---- run links

  function base64url(bytes) {
    let text = '';
    for (let i = 0; i < bytes.length; i += 8192)
      text += String.fromCharCode.apply(null, bytes.subarray(i, i + 8192));
    return btoa(text).replace(/\+/g, '-').replace(/\//g, '_').replace(/=+$/, '');
  }

  async function address(text) {
    const packed = new Blob([text]).stream().pipeThrough(new CompressionStream('deflate-raw'));
    const bytes = new Uint8Array(await new Response(packed).arrayBuffer());
    return location.origin + location.pathname + kLink + base64url(bytes);
  }

  // The recording a link's data holds, as bytes, read no further than
  // kLargest; or {problem} when it holds none, said as the Linux program
  // says it (runs/runs.h).
  async function unpack(data) {
    if (data.length % 4 === 1) {
      return {problem: `bad base64url: ${data.length} characters, ` +
                       'a length (4n+1) that no data has'};
    }
    const wrong = data.search(/[^A-Za-z0-9_-]/);
    if (wrong >= 0) {
      const c = data.charCodeAt(wrong);
      const shown = c >= 0x20 && c < 0x7f ? data[wrong] : '\\x' + c.toString(16).padStart(2, '0');
      return {problem: `bad base64url: character ${wrong + 1} is '${shown}'` +
                       (shown === '=' ? ', padding, which run links leave out' : '')};
    }
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
          return {problem: `more than ${kLargest} bytes once inflated`};
        }
        chunks.push(chunk.value);
      }
    } catch {
      return {problem: 'bad DEFLATE data'};
    }
    const bytes = new Uint8Array(size);
    chunks.reduce((at, chunk) => (bytes.set(chunk, at), at + chunk.length), 0);
    return {bytes};
  }

  // The checker's verdict on the recording `bytes`, from the worker started
  // beforehand (so that it loads while the link is read).
  function check(worker, bytes) {
    return new Promise((resolve) => {
      worker.onmessage = (event) => resolve(String(event.data));
      worker.onerror = (event) => resolve('Not verified: the check could not run (' +
                                          (event.message || 'no checker') + ')');
      worker.postMessage(bytes);
    }).finally(() => worker.terminate());
  }

  // Reads the page's run link, when it has one: shows the verdict in
  // #verdict, and settles with the recording's bytes to watch, or null when
  // there is no recording.
  async function opened() {
    if (!location.hash.startsWith(kLink)) return null;
    const verdict = element('verdict');
    verdict.textContent = 'Checking the run\u2026';
    verdict.hidden = false;
    let said = '';
    let read = {};
    try {
      const worker = window.caveChecker ?? new Worker('cave-check.js');
      read = await unpack(location.hash.slice(kLink.length));
      said = read.problem ? (worker.terminate(), 'Not a recording: ' + read.problem)
                          : await check(worker, read.bytes);
    } catch (error) {
      // A browser without workers or without DEFLATE streams.
      said = 'Not verified: this browser cannot check run links (' + error.message + ')';
    }
    verdict.textContent = said;
    performance.mark('cave-verdict');
    return said.startsWith('Not a recording') ? null : read.bytes ?? null;
  }

  // Another run link in the address bar: the page starts again with it.
  addEventListener('hashchange', () => {
    if (location.hash.startsWith(kLink)) location.reload();
  });

  // ---- watching

  // Shows the recording `bytes` on the canvas (CaveWatch) with its progress
  // and the speed control; settles when the watched game has ended.
  async function watch(bytes) {
    const progress = element('progress');
    const buttons = element('speed').querySelectorAll('button');
    // Once a second, and only what changed: every change to the page costs
    // its main thread a new style, layout and paint.
    let shownSpeed = 0;
    const show = () => {
      progress.textContent = 'snapshot ' + Module._CaveWatchPlayed() + ' of ' +
                             Module._CaveWatchLength();
      const speed = Module._CaveWatchSpeed(0);
      if (speed === shownSpeed) return;
      shownSpeed = speed;
      buttons.forEach((button, i) => button.classList.toggle('on', kSpeeds[i] === speed));
    };
    buttons.forEach((button, i) => {
      button.onclick = () => {
        Module._CaveWatchSpeed(kSpeeds[i]);
        show();
        button.blur();
      };
    });
    const at = Module._malloc(bytes.length + 1);
    Module.HEAPU8.set(bytes, at);
    show();
    const timer = setInterval(show, 1000);
    element('watching').hidden = false;
    try {
      await Module.ccall('CaveWatch', 'number', ['number', 'number'], [at, bytes.length],
                         {async: true});
    } finally {
      clearInterval(timer);
      element('watching').hidden = true;
      Module._free(at);
    }
  }

  // ---- the list

  // Copies the run's link, or shows it in #link to copy where the page may
  // not write to the clipboard.
  async function share(text) {
    const field = element('link');
    let link = '';
    try {
      link = await address(text);
      await navigator.clipboard.writeText(link);
      field.hidden = true;
      element('shared').hidden = false;
    } catch (error) {
      field.value = link || 'No link: this browser cannot pack one (' + error.message + ')';
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

  // Lists the best runs in #runs; settles with a run's text as bytes when
  // its Watch button is pressed.
  async function list() {
    const shown = element('runs');
    const rows = element('best');
    let all = [];
    try {
      all = await settled((await runs('readonly')).getAll());
    } catch {
      // Without storage (a private window, say) there is nothing to list.
    }
    return new Promise((resolve) => {
      rows.replaceChildren(...best(all).slice(0, kListed).map((run) => {
        const row = document.createElement('li');
        row.className = 'run';
        const date = new Date(run.date).toLocaleString([], {dateStyle: 'medium',
                                                            timeStyle: 'short'});
        const points = document.createElement('span');
        points.className = 'points';
        points.textContent = run.points + ' points';
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

  function hide() {
    element('runs').hidden = true;
  }

  return {keep, list, hide, watch, linked: location.hash.startsWith(kLink), opened: opened()};
})();
