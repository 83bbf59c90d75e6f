#!/usr/bin/env bash
# The game on a 1920x1080 screen. At the default scale, 2, its window is
# 640x480 at (640, 300) and every pixel of its picture a 2x2 block. Alt+Enter
# and F11 each switch to full screen, where the same picture is 1280x960 at
# (320, 60) with black around it, and back to the same place. --scale 1 gives
# 320x240 at (800, 420); --fullscreen starts in full screen; --scale 0, a
# scale too large for the screen and an unknown option end with exit code 2
# and one line naming the problem, before any window opens.
set -u
source "${BASH_SOURCE[0]%/*}/lib.sh" || exit 1
cave=${1:?usage: scale_and_full_screen.sh path/to/cave}

begin_test 1920x1080

while IFS='|' read -r options problem; do
  # shellcheck disable=SC2086
  "$cave" $options 2>"$work_dir/refused.err" >/dev/null
  code=$?
  [[ "$code" == 2 ]] || fail "cave $options: exit code $code, expected 2"
  [[ "$(head -n1 "$work_dir/refused.err")" == "cave: $problem" ]] ||
    fail "cave $options: $(head -n1 "$work_dir/refused.err")"
done <<'CASES'
--scale 0|--scale needs a whole number from 1, got '0'
--scale 5|--scale 5 is too large for this screen, which allows 1 to 4
--bogus|unknown option '--bogus'
CASES

# The number of pixels in which images $1 and $2 differ.
differing() { convert "$1" "$2" -metric AE -compare -format '%[distortion]' info: 2>&1; }
# True when image $1 is made of uniform $2x$2 blocks.
uniform_blocks() {
  convert "$1" -sample "$((100 / $2))%" -sample "$((100 * $2))%" "$work_dir/blocks.png" &&
    [[ "$(differing "$1" "$work_dir/blocks.png")" == 0 ]]
}

start_cave "$cave"
wait_window 10 cave_window || fail "no window of cave appeared"
game_window=$window
# Paused at once, before the ball can fall: the pause shows the cave alone,
# the same picture until it ends.
press p
wait_placed "$game_window" 1 "640,300 640x480"
sleep 0.3
import -window "$game_window" "$work_dir/window.png"
uniform_blocks "$work_dir/window.png" 2 || fail "the window's pixels are not 2x2 blocks"
convert "$work_dir/window.png" -sample 50% "$work_dir/picture.png"

for keys in alt+Return F11; do
  xdotool key "$keys"
  wait_placed "$game_window" 5 "0,0 1920x1080"
  sleep 0.3
  import -window root "$work_dir/screen.png"
  convert "$work_dir/screen.png" -crop 1280x960+320+60 +repage "$work_dir/full.png"
  uniform_blocks "$work_dir/full.png" 4 || fail "$keys: the picture's pixels are not 4x4 blocks"
  convert "$work_dir/full.png" -sample 25% "$work_dir/full_picture.png"
  [[ "$(differing "$work_dir/full_picture.png" "$work_dir/picture.png")" == 0 ]] ||
    fail "$keys: the window's picture is not what shows at (320, 60)"
  around=$(convert "$work_dir/screen.png" -fill black -draw "rectangle 320,60 1599,1019" \
    -format '%[fx:maxima]' info:)
  [[ "$around" == 0 ]] || fail "$keys: not black around the picture"
  xdotool key "$keys"
  wait_placed "$game_window" 5 "640,300 640x480"
done
echo "window 640x480 at (640, 300); full screen 1280x960 at (320, 60), back and forth"

# The keyboard still reaches the game: Escape ends it from the pause.
press Escape
wait_cave_exit 10
[[ "$exit_code" == 0 ]] || fail "exit code $exit_code, expected 0"

for run in "--scale 1|800,420 320x240" "--fullscreen|0,0 1920x1080"; do
  start_cave "$cave" ${run%|*}
  wait_window 10 cave_window || fail "${run%|*}: no window of cave appeared"
  wait_placed "$window" 5 "${run#*|}"
  # The keyboard's focus and the game's first frames follow the placing; an
  # Escape before them would reach no game.
  sleep 0.3
  press Escape
  wait_cave_exit 10
  [[ "$exit_code" == 0 ]] || fail "${run%|*}: exit code $exit_code, expected 0"
done
[[ ! -s "$work_dir/cave.err" ]] || fail "cave wrote on standard error"
echo "PASS"
