#!/usr/bin/env bash
# P pauses cave.exe, which then shows no ship and an unchanging picture; P
# again lets it run on.
source "${BASH_SOURCE[0]%/*}/../lib.sh" || exit 1
begin_scenario
start_game
activate_game_window
press p 0.2
shots 0.3 paused1.ppm 0.5 paused2.ppm
differ=$("$xtool" diff paused1.ppm paused2.ppm)
[[ "$differ" == 0 ]] || fail "paused screenshots 500 ms apart differ in $differ pixels"
[[ "$(red_row paused1.ppm)" == none ]] || fail "the ship is shown while paused"
press p 0.2
shots 0.1 running1.ppm 0.1 running2.ppm
differ=$("$xtool" diff running1.ppm running2.ppm)
[[ "$differ" != 0 ]] || fail "the game did not resume: screenshots 100 ms apart are identical"
note "paused: identical; resumed: $differ pixels differ"
pass
