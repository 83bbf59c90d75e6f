// The page: a run link's verdict first, then one game after another, or a
// kept run chosen to watch, or a race with the ghosts of kept runs or of the
// link's run; the status line (#status) after each, which this module alone
// writes. The other modules own the rest of the page: controls.js the
// canvas's scale, the controls and the sound's settings, line_up.js the
// line-up's choice, links.js the verdict, kept.js the best runs, watching.js
// a watched run's progress, assists.js the assists' choice, the game its
// message box; words.js words what they all show.
import {assists, lockAssists, onAssists, refusedAssists} from './assists.js';
import {canvas, feel, setHint, setPlaying, showHint} from './controls.js';
import {play, players, runOf, startGame} from './game.js';
import {keep, hideList, listBest} from './kept.js';
import {lineUp, lockLineUp, onLineUp, refusedLineUp} from './line_up.js';
import {checkRuns, hideVerdict, linkRace, linked, openLink, takeLinkRace} from './links.js';
import {watch} from './watching.js';
import * as words from './words.js';

// A run link's checker starts loading before anything else; the game waits
// for its verdict, which it comes after anyway, so that the checker has the
// processor to itself meanwhile.
const opened = openLink();

// The site for offline play, and a new build at the next visit (sw.js);
// once the page has loaded (and a run link has its verdict), so that the
// game's start does not wait on it.
addEventListener('load', async () => {
  await opened;
  if ('serviceWorker' in navigator) navigator.serviceWorker.register('sw.js').catch(() => {});
});

// ?tick=N starts the game with the tick count N, as cave-replay --tick N
// does; otherwise the clock decides.
function startTick() {
  const text = new URLSearchParams(location.search).get('tick');
  if (text !== null && /^[0-9]{1,10}$/.test(text) && Number(text) <= 4294967295)
    return Number(text);
  return Date.now() % 4294967296;
}

const status = document.getElementById('status');

function link(href, text) {
  const a = document.createElement('a');
  a.href = href;
  a.textContent = text;
  return a;
}

// A game's end, with a link to its cave (and line-up, of several players)
// and its recording for download (which cave --watch and cave-replay --check
// take).
let recordingAddress = null;
function say(text, tick, recording, count = 1) {
  status.textContent = text;
  const query = count > 1 ? '&players=' + count : '';
  if (tick !== undefined) status.append(' (', link('?tick=' + tick + query, words.thisCave));
  if (recording) {
    if (recordingAddress) URL.revokeObjectURL(recordingAddress);
    recordingAddress = URL.createObjectURL(new Blob([recording], {type: 'text/plain'}));
    const save = link(recordingAddress, words.itsRecording);
    save.id = 'recording';
    save.download = 'cave-' + tick + '.rec';
    status.append(', ', save);
  }
  if (tick !== undefined) status.append(')');
  status.hidden = false;
}

// A press on the page's buttons, in its link field or on the assists' panel
// is theirs.
const onControl = (event) => event.target instanceof Element &&
                             event.target.closest('button, input, #assists') !== null;

// What comes next, chosen: null, a game; {watch, ghosts}, a recording's
// bytes to watch, a race's with its ghosts' words; or {race}, the ghosts to
// race, each {text, ghost}, a recording and its words as a ghost when the
// run checker has found them.

// The next press, not one still held or on its way through the page, such
// as the key that answered the last message box: null; or the choice of a
// kept run's Watch or Race, or of the link's Race. Whichever comes first
// stands; the others are called off. A run link's verdict goes with it.
async function chosen(game) {
  showHint(true);
  const choosing = new AbortController();
  const choice = await Promise.race([
    game.nextPress((event) => !onControl(event), choosing.signal).then(() => null),
    listBest(game, choosing.signal), linkRace(choosing.signal)]);
  choosing.abort();
  showHint(false);
  hideVerdict();
  return choice;
}

// The ghosts of the race `race` (a choice's), each {text, ghost}, the run
// checker asked for the words of those that lack them; or {why} not, when
// one cannot be a ghost.
async function ghostsOf(race) {
  const unknown = race.filter((g) => !g.ghost);
  if (unknown.length > 0) say(words.checking);
  const answers = await checkRuns(unknown.map((g) => g.text));
  const refused = answers.find((answer) => !answer.ghost);
  if (refused) return {why: refused.unfit ? words.noGhost(refused.unfit) : words.verdict(refused)};
  return {ghosts: race.map((g) => ({text: g.text, ghost: g.ghost ?? answers.shift().ghost}))};
}

// A kept race's ghosts' words, so that watching it shows them ('' for a
// plain game, or when the run checker finds none).
async function ghostWords(game, bytes) {
  const text = new TextDecoder().decode(bytes);
  if (runOf(game, text).ghosts.length === 0) return '';
  return (await checkRuns([text]))[0].ghosts ?? '';
}

// First the run of the page's link, if it has one, or its verdict to read
// when it holds none; then a game, a race, or a kept run chosen to watch,
// after every end. A Race pressed while the link's run is watched ends it.
async function run() {
  const link = await opened;
  let choice = link && {watch: link.bytes, ghosts: link.answer.ghosts ?? ''};
  let game = null;
  try {
    game = await startGame({canvas, dialog: document.getElementById('box'), ...feel(),
                            onAbort: (what) => say(words.couldNotRun(what))});
  } catch {
    return;  // onAbort has said why, where the game got as far as starting
  }
  const sayHow = () => setHint([...words.hint(lineUp(), players(game), refusedLineUp()),
                                ...words.assistsHint(assists(), refusedAssists())]);
  sayHow();
  onLineUp(sayHow);
  onAssists(sayHow);
  if (linked && !choice) {
    say(words.toPlay);
    choice = await chosen(game);
  }
  for (;;) {
    status.hidden = true;
    hideList();
    // A Race pressed before the link's run shows races at once.
    let next = choice?.watch && takeLinkRace();
    if (choice?.watch && !next) {
      showHint(false);
      const watching = new AbortController();
      linkRace(watching.signal).then((race) => {
        next = race;
        game.pulseKey('Escape');
      });
      await watch(game, choice.watch, choice.ghosts ?? await ghostWords(game, choice.watch));
      watching.abort();
      say(words.runEnded);
    } else if (!next) {
      hideVerdict();
      const race = choice?.race && await ghostsOf(choice.race);
      if (race?.why) {
        say(race.why);
      } else {
        status.hidden = true;
        const tick = race ? runOf(game, race.ghosts[0].text).tick : startTick();
        const count = race ? 1 : lineUp();
        setPlaying(true);
        lockLineUp(true);
        lockAssists(true);
        const recording = await play(game, tick, count, assists(), race?.ghosts);
        lockAssists(false);
        lockLineUp(false);
        setPlaying(false);
        say(words.gameEnded, tick, recording, count);
        await keep(game, recording).catch(() => {});
      }
    }
    choice = next ?? await chosen(game);
  }
}

run();
