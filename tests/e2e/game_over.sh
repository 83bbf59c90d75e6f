#!/usr/bin/env bash
# The game on an X server of its own, left alone but for Return held down:
# the ship falls, and a message box "Game Over!" appears once Return is let
# go; only a new press of Return answers it, and the game ends with exit
# code 0.
set -u
source "${BASH_SOURCE[0]%/*}/lib.sh" || exit 1
cave=${1:?usage: game_over.sh path/to/cave}

begin_test
start_cave "$cave" --tick 7
wait_window 10 cave_window || fail "no window of cave appeared"
game_window=$window
xdotool windowfocus --sync "$game_window" keydown Return || fail "cannot hold Return down"
sleep 3 # the ship hits the rock within 1 s, and the key repeats
window_named "Game Over!" >/dev/null && fail "the message box appeared while Return was held"
xdotool keyup Return
wait_window 15 window_named "Game Over!" || fail "no message box \"Game Over!\" appeared"
box=$window
sleep 1
cave_running || fail "cave ended while its message box was up"
xdotool search --onlyvisible --pid "$cave_pid" | grep -qx "$game_window" ||
  fail "the game window went away before the box was answered"
read -r x y width height < <(window_geometry "$box")
echo "message box ${width}x$height at $x,$y"

xdotool windowfocus --sync "$box" || fail "cannot give the message box the focus"
xdotool key Return
wait_cave_exit 10
[[ "$exit_code" == 0 ]] || fail "exit code $exit_code, expected 0"
[[ ! -s "$work_dir/cave.err" ]] || fail "cave wrote on standard error"
echo "PASS"
