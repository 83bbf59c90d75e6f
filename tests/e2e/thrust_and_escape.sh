#!/usr/bin/env bash
# The game on an X server of its own: a 320x240 window centred on the
# 1024x768 screen; holding Up lifts the ball; Escape ends the game with exit
# code 0 and without any message box.
set -u
source "${BASH_SOURCE[0]%/*}/lib.sh" || exit 1
cave=${1:?usage: thrust_and_escape.sh path/to/cave}

begin_test
start_cave "$cave"
wait_window 10 cave_window || fail "no window of cave appeared"
# Up goes down at once: the ship starts falling with the first frame.
xdotool keydown Up
read -r x y width height < <(window_geometry "$window")
[[ "$x,$y ${width}x$height" == "352,264 320x240" ]] ||
  fail "window at $x,$y size ${width}x$height, expected 352,264 320x240"
[[ "$(xdotool getwindowfocus 2>/dev/null)" == "$window" ]] ||
  xdotool windowfocus --sync "$window" || fail "cannot give the window the focus"

# The first screenshot with the ball in it, then one at least 300 ms later.
# Up is let go just before the second: the ball still rises then, and every
# frame less with Up held keeps it further from the ceiling.
first_ball() {
  import -window "$window" "$work_dir/before.png" 2>/dev/null &&
    [[ -n "$(ball_row "$work_dir/before.png")" ]]
}
wait_until 5 first_ball || fail "no ball in the window"
sleep 0.3
xdotool keyup Up
import -window "$window" "$work_dir/after.png"
# Escape acts when it is let go, and the game reads the keyboard once a
# frame, so the key stays down for a few frames. It goes in before the
# screenshots are looked at, while the ship is surely still alive.
xdotool keydown Escape sleep 0.15 keyup Escape

before=$(ball_row "$work_dir/before.png")
after=$(ball_row "$work_dir/after.png")
echo "ball row with Up held: $before, then $after"
[[ -n "$after" ]] || fail "no ball in the second screenshot"
awk -v a="$before" -v b="$after" 'BEGIN {exit !(b < a - 2)}' ||
  fail "the ball did not rise while Up was held (row $before, then $after)"

no_box() {
  for title in "Game Over!" "ERROR"; do
    window_named "$title" >/dev/null && fail "a message box \"$title\" appeared"
  done
  return 0
}
wait_until 10 eval 'no_box && ! cave_running' ||
  fail "cave still runs 10 s after Escape" \
    "(focus on $(xdotool getwindowfocus 2>&1), game window $window)"
wait_cave_exit 1
[[ "$exit_code" == 0 ]] || fail "exit code $exit_code, expected 0"
[[ ! -s "$work_dir/cave.err" ]] || fail "cave wrote on standard error"
echo "PASS"
