#!/usr/bin/env bash
# The game on an X server of its own, left alone but for Return held down:
# the ship falls, and a message box "Game Over!" appears once Return is let
# go; only a new press of Return answers it, and the game ends with exit
# code 0. Its sound, played through SDL's audio driver that writes a file,
# is heard from the crash on, which begins sample for sample as the crash of
# the same game on the headless display (cave-replay --audio) does.
set -u
source "${BASH_SOURCE[0]%/*}/lib.sh" || exit 1
cave=${1:?usage: game_over.sh path/to/cave path/to/cave-replay}
replay=${2:?usage: game_over.sh path/to/cave path/to/cave-replay}

# The index of the first sample that is not silence in the 16-bit samples of
# file $1, past its first $2 samples; nothing for a silent file.
first_sound() {
  od -An -v -t d2 -w2 "$1" | awk -v skip="$2" 'NR > skip && $1 != 0 {print NR - 1; exit}'
}

begin_test
sound="$work_dir/sound.raw"
SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$sound" start_cave "$cave" --tick 7
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
# SDL's disk driver says that it writes a file; nothing else may be said.
grep -v '^CRITICAL: ' "$work_dir/cave.err" | grep -q . && fail "cave wrote on standard error"

"$replay" --tick 7 --audio "$work_dir/heard.wav" >/dev/null || fail "cave-replay --audio failed"
played=$(first_sound "$sound" 0)
heard=$(first_sound "$work_dir/heard.wav" 22) # past the WAV file's 44-byte header
[[ -n "$played" ]] || fail "the game was silent"
# The crash alone, until the game over's notes start a frame later: 600
# samples.
cmp -s -n 1200 -i "$((2 * played)):$((2 * heard))" "$sound" "$work_dir/heard.wav" ||
  fail "the sound does not begin with the crash: from sample $played of the game's, $heard of cave-replay's"
echo "the crash heard from $((played * 1000 / 22050)) ms on"
echo "PASS"
