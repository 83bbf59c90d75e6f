#!/usr/bin/env bash
# cave.exe opens its 320 x 240 window centred, undecorated, untitled and alone,
# with the game's red frame along its edges and the game's ball as its icon.
source "${BASH_SOURCE[0]%/*}/../lib.sh" || exit 1
begin_scenario
start_program cave.exe
wait_game_window 20
window_ms=$(($(now_ms) - started))
wait_picture 20
note "window after $window_ms ms, first picture after $first_picture_ms ms"
# Alone, counted at once: the ball falls from the first picture on, and its
# crash's box, a window of its own, may follow within seconds on a busy machine.
windows=$(cave_windows | wc -l)
[[ "$windows" == 1 ]] || fail "$windows visible windows of the program, not 1"
xdotool getwindowgeometry "$game_window" | grep -q "Position: 352,264" ||
  fail "window not at 352,264: $(xdotool getwindowgeometry "$game_window")"
# No decorations asked of the window manager, and none given.
xprop -id "$game_window" _MOTIF_WM_HINTS | grep -Eq '= 0x[0-9a-f]*[2367abef], 0x[0-9a-f]+, 0x0,' ||
  fail "the window asks for decorations: $(xprop -id "$game_window" _MOTIF_WM_HINTS)"
extents=$(xprop -id "$game_window" _NET_FRAME_EXTENTS)
echo "$extents" | grep -q "= 0, 0, 0, 0" || fail "the window has a frame: $extents"
# The game's red frame runs along the window's edges: nothing of a frame or
# title bar is drawn inside it either.
shots 0.3 window.ppm
wrong=$("$xtool" border window.ppm)
[[ "$wrong" == 0 ]] || fail "$wrong pixels along the window's edges are not the game's red frame"
[[ "$(xdotool getwindowname "$game_window")" == "" ]] || fail "the window has a title"
# The window shows the program's icon: the game's ball, as cave-icon draws it,
# at the sizes of the title bar and the task bar.
if [[ -x "$icon" ]]; then
  for size in 32 16; do
    "$icon" "$size:ball-$size.pam" || fail "cave-icon failed"
    "$xtool" icon "$game_window" "$size" "icon-$size.pam" || fail "no $size-pixel window icon"
    cmp -s "ball-$size.pam" "icon-$size.pam" ||
      fail "the window's $size-pixel icon is not the game's ball"
  done
  note "the window's icons at 32 and 16 pixels are the game's ball"
fi
pass
