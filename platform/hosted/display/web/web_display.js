// The page's side of the web display (web_display.cpp): the canvas, the
// keyboard, pointers and gamepads, whether the player is away, the browser's
// turns and the message box dialog. It is placed at the top of the program's
// module factory, so that each instance has its own. The page starts the
// instance with two options: `canvas`, the 320 x 240 canvas it draws on, and
// `dialog`, a <dialog> holding a heading (the box's title), a paragraph (its
// text) and a button (OK); and may give three more: `muted` and `rumble`, the
// sound's and the rumble's settings to start with, and `onMuted`, called with
// the new setting whenever M or setMuted mutes or unmutes the sound. The
// instance offers the page `pulseKey`, `nextPress`, `setMuted` and
// `setRumble` (below).
const CaveWeb = {
  keys: new Uint8Array(256),  // DirectInput snapshot: 0x80 for a key that is down
  codes: new Map(),           // KeyboardEvent.code -> DirectInput scan code
  pointers: new Map(),        // pointerId -> [x, width] of every pointer held down on the page
  pulses: [],                 // scan codes pressed by the page's controls: [code, first read]
  hadFocus: false,
  context: null,
  resume: null,               // settles the sleep that waits for its turn
  channel: new MessageChannel(),
  audio: null,                // the AudioContext, made at the first press
  gain: null,                 // through which everything is heard: 0 muted, 1 not
  next: 0,                    // the context's frame at which the sound handed over ends
  muted: !!Module['muted'],
  rumbleOn: Module['rumble'] !== false,

  // A new program: keys and pointers held from before count from their next press.
  start() {
    this.letGo();
    this.notice();
  },

  letGo() {
    this.keys.fill(0);
    this.pointers.clear();
    this.pulses = [];
  },

  mapKey(code, scanCode) {
    this.codes.set(code, scanCode);
  },

  // Every key is up while the page does not have the focus.
  readKeys(state) {
    if (document.hasFocus()) state.set(this.keys);
    else state.fill(0);
    // A control's key is down for the reads of 150 ms from the first that
    // sees it: long enough for a game that reads the keyboard ten times a second.
    const now = performance.now();
    this.pulses = this.pulses.filter((pulse) => {
      if (pulse[1] === null) pulse[1] = now;
      return pulse[1] > now - 150;
    });
    for (const pulse of this.pulses) state[pulse[0]] = 0x80;
  },

  // Presses and releases the key named `code` (a KeyboardEvent.code of the
  // key table, such as 'KeyP'), for the page's own controls; other names do
  // nothing.
  pulseKey(code) {
    const scanCode = this.codes.get(code);
    if (scanCode !== undefined) this.pulses.push([scanCode, null]);
  },

  // The pointers held: for the first `max` of them, two numbers each into
  // `places` (HEAP32 indices), where the pointer went down in device pixels
  // right of the canvas's left edge, and the canvas's width in device pixels
  // then. Returns how many are held.
  readPointers(places, max) {
    if (!document.hasFocus()) return 0;
    let count = 0;
    for (const place of this.pointers.values()) {
      if (count === max) break;
      HEAP32.set(place, places + 2 * count++);
    }
    return this.pointers.size;
  },

  // Where the pointer of `event` is, as readPointers gives it.
  place(event) {
    const ratio = devicePixelRatio || 1;
    const box = Module['canvas'].getBoundingClientRect();
    return [Math.floor((event.clientX - box.left) * ratio), Math.round(box.width * ratio)];
  },

  // The gamepads in the standard mapping, kPadFields numbers each into
  // `pads` (HEAPF32 indices): A, B, X, Y, d-pad up, Start, Back (1 when
  // pressed), then the left and right triggers (0 ... 1), then the pad's
  // index. Returns how many.
  readPads(pads, max) {
    let count = 0;
    for (const pad of this.gamepads()) {
      if (count === max) break;
      const b = pad.buttons;
      const values = [0, 1, 2, 3, 12, 9, 8].map((i) => (b[i] && b[i].pressed ? 1 : 0));
      values.push(b[6] ? b[6].value : 0, b[7] ? b[7].value : 0, pad.index);
      HEAPF32.set(values, pads + count * values.length);
      ++count;
    }
    return count;
  },

  // Browsers show a gamepad to the page once one of its buttons has been
  // pressed (gamepadconnected); until then they are not asked, which spares
  // them starting to watch the devices.
  padsSeen: false,

  gamepads() {
    if (!this.padsSeen || !navigator.getGamepads || !document.hasFocus()) return [];
    return [...navigator.getGamepads()].filter((p) => p && p.connected && p.mapping === 'standard');
  },

  // The player is away: the page is hidden, or lost the focus it had. Asked
  // at every reading of the clock, so kept up to date by the page's events
  // (notice) rather than looked up.
  away: false,

  notice() {
    const focused = document.hasFocus();
    if (focused) this.hadFocus = true;
    this.away = document.visibilityState === 'hidden' || (this.hadFocus && !focused);
    // The sound waits with the game, what was handed over kept.
    if (this.audio) (this.away ? this.audio.suspend() : this.audio.resume()).catch(() => {});
  },

  // Whether this browser can play sound at all.
  soundReady() {
    return typeof AudioContext !== 'undefined';
  },

  // Browsers let sound start only at a press, the player's own (trusted):
  // the first one makes the context, at the mix's own rate where the
  // browser takes it.
  startSound() {
    if (this.audio || !this.soundReady()) return;
    try {
      this.audio = new AudioContext({sampleRate: 22050, latencyHint: 'interactive'});
    } catch {
      this.audio = new AudioContext({latencyHint: 'interactive'});
    }
    this.gain = this.audio.createGain();
    this.gain.gain.value = this.muted ? 0 : 1;
    this.gain.connect(this.audio.destination);
  },

  // How far ahead of what is heard the sound handed over goes, in ms; -1
  // while nothing is heard (before the first press, or while away).
  soundAhead() {
    const audio = this.audio;
    if (!audio || audio.state !== 'running') return -1;
    return Math.max(0, this.next / audio.sampleRate - audio.currentTime) * 1000;
  },

  // Plays `samples` (16-bit, `rate` a second) right after what was handed
  // over before, or at once when that has been heard already.
  queueSound(samples, rate) {
    const audio = this.audio;
    if (!audio || audio.state !== 'running' || samples.length === 0) return;
    const buffer = audio.createBuffer(1, samples.length, rate);
    const data = buffer.getChannelData(0);
    for (let i = 0; i < samples.length; ++i) data[i] = samples[i] / 32768;
    const source = audio.createBufferSource();
    source.buffer = buffer;
    source.connect(this.gain);
    // Whole frames of the context, so that the pieces join sample for sample.
    const soon = Math.ceil((audio.currentTime + 0.005) * audio.sampleRate);
    this.next = Math.max(this.next, soon);
    source.start(this.next / audio.sampleRate);
    this.next += Math.round(buffer.duration * audio.sampleRate);
  },

  // Mutes the sound, or lets it be heard, fading over 10 ms; tells the page.
  setMuted(muted) {
    this.muted = muted;
    if (this.audio) {
      const gain = this.gain.gain, now = this.audio.currentTime;
      gain.cancelScheduledValues(now);
      gain.setValueAtTime(gain.value, now);
      gain.linearRampToValueAtTime(muted ? 0 : 1, now + 0.01);
    }
    if (Module['onMuted']) Module['onMuted'](muted);
  },

  // The key that shows M, alone, wherever it is on the keyboard.
  mutes(event) {
    return (event.key === 'm' || event.key === 'M') && !event.ctrlKey && !event.altKey &&
           !event.metaKey;
  },

  // A crash of player `player` of `players`: the gamepads that fly them (all
  // for one player) shake for `ms` (0: stop) where the browser can shake
  // them, and a phone briefly, where the page may.
  rumble(player, ms, players) {
    if (!this.rumbleOn) return;
    for (const pad of this.gamepads()) {
      const actuator = pad.vibrationActuator;
      if (!actuator || (players > 1 && pad.index !== player - 1)) continue;
      if (ms > 0)
        actuator.playEffect('dual-rumble', {duration: ms, strongMagnitude: 0.55, weakMagnitude: 0.2})
            .catch(() => {});
      else if (actuator.reset)
        actuator.reset().catch(() => {});
    }
    const active = navigator.userActivation ? navigator.userActivation.hasBeenActive : true;
    if (ms > 0 && navigator.vibrate && active) navigator.vibrate(120);
  },

  // Settles once the player is back. Besides the events that bring them
  // back, a slow look now and then, for a return that sends none.
  waitForReturn() {
    return new Promise((resolve) => {
      const check = () => {
        this.notice();
        if (this.away) return;
        clearInterval(timer);
        removeEventListener('focus', check);
        document.removeEventListener('visibilitychange', check);
        resolve();
      };
      const timer = setInterval(check, 500);
      addEventListener('focus', check);
      document.addEventListener('visibilitychange', check);
    });
  },

  // `pixels`: the whole canvas, width x height RGBA; the area x, y, w, h changed.
  // The canvas is desynchronized from the page's rendering: a new picture goes
  // to the screen without the page's style, layout and paint being brought up
  // to date each time, which spares the main thread much of a frame's cost.
  present(pixels, width, height, x, y, w, h) {
    if (this.context === null)
      this.context = Module['canvas'].getContext('2d', {desynchronized: true});
    const data = new Uint8ClampedArray(HEAPU8.buffer, pixels, width * height * 4);
    this.context.putImageData(new ImageData(data, width, height), 0, 0, x, y, w, h);
  },

  // Gives the browser a turn after `ms` whole milliseconds (0: at once). Where
  // the browser has a task scheduler, one task that waits; otherwise a timer
  // and then a message, as browsers stretch timers set from within timers
  // that were set from within timers, but not those set from a message.
  sleep(ms) {
    const tasks = globalThis.scheduler;
    if (tasks && tasks.postTask) return tasks.postTask(() => {}, {delay: ms});
    return new Promise((resolve) => {
      const turn = () => {
        this.resume = resolve;
        this.channel.port2.postMessage(null);
      };
      if (ms > 0) setTimeout(turn, ms);
      else turn();
    });
  },

  // Whether a pointer event is meant for one of the page's controls or links
  // (or the dialog) rather than for the game.
  onControl(event) {
    return event.target instanceof Element && event.target.closest('a, button, dialog') !== null;
  },

  // Settles with true at the next press that begins after the call: a key
  // for which `key(event)` says yes (never a key repeating because it was
  // held), a pointer pressed outside the page's controls and links, or a
  // gamepad's button. What is held already does not count until pressed
  // again. Settles with false once `signal` (an AbortSignal, optional)
  // aborts; either way it stops listening and polling the gamepads.
  nextPress(key, signal) {
    const since = performance.now();
    return new Promise((resolve) => {
      if (signal && signal.aborted) return resolve(false);
      let held = this.padButtons();
      const done = (pressed) => {
        clearInterval(timer);
        removeEventListener('keydown', keyDown, true);
        removeEventListener('pointerdown', pointerDown, true);
        if (signal) signal.removeEventListener('abort', cancel);
        resolve(pressed);
      };
      const cancel = () => done(false);
      const keyDown = (event) => {
        if (event.timeStamp >= since && !event.repeat && key(event)) done(true);
      };
      // In the dialog every pointer answers; elsewhere not those on controls and links.
      const pointerDown = (event) => {
        const inDialog = event.target instanceof Element && event.target.closest('dialog');
        if (event.timeStamp >= since && (inDialog || !this.onControl(event))) done(true);
      };
      const timer = setInterval(() => {
        const now = this.padButtons();
        if ([...now].some((button) => !held.has(button))) done(true);
        held = now;
      }, 20);
      addEventListener('keydown', keyDown, true);
      addEventListener('pointerdown', pointerDown, true);
      if (signal) signal.addEventListener('abort', cancel);
    });
  },

  // Every button pressed on every gamepad, as 'pad:button'.
  padButtons() {
    const pressed = new Set();
    for (const pad of this.gamepads())
      pad.buttons.forEach((b, i) => b.pressed && pressed.add(pad.index + ':' + i));
    return pressed;
  },

  // A modal dialog with the box's title and text and one OK button; settles
  // when it is answered by a new press: Return, Space or Escape, a pointer or
  // a gamepad's button. A key or button held when it appears (the one that
  // ended the game, say) does not answer it, nor do its repeats.
  async messageBox(title, text) {
    const box = Module['dialog'];
    box.querySelector('h1, h2, h3').textContent = title;
    box.querySelector('p').textContent = text;
    // The dialog's own answers by key (the button's, Escape's cancel) would
    // take repeats of held keys too: they are left to nextPress.
    const quiet = (event) => event.preventDefault();
    box.addEventListener('keydown', quiet);
    box.addEventListener('keyup', quiet);
    box.addEventListener('cancel', quiet);
    box.showModal();
    box.querySelector('button').focus();
    await this.nextPress((event) => ['Enter', 'NumpadEnter', 'Space', 'Escape'].includes(event.code));
    box.removeEventListener('keydown', quiet);
    box.removeEventListener('keyup', quiet);
    box.removeEventListener('cancel', quiet);
    box.close();
  },

  // A zero-terminated string in the Windows ANSI code page (1252).
  ansi(pointer) {
    let end = pointer;
    while (HEAPU8[end] !== 0) ++end;
    return new TextDecoder('windows-1252').decode(HEAPU8.subarray(pointer, end));
  },
};

// What the page may ask of the instance.
Module['pulseKey'] = (code) => CaveWeb.pulseKey(code);
Module['nextPress'] = (key, signal) => CaveWeb.nextPress(key, signal);
Module['setMuted'] = (muted) => CaveWeb.setMuted(muted);
Module['setRumble'] = (on) => {
  CaveWeb.rumbleOn = on;
};

CaveWeb.channel.port1.onmessage = () => {
  const resume = CaveWeb.resume;
  CaveWeb.resume = null;
  if (resume) resume();
};

// The keys the page would otherwise scroll with.
const kScrollKeys = new Set(['ArrowUp', 'ArrowDown', 'ArrowLeft', 'ArrowRight', 'Space']);

addEventListener('keydown', (event) => {
  if (event.isTrusted) CaveWeb.startSound();
  if (kScrollKeys.has(event.code)) event.preventDefault();
  if (CaveWeb.mutes(event)) {
    if (!event.repeat) CaveWeb.setMuted(!CaveWeb.muted);
    return;
  }
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

// A pointer is held from its press anywhere but on a control until no button
// of it is down any more (a mouse's other buttons keep it held), or it is
// cancelled; its place is where it went down.
addEventListener('pointerdown', (event) => {
  if (event.isTrusted) CaveWeb.startSound();
  if (!CaveWeb.onControl(event)) CaveWeb.pointers.set(event.pointerId, CaveWeb.place(event));
});
for (const type of ['pointermove', 'pointerup']) {
  addEventListener(type, (event) => {
    if (event.buttons === 0) CaveWeb.pointers.delete(event.pointerId);
  });
}
addEventListener('pointercancel', (event) => CaveWeb.pointers.delete(event.pointerId));

addEventListener('gamepadconnected', () => {
  CaveWeb.padsSeen = true;
});

// What is held when the player leaves counts as let go.
addEventListener('focus', () => CaveWeb.notice());
addEventListener('blur', () => {
  CaveWeb.letGo();
  CaveWeb.notice();
});
document.addEventListener('visibilitychange', () => {
  if (document.visibilityState === 'hidden') CaveWeb.letGo();
  CaveWeb.notice();
});
