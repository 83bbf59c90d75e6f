#!/usr/bin/env bash
# Recordings of the game on an X server of its own. Files that cannot serve
# are refused before any window opens. A game played with Up held and let go
# several times, with --tick and --record, until the "Game Over!" box is
# answered, leaves a recording that cave-replay --check replays to the same
# end on the headless display; --watch shows it to the same box, and the
# player's Escape ends a --watch early.
set -u
source "${BASH_SOURCE[0]%/*}/lib.sh" || exit 1
cave=${1:?usage: record_and_watch.sh path/to/cave path/to/cave-replay}
replay=${2:?usage: record_and_watch.sh path/to/cave path/to/cave-replay}

begin_test
rec="$work_dir/game.rec"

# Without a display a game would start and report its error 1; a refusal
# comes first, as one line and exit code 2.
printf '# cave recording 1\n# tick 7\n200\n300\n' >"$work_dir/bad.rec"
while IFS='|' read -r options expected; do
  # shellcheck disable=SC2086 # the options are words
  env -u DISPLAY "$cave" $options >/dev/null 2>"$work_dir/refusal.err"
  code=$?
  [[ "$code" == 2 && "$(cat "$work_dir/refusal.err")" == "$expected" ]] ||
    fail "cave $options: exit code $code, standard error: $(cat "$work_dir/refusal.err")"
done <<END
--record $work_dir/none/game.rec|cave: cannot write the recording '$work_dir/none/game.rec': No such file or directory
--watch $work_dir/bad.rec|cave: '$work_dir/bad.rec' line 4: '300' is not a scan code 0-255
--watch $work_dir/none.rec|cave: cannot read '$work_dir/none.rec'
END

# The box's picture, once it is up, to $1; sets box.
box_picture() {
  wait_window 30 window_named "Game Over!" || fail "no message box \"Game Over!\" appeared"
  box=$window
  sleep 0.3  # drawn
  import -window "$box" "$1" || fail "cannot take a picture of the message box"
}

answer_box() {
  xdotool windowfocus --sync "$box" || fail "cannot give the message box the focus"
  xdotool key Return
  wait_cave_exit 10
  [[ "$exit_code" == 0 ]] || fail "exit code $exit_code, expected 0"
  [[ ! -s "$work_dir/cave.err" ]] || fail "cave wrote on standard error"
}

start_cave "$cave" --tick 7 --record "$rec"
wait_window 10 cave_window || fail "no window of cave appeared"
[[ "$(xdotool getwindowfocus 2>/dev/null)" == "$window" ]] ||
  xdotool windowfocus --sync "$window" || fail "cannot give the window the focus"
for _ in 1 2 3 4; do
  xdotool keydown Up sleep 0.25 keyup Up sleep 0.3
done
box_picture "$work_dir/played.png"
answer_box

[[ "$(head -n 2 "$rec")" == $'# cave recording 1\n# tick 7' ]] ||
  fail "the recording does not begin with its format and tick: $(head -n 2 "$rec")"
# Up held in several runs of snapshots, let go in between.
read -r presses runs < <(awk '$0 == "200" {n++; if (!held) r++; held = 1; next}
                              {held = 0} END {print n + 0, r + 0}' "$rec")
((presses >= 5 && runs >= 2)) ||
  fail "Up held in $presses snapshots, in $runs runs, in the recording"
tail -n 2 "$rec" | grep -q '^# box {"title":"Game Over!","text":"Spielstand:' ||
  fail "the recording does not end with the box: $(tail -n 2 "$rec")"
[[ "$(tail -n 1 "$rec")" == "# exit 0" ]] || fail "the recording does not end with '# exit 0'"
echo "recorded $(grep -vc '^#' "$rec") snapshots, $presses with Up held in $runs runs"

"$replay" --check "$rec" >"$work_dir/check.out" 2>"$work_dir/check.err" ||
  fail "cave-replay --check: $(cat "$work_dir/check.err")"

start_cave "$cave" --watch "$rec"
box_picture "$work_dir/watched.png"
# The same text in the same box: the same picture.
compare -metric AE "$work_dir/played.png" "$work_dir/watched.png" null: 2>/dev/null ||
  fail "the box shown by --watch differs from the one of the game played"
answer_box

start_cave "$cave" --watch "$rec"
wait_window 10 cave_window || fail "no window of cave appeared"
xdotool windowfocus --sync "$window" || true
xdotool keydown Escape sleep 0.15 keyup Escape
wait_cave_exit 10
[[ "$exit_code" == 0 ]] || fail "exit code $exit_code after Escape in --watch, expected 0"
window_named "Game Over!" >/dev/null && fail "a message box appeared after Escape"
echo "PASS"
