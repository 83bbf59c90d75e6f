# Helpers for the tests of the Windows programs under Wine on a virtual X
# server: each script of scenarios/ is one scenario, named after its file
# (game_over.sh is game-over). CTest passes in, through the environment:
#   CAVE_WINE_BIN     folder with cave.exe and the probe programs (mingw or
#                     mingw32 build)
#   CAVE_WINE_BITS    64 or 32: the programs' architecture (64 unless given);
#                     32-bit programs run on 32-bit Wine
#   CAVE_WINE_WORK    folder for the prefix and the runs' files
#   CAVE_PACKAGES     folder with the packages of scripts/package
#   CAVE_REPLAY       the hosted cave-replay
#   CAVE_ICON         the hosted cave-icon (the icon the window must show)
#   CAVE_XTOOL        wine-xtool (screenshots, close requests, picture checks)
#   CAVE_ELLIPSE_HOSTED  the hosted ellipse probe
#   CAVE_WIN32_TABLES    what the win32-tables probe must print
# Exit code 0 passed, 1 failed, 77 skipped (with the reason printed).

source "${BASH_SOURCE[0]%/*}/../support/lib.sh" || exit 1

scenario=$(basename "$0" .sh)
scenario=${scenario//_/-}
bin=${CAVE_WINE_BIN:-}
bits=${CAVE_WINE_BITS:-64}
work=${CAVE_WINE_WORK:-}
xtool=${CAVE_XTOOL:-}
packages=${CAVE_PACKAGES:-}
replay=${CAVE_REPLAY:-}
icon=${CAVE_ICON:-}
ellipse_hosted=${CAVE_ELLIPSE_HOSTED:-}
win32_tables=${CAVE_WIN32_TABLES:-}
install_hint="scripts/test installs them"

note() { echo "$scenario: $*"; }
pass() { echo "PASS: $scenario"; }

# Readies a scenario that runs programs: the Wine loader, the shared prefix
# taken in turn, and the scenario's own folder $work_dir, made afresh, which
# is the programs' working folder too.
begin_wine() {
  need_programs wine wineserver Xvfb xdotool openbox xprop xwininfo flock
  [[ -n "$bin" && -n "$work" && -x "$xtool" ]] || skip "run through ctest, which sets the paths"
  [[ -f "$bin/cave.exe" ]] || skip "no $bin/cave.exe: build the mingw preset first"

  # Each program is run by Wine's loader of its own architecture, so that the
  # pid started here is the program's: Debian's `wine` prefers the 32-bit
  # loader where wine32 is installed too, and that one starts the 64-bit
  # loader as a process of its own. Debian keeps both loaders in
  # /usr/lib/wine; the 32-bit one comes with wine32.
  if [[ "$bits" == 32 ]]; then
    wine_loader=/usr/lib/wine/wine
    [[ -x "$wine_loader" ]] ||
      skip "no 32-bit Wine ($wine_loader: Debian's wine32:i386, which scripts/test installs)"
    # wine32 installs on kernels that cannot run 32-bit programs at all.
    "$wine_loader" --version >/dev/null 2>&1 ||
      skip "this system cannot run 32-bit programs ($wine_loader does not start)"
  elif [[ -x /usr/lib/wine/wine64 ]]; then
    export WINELOADER=/usr/lib/wine/wine64
    wine_loader=$WINELOADER
  else
    wine_loader=wine
  fi

  # One scenario at a time on the shared prefix, also across ctest runs that
  # share the build folder (CTest's resource lock holds within one run only).
  # The programs started here do not inherit the lock.
  mkdir -p "$work"
  exec 9>"$work/lock"
  flock -w 150 9 || fail "the Wine prefix stayed busy for 150 s"

  export WINEPREFIX="$work/prefix"
  export WINEARCH=win64
  export WINEDEBUG=-all
  # No downloads of the .NET and HTML engines into the prefix.
  export WINEDLLOVERRIDES="mscoree=d;mshtml=d"
  work_dir="$work/runs/$scenario"
  rm -rf "$work_dir"
  mkdir -p "$work_dir"
  cd "$work_dir" || fail "cannot enter $work_dir"
  trap cleanup EXIT
}

cleanup() {
  stop_cave
  if [[ -d "$WINEPREFIX" ]]; then wineserver -k 2>/dev/null; fi
  stop_window_manager
  stop_x_server
  wait 2>/dev/null
}

# The private X server with a window manager: Wine hands focus and activation
# to it, as on a desktop.
start_x() {
  start_x_server "$work_dir" || fail "Xvfb did not start or does not answer"
  start_window_manager "$work_dir" || fail "openbox did not start: $(cat "$work_dir/openbox.log")"
}

need_prefix() {
  [[ -f "$WINEPREFIX/user.reg" ]] || skip "no Wine prefix (the wine.prefix test makes it)"
}

# The usual start of a scenario: Wine readied, the prefix that wine.prefix
# made, the X server.
begin_scenario() {
  begin_wine
  need_prefix
  start_x
}

# Starts program $1 of $bin under Wine, with the arguments that follow; its
# standard output goes to ./stdout.
start_program() {
  started=$(now_ms)
  start_cave "$wine_loader" "$bin/$1" "${@:2}" >stdout
}

# True when the program has a visible window for which `test args... window`
# holds; sets window. Fails once the program has ended.
program_window() {
  local w
  for w in $(cave_windows); do
    "$@" "$w" && window=$w && return 0
  done
  cave_running && return 1
  cave_ended
  fail "the program ended before the window appeared (exit $exit_code)"
}
measures() { xdotool getwindowgeometry "$2" 2>/dev/null | grep -q "Geometry: $1"; }
titled() { [[ "$(xdotool getwindowname "$2" 2>/dev/null)" == "$1" ]]; }

# Waits up to $1 seconds for the 320 x 240 game window; sets game_window.
wait_game_window() {
  wait_until "$1" program_window measures 320x240 || fail "no 320 x 240 window within $1 s"
  game_window=$window
}

# Starts cave.exe and waits for its window to show the game; sets
# game_window.
start_game() {
  start_program cave.exe
  wait_game_window 20
  wait_picture 20
}

activate_game_window() { timeout 5 xdotool windowactivate --sync "$game_window" 2>/dev/null; }

# Screenshot of the game window's area to $1.
shot() {
  local x y
  read -r x y < <(xdotool getwindowgeometry "$game_window" | awk '/Position/{sub(",", " ", $2); print $2}')
  "$xtool" shot "$1" "$x" "$y" 320 240 || fail "no screenshot"
}

# Waits up to $1 seconds for the window to show a picture (the first frame
# presented is the blank back buffer); sets first_picture_ms since the start.
wait_picture() {
  wait_until "$1" shows_picture || fail "no picture within $1 s"
  first_picture_ms=$(($(now_ms) - started))
}
shows_picture() {
  shot first.ppm
  [[ "$("$xtool" lit first.ppm)" -gt 10000 ]] && return 0
  cave_running || fail "the program ended before it showed a picture"
  return 1
}

# Screenshots of the game window: for each pair of arguments, a pause of $1
# seconds, then the shot to $2.
shots() { while (($# >= 2)); do sleep "$1" && shot "$2" && shift 2; done; }

red_row() { "$xtool" red-row "$1" 160 180; }

# cave.exe of $bin ends on Escape, within a second of its release and without
# a message box, with exit code 0.
check_escape() {
  start_game
  activate_game_window
  press Escape 0.2
  released=$(now_ms)
  second_window=""
  wait_until 1 ended_alone
  wait_until 0.2 cave_ended || fail "still running 1 s after Escape was released"
  note "ended $(($(now_ms) - released)) ms after Escape was released, exit code $exit_code"
  [[ "$exit_code" == 0 ]] || fail "exit code $exit_code, not 0"
  [[ -z "$second_window" ]] || fail "a second window (a message box) appeared"
}
# Watches for a second window (a message box) until the program ends.
ended_alone() {
  (($(cave_windows | wc -l) > 1)) && second_window=1
  ! cave_running
}

# cave.exe shows a message box titled $1 within 10 s; Return answers it, and
# the program ends with exit code 0 within 5 s. The keyboard is acquired
# exclusively by the game; Windows lets it go when the box takes the
# foreground from the game window, but Wine 8 only when the foreground leaves
# the program's windows. So the focus goes to the desktop first, then back to
# the box.
check_box() {
  start_program cave.exe
  wait_until 10 program_window titled "$1" || fail "no \"$1\" box within 10 s"
  note "\"$1\" after $(($(now_ms) - started)) ms"
  timeout 5 xdotool windowfocus --sync "$(xwininfo -root | awk '/Window id/{print $4}')" 2>/dev/null
  sleep 0.1
  timeout 5 xdotool windowactivate --sync "$window" 2>/dev/null
  sleep 0.1
  xdotool key Return
  wait_until 5 cave_ended || fail "the program did not end within 5 s"
  [[ "$exit_code" == 0 ]] || fail "exit code $exit_code, not 0"
}
