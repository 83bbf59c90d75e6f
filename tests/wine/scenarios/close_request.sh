#!/usr/bin/env bash
# cave.exe refuses a request to close its window: it runs on, window and all.
source "${BASH_SOURCE[0]%/*}/../lib.sh" || exit 1
begin_scenario
start_game
"$xtool" close "$game_window" || fail "cannot send the close request"
sleep 1
cave_running || fail "the program ended after a close request"
cave_windows | grep -qx "$game_window" || fail "the game window is gone after a close request"
note "still running 1 s after the close request"
pass
