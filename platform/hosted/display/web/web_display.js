// The page's side of the web display (web_display.cpp): the canvas, the
// keyboard, the browser's turns and the message box dialog. It is placed at
// the top of cave.js, and finds in the page the canvas #screen and the dialog
// #box with #box-title, #box-text and the button #box-ok.
var CaveWeb = {
  keys: new Uint8Array(256),  // DirectInput snapshot: 0x80 for a key that is down
  codes: new Map(),           // KeyboardEvent.code -> DirectInput scan code
  context: null,
  resume: null,               // settles the sleep that waits for its turn
  channel: new MessageChannel(),

  // A new program: keys held from before count from their next press.
  start() {
    this.keys.fill(0);
  },

  mapKey(code, scanCode) {
    this.codes.set(code, scanCode);
  },

  // Every key is up while the page does not have the focus.
  readKeys(state) {
    if (document.hasFocus()) state.set(this.keys);
    else state.fill(0);
  },

  // `pixels`: the whole canvas, width x height RGBA; the area x, y, w, h changed.
  present(pixels, width, height, x, y, w, h) {
    if (this.context === null) this.context = document.getElementById('screen').getContext('2d');
    const data = new Uint8ClampedArray(HEAPU8.buffer, pixels, width * height * 4);
    this.context.putImageData(new ImageData(data, width, height), 0, 0, x, y, w, h);
  },

  // Gives the browser a turn after `ms` milliseconds (0: at once). The program
  // goes on from a message rather than from the timer itself: browsers stretch
  // timers set from within timers that were set from within timers, but not
  // those set from a message.
  sleep(ms) {
    return new Promise((resolve) => {
      const turn = () => {
        this.resume = resolve;
        this.channel.port2.postMessage(null);
      };
      if (ms > 0) setTimeout(turn, ms);
      else turn();
    });
  },

  // A modal dialog with the box's title and text and one OK button; settles
  // when it is answered by Return, Space, Escape or a click on OK.
  messageBox(title, text) {
    const box = document.getElementById('box');
    const ok = document.getElementById('box-ok');
    document.getElementById('box-title').textContent = title;
    document.getElementById('box-text').textContent = text;
    return new Promise((resolve) => {
      const answer = (event) => {
        event.preventDefault();
        box.removeEventListener('keydown', key);
        box.removeEventListener('cancel', answer);
        ok.removeEventListener('click', answer);
        box.close();
        resolve();
      };
      const key = (event) => {
        if (['Enter', 'NumpadEnter', 'Space', 'Escape'].includes(event.code)) answer(event);
      };
      box.addEventListener('keydown', key);
      box.addEventListener('cancel', answer);
      ok.addEventListener('click', answer);
      box.showModal();
      ok.focus();
    });
  },

  // A zero-terminated string in the Windows ANSI code page (1252).
  ansi(pointer) {
    let end = pointer;
    while (HEAPU8[end] !== 0) ++end;
    return new TextDecoder('windows-1252').decode(HEAPU8.subarray(pointer, end));
  },
};

CaveWeb.channel.port1.onmessage = () => {
  const resume = CaveWeb.resume;
  CaveWeb.resume = null;
  if (resume) resume();
};

// The keys the page would otherwise scroll with.
const kCaveScrollKeys = new Set(['ArrowUp', 'ArrowDown', 'ArrowLeft', 'ArrowRight', 'Space']);

addEventListener('keydown', (event) => {
  if (kCaveScrollKeys.has(event.code)) event.preventDefault();
  const scanCode = CaveWeb.codes.get(event.code);
  if (scanCode === undefined) return;
  // A key repeating without a press seen: held since before the program.
  if (event.repeat && CaveWeb.keys[scanCode] === 0) return;
  CaveWeb.keys[scanCode] = 0x80;
});

addEventListener('keyup', (event) => {
  const scanCode = CaveWeb.codes.get(event.code);
  if (scanCode !== undefined) CaveWeb.keys[scanCode] = 0;
});

addEventListener('blur', () => CaveWeb.keys.fill(0));
