#!/usr/bin/env bash
# The game in full screen on a 1920x1080 screen under a window manager, left
# alone: the ship falls, the message box "Game Over!" appears in front of
# the full-screen picture, Return answers it, and the game ends with exit
# code 0.
set -u
source "${BASH_SOURCE[0]%/*}/lib.sh" || exit 1
cave=${1:?usage: full_screen_game_over.sh path/to/cave}

need_programs openbox xprop
begin_test 1920x1080
start_window_manager "$work_dir" || fail "openbox did not start: $(cat "$work_dir/openbox.log")"

# The place of window $1 in the window manager's stacking order, bottom first.
stacked_at() {
  xprop -root _NET_CLIENT_LIST_STACKING | tr -d ',' |
    awk -v id="$(printf '0x%x' "$1")" '{for (i = 5; i <= NF; i++) if ($i == id) print i - 4}'
}

start_cave "$cave" --fullscreen
wait_window 10 cave_window || fail "no window of cave appeared"
game_window=$window
wait_placed "$game_window" 5 "0,0 1920x1080"
wait_window 15 window_named "Game Over!" || fail "no message box \"Game Over!\" appeared"
box=$window
cave_running || fail "cave ended while its message box was up"
[[ "$(placed "$game_window")" == "0,0 1920x1080" ]] || fail "the game left full screen for the box"
box_at=$(stacked_at "$box")
game_at=$(stacked_at "$game_window")
((${box_at:-0} > ${game_at:-0})) ||
  fail "the box is not in front of the game: $(xprop -root _NET_CLIENT_LIST_STACKING)"
echo "message box $(placed "$box") in front of the full-screen game"

# The box has the keyboard: Return, sent to whatever has the focus, answers it.
wait_until 5 eval '[[ "$(xdotool getwindowfocus 2>/dev/null)" == "$box" ]]' ||
  fail "the box has no focus (focus on $(xdotool getwindowfocus 2>&1), box $box)"
xdotool key Return
wait_cave_exit 10
[[ "$exit_code" == 0 ]] || fail "exit code $exit_code, expected 0"
[[ ! -s "$work_dir/cave.err" ]] || fail "cave wrote on standard error"
echo "PASS"
