# Helpers for the end-to-end tests: the game started on a private X server
# (tests/support/x11.sh), its windows found, and the ball's height read off a
# screenshot. Sourced by the test scripts, each of which is one bash process.

set -u

source "${BASH_SOURCE[0]%/*}/../support/x11.sh" || exit 1

readonly kSkip=77  # CTest's SKIP_RETURN_CODE for these tests

cave_pid=""
work_dir=""

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
  if ((${#missing[@]})); then
    echo "SKIP: not installed: ${missing[*]} (Debian packages xvfb xdotool x11-utils imagemagick)"
    exit "$kSkip"
  fi
}

# Stops what the test started, by process id, and removes its files (kept
# when KEEP_E2E_FILES is set).
cleanup() {
  if [[ -n "$cave_pid" ]]; then
    # A message box runs in a child process of the game.
    pkill -P "$cave_pid" 2>/dev/null
    kill "$cave_pid" 2>/dev/null
    wait "$cave_pid" 2>/dev/null
  fi
  stop_window_manager
  stop_x_server
  if [[ -n "$work_dir" ]]; then
    if [[ -n "${KEEP_E2E_FILES:-}" ]]; then
      echo "files kept in $work_dir"
    else
      rm -rf "$work_dir"
    fi
  fi
}

# Sets up the test: a scratch folder, a private X server with a screen of $1
# (WIDTHxHEIGHT; 1024x768 unless given), cleanup at exit.
begin_test() {
  need_programs Xvfb xdotool xwininfo import convert
  work_dir=$(mktemp -d "${TMPDIR:-/tmp}/cave-e2e.XXXXXX")
  trap cleanup EXIT
  start_x_server "$work_dir" "${1:-}" || fail "the X server did not start or does not answer"
}

# Starts the game ($1, with the options that follow) on the test's X server;
# its standard error goes to $work_dir/cave.err.
start_cave() {
  "$@" 2>"$work_dir/cave.err" &
  cave_pid=$!
}

cave_running() { kill -0 "$cave_pid" 2>/dev/null; }

# Waits up to $1 seconds for the game to end; sets exit_code, or fails.
wait_cave_exit() {
  wait_until "$1" eval '! cave_running' || fail "cave still runs after $1 s"
  wait "$cave_pid"
  exit_code=$?
  cave_pid=""
}

# The first visible window of the game, printed; false while it has none.
cave_window() {
  local window
  window=$(xdotool search --onlyvisible --pid "$cave_pid" 2>/dev/null | head -n1)
  [[ -n "$window" ]] && echo "$window"
}

# The visible window titled exactly $1, printed; false while there is none.
# (xwininfo, since xdotool does not read titles of type UTF8_STRING, which
# message boxes have.)
window_named() {
  local id
  id=$(xwininfo -name "$1" 2>/dev/null |
    awk '/Window id:/ {id = $4} /Map State: IsViewable/ {viewable = 1}
         END {if (id != "" && viewable) print id}')
  [[ -n "$id" ]] && printf '%d\n' "$id"
}

# Waits up to $1 seconds for `finder args...` to print a window; sets window.
wait_window() {
  local seconds=$1
  shift
  wait_until "$seconds" found_window "$@"
}
found_window() { window=$("$@"); }

# "x y width height" of window $1.
window_geometry() {
  xwininfo -id "$1" | awk '
    /Absolute upper-left X/ {x = $NF}
    /Absolute upper-left Y/ {y = $NF}
    /Width:/ {w = $NF}
    /Height:/ {h = $NF}
    END {print x, y, w, h}'
}

# The mean row of the ball's red pixels in the window screenshot $1, looking
# at columns 160-180 and rows 1-238 (inside the red frame of the picture);
# prints nothing when no ball is seen there.
ball_row() {
  convert "$1" -crop 21x238+160+1 +repage -depth 8 txt:- |
    awk -F'[,:() ]+' 'NR > 1 && $3 > 100 && $4 < 60 && $5 < 60 {n++; s += $2}
                      END {if (n >= 20) printf "%.1f\n", s / n + 1}'
}

# "x,y WIDTHxHEIGHT" of window $1.
placed() {
  local x y width height
  read -r x y width height < <(window_geometry "$1")
  echo "$x,$y ${width}x$height"
}

# Waits up to $2 seconds for window $1 to be placed at $3 ("x,y WIDTHxHEIGHT");
# fails otherwise.
wait_placed() {
  wait_until "$2" placed_at "$1" "$3" || fail "window at $(placed "$1"), expected $3"
}
placed_at() { [[ "$(placed "$1")" == "$2" ]]; }

# Holds key $1 down for a few frames: the game reads the keyboard once a
# frame, and P and Escape act when they are let go.
press() { xdotool keydown "$1" sleep 0.15 keyup "$1"; }
