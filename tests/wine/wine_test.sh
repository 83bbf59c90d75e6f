#!/usr/bin/env bash
# The Windows programs under Wine on a virtual X server: one scenario per run.
#
#   wine_test.sh SCENARIO
#
# Scenarios: binary (the executable's headers), prefix (makes the Wine prefix
# the others use), startup, escape, game-over, pause, thrust, close-request,
# no-ddraw, pacing, same-cave, ellipse, and zip (the Windows package of
# scripts/package, unpacked: its program ends on Escape as in escape). CTest
# passes in, through the environment:
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
# Exit code 0 passed, 1 failed, 77 skipped (with the reason printed).
set -u

source "${BASH_SOURCE[0]%/*}/../support/x11.sh" || exit 1

scenario=${1:-}
bin=${CAVE_WINE_BIN:-}
bits=${CAVE_WINE_BITS:-64}
work=${CAVE_WINE_WORK:-}
xtool=${CAVE_XTOOL:-}

# Most pixels in which the real GDI's ball rings may differ from ours: the
# figures measured with Wine 8, kept so that a change of either side shows.
# Per radius 0 ... 10 (one filled circle each), then the whole ball.
ellipse_max=(0 0 0 0 0 0 0 0 0 0 0)
ellipse_ball_max=0
# The same for the game's ball sprite made at start-up.
ball_max=0

skip() {
  echo "SKIPPED: $*"
  exit 77
}
fail() {
  echo "FAILED: $*"
  exit 1
}
note() { echo "$scenario: $*"; }

# The Windows program itself: a GUI program of its architecture (PE32+ for
# x86-64, PE32 for i686, its manifest naming the same), linked statically
# (only system DLLs imported, DirectDraw and DirectInput loaded at run time),
# with a manifest, a version resource and its icon.
if [ "$scenario" = binary ]; then
  objdump=$(command -v x86_64-w64-mingw32-objdump) || skip "no x86_64-w64-mingw32-objdump"
  [ -n "$bin" ] && [ -f "$bin/cave.exe" ] || skip "no cave.exe: build the mingw preset first"
  headers=$("$objdump" -p "$bin/cave.exe") || fail "objdump cannot read cave.exe"
  echo "$headers" | grep -Eq "^Subsystem[[:space:]]+00000002" || fail "not a GUI program"
  if [ "$bits" = 32 ]; then magic="010b" architecture=x86; else magic="020b" architecture=amd64; fi
  echo "$headers" | grep -Eq "^Magic[[:space:]]+$magic" || fail "not a $bits-bit program"
  grep -aq "processorArchitecture=\"$architecture\"" "$bin/cave.exe" ||
    fail "the manifest does not name $architecture"
  imports=$(echo "$headers" | awk '/DLL Name:/{print toupper($3)}' | sort | tr '\n' ' ')
  echo "binary: imports $imports"
  for dll in $imports; do
    case "$dll" in
      KERNEL32.DLL | USER32.DLL | GDI32.DLL | MSVCRT.DLL) ;;
      *) fail "imports $dll" ;;
    esac
  done
  # Resource types at the top of the resource tree: 0x10 version, 0x18
  # manifest, 0x3 and 0xe icons.
  types=$(echo "$headers" | awk '/^0[0-9a-f]+   Entry: ID:/{sub(",", "", $4); print $4}' | tr '\n' ' ')
  echo "binary: resource types $types"
  for type in 0x000003 0x00000e 0x000010 0x000018; do
    echo " $types" | grep -q " $type" || fail "resource type $type is missing"
  done
  echo "PASSED: binary"
  exit 0
fi

for tool in wine wineserver Xvfb xdotool openbox xprop xwininfo flock; do
  command -v "$tool" >/dev/null 2>&1 || skip "$tool is not installed (scripts/test installs it)"
done
[ -n "$bin" ] && [ -n "$work" ] && [ -x "$xtool" ] || skip "run through ctest, which sets the paths"
[ -f "$bin/cave.exe" ] || skip "no $bin/cave.exe: build the mingw preset first"

# Each program is run by Wine's loader of its own architecture, so that the
# pid started here is the program's: Debian's `wine` prefers the 32-bit
# loader where wine32 is installed too, and that one starts the 64-bit loader
# as a process of its own. Debian keeps both loaders in /usr/lib/wine; the
# 32-bit one comes with wine32.
if [ "$bits" = 32 ]; then
  wine_loader=/usr/lib/wine/wine
  [ -x "$wine_loader" ] ||
    skip "no 32-bit Wine ($wine_loader: Debian's wine32:i386, which scripts/test installs)"
else
  wine_loader=wine
  if [ -x /usr/lib/wine/wine64 ]; then
    wine_loader=/usr/lib/wine/wine64
    export WINELOADER=$wine_loader
  fi
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
run="$work/runs/$scenario"
rm -rf "$run"
mkdir -p "$run"
cd "$run" || fail "cannot enter $run"

wm_pid=""
game_pid=""
game_exited=""
game_code=""

cleanup() {
  if [ -n "$game_pid" ] && [ -z "$game_exited" ]; then kill "$game_pid" 2>/dev/null; fi
  if [ -d "$WINEPREFIX" ]; then wineserver -k 2>/dev/null; fi
  if [ -n "$wm_pid" ]; then kill "$wm_pid" 2>/dev/null; fi
  stop_x_server
  wait 2>/dev/null
}
trap cleanup EXIT

# The private X server (tests/support/x11.sh) with a window manager: Wine
# hands focus and activation to it, as on a desktop.
start_x() {
  start_x_server "$run" || fail "Xvfb did not start or does not answer: $(cat "$run/xvfb.log")"
  # On a loaded machine the window manager can still give up on its first
  # connection; it is started again then.
  local attempt
  for attempt in 1 2 3; do
    openbox --sm-disable >"$run/openbox.log" 2>&1 9>&- &
    wm_pid=$!
    wait_until 5 window_manager_settled
    window_manager_ready && return 0
    kill "$wm_pid" 2>/dev/null
    wait "$wm_pid" 2>/dev/null
    sleep 0.2
  done
  fail "openbox did not start: $(cat "$run/openbox.log")"
}

window_manager_ready() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id"; }
# The window manager runs, or has given up.
window_manager_settled() { window_manager_ready || ! kill -0 "$wm_pid" 2>/dev/null; }

# Starts a program of the mingw build under Wine; extra arguments follow it.
start_program() {
  local exe=$1
  shift
  game_started=$(now_ms)
  "$wine_loader" "$bin/$exe" "$@" >"$run/stdout" 2>"$run/stderr" 9>&- &
  game_pid=$!
  game_exited=""
}

running() { [ -z "$game_exited" ] && kill -0 "$game_pid" 2>/dev/null; }

# Waits up to $1 seconds for the program to end; sets game_code.
wait_exit() { wait_until "$1" program_ended; }
program_ended() {
  kill -0 "$game_pid" 2>/dev/null && return 1
  wait "$game_pid"
  game_code=$?
  game_exited=1
}

# The visible top-level windows of the program.
program_windows() { xdotool search --onlyvisible --pid "$game_pid" 2>/dev/null; }

# Waits up to $1 seconds for the 320 x 240 game window; sets game_window.
wait_game_window() {
  wait_until "$1" found_game_window || fail "no 320 x 240 window within $1 s"
}
found_game_window() {
  running || fail "the program ended before its window appeared (exit $(wait "$game_pid"; echo $?))"
  local w
  for w in $(program_windows); do
    if xdotool getwindowgeometry "$w" 2>/dev/null | grep -q "Geometry: 320x240"; then
      game_window=$w
      return 0
    fi
  done
  return 1
}

# Waits up to $1 seconds for a visible window of the program titled $2; sets
# box_window.
wait_box() {
  wait_until "$1" found_box "$2" || fail "no \"$2\" box within $1 s"
}
found_box() {
  local w
  for w in $(program_windows); do
    if [ "$(xdotool getwindowname "$w" 2>/dev/null)" = "$1" ]; then
      box_window=$w
      return 0
    fi
  done
  running || fail "the program ended without a \"$1\" box"
  return 1
}

# Screenshot of the game window's area.
shot() {
  local geometry x y
  geometry=$(xdotool getwindowgeometry "$game_window" | awk '/Position/{print $2}')
  x=${geometry%,*}
  y=${geometry#*,}
  "$xtool" shot "$1" "$x" "$y" 320 240 || fail "no screenshot"
}

# Waits up to $1 seconds for the window to show a picture (the first frame
# presented is the blank back buffer); sets first_picture_ms since the start.
wait_picture() {
  wait_until "$1" shows_picture || fail "no picture within $1 s"
  first_picture_ms=$(($(now_ms) - game_started))
}
shows_picture() {
  shot "$run/first.ppm"
  [ "$("$xtool" lit "$run/first.ppm")" -gt 10000 ] && return 0
  running || fail "the program ended before it showed a picture"
  return 1
}

# Holds a key long enough for a 32 ms frame to see it down.
tap() {
  xdotool keydown "$1"
  sleep 0.2
  xdotool keyup "$1"
}

# Answers a message box with Return. The keyboard is acquired exclusively by
# the game; Windows lets it go when the box takes the foreground from the
# game window, but Wine 8 only when the foreground leaves the program's
# windows. So the focus goes to the desktop first, then back to the box.
answer_return() {
  local root
  root=$(xwininfo -root | awk '/Window id/{print $4}')
  timeout 5 xdotool windowfocus --sync "$root" 2>/dev/null
  sleep 0.1
  timeout 5 xdotool windowactivate --sync "$1" 2>/dev/null
  sleep 0.1
  xdotool key Return
}

red_row() { "$xtool" red-row "$1" 160 180; }

expect_exit_zero() {
  wait_exit "$1" || fail "the program did not end within $1 s"
  [ "$game_code" = 0 ] || fail "exit code $game_code, not 0"
}

case "$scenario" in
  prefix)
    # A fresh prefix for this run of the tests.
    rm -rf "$WINEPREFIX"
    start_x
    wineboot -i >"$run/wineboot.log" 2>&1 9>&- || fail "wineboot failed: $(tail -n 5 "$run/wineboot.log")"
    # Xvfb has no graphics hardware: the OpenGL path of Wine's Direct3D layer
    # would render every blit in software, several times slower than a
    # frame. Its GDI renderer does the same blits directly.
    wine reg add 'HKCU\Software\Wine\Direct3D' /v renderer /t REG_SZ /d gdi /f >/dev/null 2>&1 9>&- ||
      fail "cannot set the Direct3D renderer"
    wineserver -w
    [ -f "$WINEPREFIX/system.reg" ] || fail "wineboot made no prefix"
    note "prefix ready in $WINEPREFIX"
    exit 0
    ;;
esac

[ -f "$WINEPREFIX/user.reg" ] || skip "no Wine prefix (the wine.prefix test makes it)"

if [ "$scenario" = zip ]; then
  if [ "$bits" = 32 ]; then kind=x86; else kind=x64; fi
  package=$(ls "${CAVE_PACKAGES:-}"/cave-*-windows-$kind.zip 2>/dev/null | head -n1)
  [ -n "$package" ] ||
    skip "no Windows $kind package in ${CAVE_PACKAGES:-}: run scripts/package first"
  cmake -E chdir "$run" cmake -E tar xf "$package" || fail "cannot unpack $package"
  bin=$(echo "$run"/cave-*-windows-$kind)
  [ -f "$bin/cave.exe" ] && [ -f "$bin/README.txt" ] ||
    fail "$package holds no cave.exe and README.txt"
  note "unpacked ${package##*/}"
fi
start_x

case "$scenario" in
  startup)
    start_program cave.exe
    wait_game_window 20
    window_ms=$(($(now_ms) - game_started))
    wait_picture 20
    note "window after $window_ms ms, first picture after $first_picture_ms ms"
    xdotool getwindowgeometry "$game_window" | grep -q "Position: 352,264" ||
      fail "window not at 352,264: $(xdotool getwindowgeometry "$game_window")"
    # No decorations asked of the window manager, and none given.
    xprop -id "$game_window" _MOTIF_WM_HINTS | grep -Eq '= 0x[0-9a-f]*[2367abef], 0x[0-9a-f]+, 0x0,' ||
      fail "the window asks for decorations: $(xprop -id "$game_window" _MOTIF_WM_HINTS)"
    extents=$(xprop -id "$game_window" _NET_FRAME_EXTENTS)
    echo "$extents" | grep -q "= 0, 0, 0, 0" || fail "the window has a frame: $extents"
    # The game's red frame runs along the window's edges: nothing of a frame
    # or title bar is drawn inside it either.
    sleep 0.3
    shot "$run/window.ppm"
    wrong=$("$xtool" border "$run/window.ppm")
    [ "$wrong" = 0 ] || fail "$wrong pixels along the window's edges are not the game's red frame"
    windows=$(program_windows | wc -l)
    [ "$windows" = 1 ] || fail "$windows visible windows of the program, not 1"
    [ "$(xdotool getwindowname "$game_window")" = "" ] || fail "the window has a title"
    # The window shows the program's icon: the game's ball, as cave-icon draws
    # it, at the sizes of the title bar and the task bar.
    if [ -x "${CAVE_ICON:-}" ]; then
      for size in 32 16; do
        "$CAVE_ICON" "$size:$run/ball-$size.pam" || fail "cave-icon failed"
        "$xtool" icon "$game_window" "$size" "$run/icon-$size.pam" ||
          fail "no $size-pixel window icon"
        cmp -s "$run/ball-$size.pam" "$run/icon-$size.pam" ||
          fail "the window's $size-pixel icon is not the game's ball"
      done
      note "the window's icons at 32 and 16 pixels are the game's ball"
    fi
    ;;

  escape | zip)
    start_program cave.exe
    wait_game_window 20
    wait_picture 20
    timeout 5 xdotool windowactivate --sync "$game_window" 2>/dev/null
    tap Escape
    released=$(now_ms)
    seen=""
    # Watched for a second window (a message box) until the program ends.
    ended_alone() {
      [ "$(program_windows | wc -l)" -gt 1 ] && seen=1
      ! kill -0 "$game_pid" 2>/dev/null
    }
    wait_until 1 ended_alone
    wait_exit 0.2 || fail "still running 1 s after Escape was released"
    note "ended $(($(now_ms) - released)) ms after Escape was released, exit code $game_code"
    [ "$game_code" = 0 ] || fail "exit code $game_code, not 0"
    [ -z "$seen" ] || fail "a second window (a message box) appeared"
    ;;

  game-over)
    start_program cave.exe
    wait_box 10 "Game Over!"
    note "\"Game Over!\" after $(($(now_ms) - game_started)) ms"
    answer_return "$box_window"
    expect_exit_zero 5
    ;;

  pause)
    start_program cave.exe
    wait_game_window 20
    wait_picture 20
    timeout 5 xdotool windowactivate --sync "$game_window" 2>/dev/null
    tap p
    sleep 0.3
    shot "$run/paused1.ppm"
    sleep 0.5
    shot "$run/paused2.ppm"
    differ=$("$xtool" diff "$run/paused1.ppm" "$run/paused2.ppm")
    [ "$differ" = 0 ] || fail "paused screenshots 500 ms apart differ in $differ pixels"
    [ "$(red_row "$run/paused1.ppm")" = none ] || fail "the ship is shown while paused"
    tap p
    sleep 0.1
    shot "$run/running1.ppm"
    sleep 0.1
    shot "$run/running2.ppm"
    differ=$("$xtool" diff "$run/running1.ppm" "$run/running2.ppm")
    [ "$differ" != 0 ] || fail "the game did not resume: screenshots 100 ms apart are identical"
    note "paused: identical; resumed: $differ pixels differ"
    ;;

  thrust)
    start_program cave.exe
    wait_game_window 20
    timeout 5 xdotool windowactivate --sync "$game_window" 2>/dev/null
    # Up from the first frame on, so that the ball rises before it has fallen
    # far; 300 ms after the first picture it has been held for longer.
    xdotool keydown Up
    wait_picture 20
    # Let go and pressed again once the game runs: a press that came before
    # the game acquired the keyboard is not in the device's state under Wine.
    xdotool keyup Up
    xdotool keydown Up
    sleep 0.3
    shot "$run/up1.ppm"
    sleep 0.1
    shot "$run/up2.ppm"
    xdotool keyup Up
    sleep 0.6
    shot "$run/down1.ppm"
    sleep 0.1
    shot "$run/down2.ppm"
    read -r up1 _ <<<"$(red_row "$run/up1.ppm")"
    read -r up2 _ <<<"$(red_row "$run/up2.ppm")"
    read -r down1 _ <<<"$(red_row "$run/down1.ppm")"
    read -r down2 _ <<<"$(red_row "$run/down2.ppm")"
    note "ball rows with Up: $up1 then $up2; without: $down1 then $down2"
    for row in "$up1" "$up2" "$down1" "$down2"; do
      [ "$row" != none ] || fail "no ball on a screenshot"
    done
    awk "BEGIN{exit !($up2 < $up1)}" || fail "with Up held the ball did not rise"
    awk "BEGIN{exit !($down2 > $down1)}" || fail "without Up the ball did not fall"
    ;;

  close-request)
    start_program cave.exe
    wait_game_window 20
    wait_picture 20
    "$xtool" close "$game_window" || fail "cannot send the close request"
    sleep 1
    running || fail "the program ended after a close request"
    program_windows | grep -qx "$game_window" || fail "the game window is gone after a close request"
    note "still running 1 s after the close request"
    ;;

  no-ddraw)
    export WINEDLLOVERRIDES="$WINEDLLOVERRIDES;ddraw=d"
    start_program cave.exe
    wait_box 10 "ERROR"
    note "\"ERROR\" after $(($(now_ms) - game_started)) ms"
    answer_return "$box_window"
    expect_exit_zero 5
    ;;

  pacing)
    # A frame stalled by another program on a busy machine is not made up,
    # so one slow run may be the machine's; a second run tells the two apart.
    for attempt in 1 2; do
      start_program pacing-probe.exe
      wait_exit 40 || fail "the probe did not end within 40 s"
      note "run $attempt: $(tr '\n' ';' <"$run/stdout")"
      [ "$game_code" = 0 ] || fail "probe exit code $game_code"
      fps=$(awk '/^fps /{print $2}' "$run/stdout")
      [ -n "$fps" ] || fail "the probe printed no frame rate"
      awk "BEGIN{exit !($fps >= 30.0 && $fps <= 31.0)}" && break
      [ "$attempt" = 2 ] && fail "$fps frames per second, not 30.0 to 31.0"
    done
    ;;

  same-cave)
    [ -x "${CAVE_REPLAY:-}" ] || skip "no cave-replay"
    for seed in 1234 3000000000; do
      start_program startup-dump.exe "$seed" "cave-$seed.ppm" "ball-$seed.ppm"
      wait_exit 30 || fail "startup-dump did not end within 30 s"
      grep -q written "$run/stdout" || fail "startup-dump: $(cat "$run/stdout")"
      "$CAVE_REPLAY" --tick "$seed" --snapshots 1 --cave "0:hosted-cave-$seed.ppm" \
        --ball "0:hosted-ball-$seed.ppm" >"$run/replay-$seed.out" || fail "cave-replay failed"
      cave=$("$xtool" diff "cave-$seed.ppm" "hosted-cave-$seed.ppm") || fail "cannot compare the caves"
      ball=$("$xtool" diff "ball-$seed.ppm" "hosted-ball-$seed.ppm") || fail "cannot compare the balls"
      note "seed $seed: cave pixels differing $cave, ball pixels differing $ball (at most $ball_max)"
      [ "$cave" = 0 ] || fail "seed $seed: the caves differ in $cave pixels"
      [ "$ball" -le "$ball_max" ] || fail "seed $seed: the balls differ in $ball pixels, more than $ball_max"
    done
    ;;

  ellipse)
    [ -x "${CAVE_ELLIPSE_HOSTED:-}" ] || skip "no hosted ellipse probe"
    start_program ellipse-probe.exe wine.ppm
    wait_exit 30 || fail "the probe did not end within 30 s"
    grep -q written "$run/stdout" || fail "ellipse-probe: $(cat "$run/stdout")"
    "$CAVE_ELLIPSE_HOSTED" hosted.ppm >"$run/hosted.out" || fail "the hosted probe failed"
    grep -q written "$run/hosted.out" || fail "hosted ellipse-probe: $(cat "$run/hosted.out")"
    "$xtool" cells wine.ppm hosted.ppm 24 >"$run/cells" || fail "cannot compare the pictures"
    read -r -a radii <<<"$(sed -n 1p "$run/cells")"
    read -r -a row2 <<<"$(sed -n 2p "$run/cells")"
    ball=${row2[0]}
    note "pixels differing per radius 0-10: ${radii[*]}; whole ball: $ball"
    status=0
    for r in $(seq 0 10); do
      if [ "${radii[$r]}" -gt "${ellipse_max[$r]}" ]; then
        echo "radius $r: ${radii[$r]} pixels differ, more than ${ellipse_max[$r]}"
        status=1
      fi
    done
    if [ "$ball" -gt "$ellipse_ball_max" ]; then
      echo "ball: $ball pixels differ, more than $ellipse_ball_max"
      status=1
    fi
    [ "$status" = 0 ] || fail "the hosted Ellipse differs from the real one more than it did"
    ;;

  *)
    fail "unknown scenario '$scenario'"
    ;;
esac
echo "PASSED: $scenario"
