# The harness shared by the shell tests of whole programs (tests/e2e,
# tests/wine), each one bash process: their verdicts, the programs they need,
# and the program under test, started in the background, watched and stopped
# by its process id. The X server and window manager come from x11.sh.
set -u
source "${BASH_SOURCE[0]%/*}/x11.sh" || exit 1

readonly kSkip=77  # CTest's SKIP_RETURN_CODE for these tests

# The test's folder: the program's standard error (cave.err) and the X
# server's log, shown when the test fails. Set by the test.
work_dir=""
# What need_programs suggests where a program is missing. Set by the test.
install_hint=""
cave_pid=""
exit_code=""

skip() { echo "SKIP: $*"; exit "$kSkip"; }

fail() {
  echo "FAIL: $*" >&2
  [[ -n "$work_dir" && -s "$work_dir/cave.err" ]] && sed 's/^/cave: /' "$work_dir/cave.err" >&2
  [[ -n "$work_dir" && -s "$work_dir/xvfb.log" ]] && sed 's/^/Xvfb: /' "$work_dir/xvfb.log" >&2
  exit 1
}

# Skips the test unless every named program is installed.
need_programs() {
  local missing=() program
  for program in "$@"; do
    command -v "$program" >/dev/null 2>&1 || missing+=("$program")
  done
  ((${#missing[@]} == 0)) || skip "not installed: ${missing[*]} ($install_hint)"
}

# Starts the program under test (`command args...`) in the background; its
# standard error goes to $work_dir/cave.err. It is handed no descriptor 9 (the
# Wine tests' lock on their prefix).
start_cave() {
  "$@" 2>"$work_dir/cave.err" 9>&- &
  cave_pid=$!
}

cave_running() { [[ -n "$cave_pid" ]] && kill -0 "$cave_pid" 2>/dev/null; }

# True once the program has ended: sets exit_code and forgets the process id,
# which the system may give to another process from then on.
cave_ended() {
  [[ -n "$cave_pid" ]] || return 0
  kill -0 "$cave_pid" 2>/dev/null && return 1
  wait "$cave_pid"
  exit_code=$?
  cave_pid=""
}

# Waits up to $1 seconds for the program to end; sets exit_code, or fails.
wait_cave_exit() { wait_until "$1" cave_ended || fail "cave still runs after $1 s"; }

# The visible top-level windows of the program, one a line.
cave_windows() { xdotool search --onlyvisible --pid "$cave_pid" 2>/dev/null; }

# Stops the program, and its children: a message box of the hosted game runs
# in one.
stop_cave() {
  [[ -n "$cave_pid" ]] || return 0
  pkill -P "$cave_pid" 2>/dev/null
  kill "$cave_pid" 2>/dev/null
  wait "$cave_pid" 2>/dev/null
  cave_pid=""
}

# Holds key $1 down for $2 seconds (0.15 unless given): the game reads the
# keyboard once a frame, and P and Escape act when they are let go.
press() { xdotool keydown "$1" sleep "${2:-0.15}" keyup "$1"; }
