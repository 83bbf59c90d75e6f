#!/usr/bin/env bash
# In cave.exe the ball rises while Up is held and falls once it is let go.
source "${BASH_SOURCE[0]%/*}/../lib.sh" || exit 1
begin_scenario
start_program cave.exe
wait_game_window 20
activate_game_window
# Up from the first frame on, so that the ball rises before it has fallen far;
# 300 ms after the first picture it has been held for longer.
xdotool keydown Up
wait_picture 20
# Let go and pressed again once the game runs: a press that came before the
# game acquired the keyboard is not in the device's state under Wine.
xdotool keyup Up keydown Up
shots 0.3 up1.ppm 0.1 up2.ppm
xdotool keyup Up
shots 0.6 down1.ppm 0.1 down2.ppm
read -r up1 _ <<<"$(red_row up1.ppm)"
read -r up2 _ <<<"$(red_row up2.ppm)"
read -r down1 _ <<<"$(red_row down1.ppm)"
read -r down2 _ <<<"$(red_row down2.ppm)"
note "ball rows with Up: $up1 then $up2; without: $down1 then $down2"
for row in "$up1" "$up2" "$down1" "$down2"; do
  [[ "$row" != none ]] || fail "no ball on a screenshot"
done
awk "BEGIN{exit !($up2 < $up1)}" || fail "with Up held the ball did not rise"
awk "BEGIN{exit !($down2 > $down1)}" || fail "without Up the ball did not fall"
pass
