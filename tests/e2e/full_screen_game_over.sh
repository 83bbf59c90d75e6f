#!/usr/bin/env bash
# The game in full screen on a 1920x1080 screen, left alone, without and then
# with a window manager: the ship falls, the message box "Game Over!"
# appears in front of the full-screen picture with the keyboard, Return
# answers it, and the game ends with exit code 0.
set -u
source "${BASH_SOURCE[0]%/*}/lib.sh" || exit 1
cave=${1:?usage: full_screen_game_over.sh path/to/cave}

need_programs openbox xprop
begin_test 1920x1080

# The place of window $1 in the stacking order, bottom first: the window
# manager's, or the X server's where there is none.
stacked_at() {
  local id
  id=$(printf '0x%x' "$1")
  if [[ -n "$wm_pid" ]]; then
    xprop -root _NET_CLIENT_LIST_STACKING | tr -d ',' |
      awk -v id="$id" '{for (i = 5; i <= NF; i++) if ($i == id) print i - 4}'
  else
    # xwininfo lists the top one first.
    xwininfo -root -children | awk '$1 ~ /^0x/ {print $1}' | tac | awk -v id="$id" '$1 == id {print NR}'
  fi
}
has_focus() { [[ "$(xdotool getwindowfocus 2>/dev/null)" == "$1" ]]; }

for manager in none openbox; do
  if [[ "$manager" == openbox ]]; then
    start_window_manager "$work_dir" || fail "openbox did not start: $(cat "$work_dir/openbox.log")"
  fi
  start_cave "$cave" --fullscreen
  wait_window 10 cave_window || fail "$manager: no window of cave appeared"
  game_window=$window
  wait_placed "$game_window" 5 "0,0 1920x1080"
  wait_window 15 window_named "Game Over!" || fail "$manager: no message box \"Game Over!\""
  box=$window
  cave_running || fail "$manager: cave ended while its message box was up"
  [[ "$(placed "$game_window")" == "0,0 1920x1080" ]] || fail "$manager: the game left full screen"
  box_at=$(stacked_at "$box")
  game_at=$(stacked_at "$game_window")
  ((${box_at:-0} > ${game_at:-0})) || fail "$manager: the box is not in front of the game"
  # Return goes to whatever has the keyboard: the box must have it.
  wait_until 5 has_focus "$box" ||
    fail "$manager: the box has no focus (focus on $(xdotool getwindowfocus 2>&1), box $box)"
  echo "$manager: message box $(placed "$box") in front of the full-screen game, with the keyboard"
  xdotool key Return
  wait_cave_exit 10
  [[ "$exit_code" == 0 ]] || fail "$manager: exit code $exit_code, expected 0"
  [[ ! -s "$work_dir/cave.err" ]] || fail "$manager: cave wrote on standard error"
done
echo "PASS"
