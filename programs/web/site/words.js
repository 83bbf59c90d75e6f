// The page's words: every text it shows about games, runs and run links is
// made here, from the data the other modules pass. Nothing else words a
// verdict or a result.

const touch = matchMedia('(pointer: coarse)').matches;
const press = touch ? 'Tap' : 'Press a key or click';

// How to play, in the words of the device in hand.
export const hint = touch ? 'Hold anywhere to rise'
                          : 'Hold Up or Space to rise \u00b7 P pauses \u00b7 Esc ends';

// The page's status line: what comes next, and why nothing does.
export const toPlay = press + ' to play.';
export const gameEnded = 'The game has ended. ' + press + ' to play again.';
export const runEnded = 'The run has ended. ' + press + ' to play again.';
export const thisCave = 'this cave';
export const itsRecording = 'its recording';
export const couldNotRun = (what) => 'The game could not run: ' + what;

// A kept run's points in the list of the best.
export const points = (count) => (count === 1 ? '1 point' : count + ' points');

// A watched run's progress.
export const progress = (played, length) => 'snapshot ' + played + ' of ' + length;

// A run link to share, or why there is none.
export const noLink = (why) => 'No link: this browser cannot pack one (' + why + ')';

export const checking = 'Checking the run\u2026';

// The verdict on a run link, from one of:
//   {checked}      the checker's verdict, which the checker words itself
//                  ("Verified: ...", "Not verified: ...", "Not a recording: ...")
//   {fault}        the link holds no recording (a fault of linkFault's)
//   {failed}       why the checker could not run
//   {unsupported}  why this browser cannot check run links
export function verdict(result) {
  if (result.checked !== undefined) return result.checked;
  if (result.fault !== undefined) return 'Not a recording: ' + linkFault(result.fault);
  if (result.failed !== undefined) return 'Not verified: the check could not run (' + result.failed + ')';
  return 'Not verified: this browser cannot check run links (' + result.unsupported + ')';
}

// What is wrong with a link's data, said as the Linux program says it
// (runs/runs.h): {characters}, a count of characters that no
// data has; {position, code}, the first character outside base64url (1 for the
// first); {deflate}, data that does not inflate; {largest}, more bytes than that.
function linkFault(fault) {
  if (fault.characters !== undefined)
    return `bad base64url: ${fault.characters} characters, a length (4n+1) that no data has`;
  if (fault.position !== undefined) {
    const c = fault.code;
    const shown = c >= 0x20 && c < 0x7f ? String.fromCharCode(c)
                                        : '\\x' + c.toString(16).padStart(2, '0');
    return `bad base64url: character ${fault.position} is '${shown}'` +
           (shown === '=' ? ', padding, which run links leave out' : '');
  }
  if (fault.deflate) return 'bad DEFLATE data';
  return `more than ${fault.largest} bytes once inflated`;
}
