# Helpers for the end-to-end tests: the game started on a private X server
# (tests/support/lib.sh), its windows found, and the ball's height read off a
# screenshot. Sourced by the test scripts, each of which is one bash process.

source "${BASH_SOURCE[0]%/*}/../support/lib.sh" || exit 1

install_hint="Debian packages xvfb xdotool x11-utils imagemagick"

# Stops what the test started, by process id, and removes its files (kept
# when KEEP_E2E_FILES is set).
cleanup() {
  stop_cave
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

# A scratch folder for the test, removed at exit, which holds the runs that
# the program keeps of the games it plays and its settings (kept in the
# player's data and configuration folders otherwise).
begin_work_dir() {
  work_dir=$(mktemp -d "${TMPDIR:-/tmp}/cave-e2e.XXXXXX")
  trap cleanup EXIT
  export XDG_DATA_HOME="$work_dir/data"
  export XDG_CONFIG_HOME="$work_dir/config"
}

# Sets up the test: a scratch folder, a private X server with a screen of $1
# (WIDTHxHEIGHT; 1024x768 unless given), cleanup at exit.
begin_test() {
  need_programs Xvfb xdotool xwininfo import convert
  begin_work_dir
  start_x_server "$work_dir" "${1:-}" || fail "the X server did not start or does not answer"
}

# The first visible window of the game, printed; false while it has none.
cave_window() {
  local window
  window=$(cave_windows | head -n1)
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
