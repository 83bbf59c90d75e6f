#!/usr/bin/env bash
# Recordings of the game on an X server of its own. Files, links and kept
# runs that cannot serve are refused before any window opens; cave --runs
# lists the kept runs, best first, and the files that are not runs. A game
# played with Up held and let go several times, with --tick and --record,
# until the "Game Over!" box is answered, leaves a recording that cave-replay
# --check replays to the same end on the headless display, and the same
# recording among the kept runs; --watch last verifies it and shows it to the
# same box, and the player's Escape ends a --watch of its run link early. A
# watched run's verdict comes first, even where no window can open. M,
# pressed in the game played, mutes it, is remembered in the settings and
# never reaches the recording. Two players on Up and W held in turns fly both
# balls: the recording has both keys, its box both scores, it replays with its
# line-up, and cave --runs lists its players. A race against the game played,
# lost at once, shows the ghost's score in its box, and is kept as a race that
# checks.
set -u
source "${BASH_SOURCE[0]%/*}/lib.sh" || exit 1
cave=${1:?usage: record_and_watch.sh path/to/cave path/to/cave-replay}
replay=${2:?usage: record_and_watch.sh path/to/cave path/to/cave-replay}

begin_test
rec="$work_dir/game.rec"

# Kept runs: recordings under the names of runs, and files that are not runs.
kept_runs="$XDG_DATA_HOME/cave/runs"
recordings="${BASH_SOURCE[0]%/*}/../recordings"
mkdir -p "$kept_runs/folder"
cp "$recordings/steered.rec" "$kept_runs/20261201-100000-000.rec"
cp "$recordings/pause.rec" "$kept_runs/20261202-100000-000.rec"
cp "$recordings/escape.rec" "$kept_runs/20261203-100000-000.rec"
cp "$recordings/played.rec" "$kept_runs/20261203-100000-000b.rec"
echo "# cave recording 1" >"$kept_runs/20261204-100000-000.rec"
echo "notes" >"$kept_runs/notes.txt"
TZ=UTC "$cave" --runs >"$work_dir/runs.out" || fail "cave --runs: exit code $?"
diff -u - "$work_dir/runs.out" <<'END' || fail "cave --runs lists other runs"
rank  points  date        time      length  file
   1     323  2026-12-01  10:00:00    1:08  20261201-100000-000.rec
   2     157  2026-12-02  10:00:00    0:30  20261202-100000-000.rec
   3       0  2026-12-03  10:00:00    0:02  20261203-100000-000b.rec
   4       -  2026-12-03  10:00:00    0:01  20261203-100000-000.rec
                                            20261204-100000-000.rec (unreadable: line 2: expected the start tick, '# tick N' with N 0-4294967295)
                                            folder (foreign: not named as a run)
                                            notes.txt (foreign: not named as a run)
END

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
--watch 5|cave: there is no kept run of rank 5: cave --runs lists 4
--watch https://cave.example/#run=AB=C|cave: not a run link: bad base64url: character 3 is '=', padding, which run links leave out
--watch #run=__8|cave: not a run link: bad DEFLATE data: invalid block type
END

# Without a display, the verdict on standard output comes before the game's
# error 1: a kept game with a forged score box appended does not verify.
forged="$work_dir/forged.rec"
sed '$d' "$recordings/steered.rec" >"$forged"
printf '%s\n' '# box {"title":"Game Over!","text":"Spielstand:\n\nPlayer 1: 999 Punkte\n"}' \
  '# exit 0' >>"$forged"
env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER "$cave" --watch "$forged" \
  >"$work_dir/verdict.out" 2>"$work_dir/verdict.err"
code=$?
[[ "$code" == 0 && "$(cat "$work_dir/verdict.err")" == $'ERROR\nFehler Nr.1' &&
  "$(cat "$work_dir/verdict.out")" == 'Not verified: box 2 {"title":"Game Over!","text":"Spielstand:\n\nPlayer 1: 999 Punkte\n"} was not shown' ]] ||
  fail "cave --watch of a forged run: exit code $code, $(cat "$work_dir/verdict.out" "$work_dir/verdict.err")"

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
press m
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
grep -qw 50 "$rec" && fail "M (scan code 50) reached the recording"
[[ "$(cat "$XDG_CONFIG_HOME/cave/settings" 2>&1)" == "muted=1" ]] ||
  fail "M was not remembered: $(cat "$XDG_CONFIG_HOME/cave/settings" 2>&1)"

"$replay" --check "$rec" >"$work_dir/check.out" 2>"$work_dir/check.err" ||
  fail "cave-replay --check: $(cat "$work_dir/check.err")"
# The one new kept run is the same recording; the others are all kept.
kept=$(find "$kept_runs" -name '2026*.rec' -newer "$kept_runs/notes.txt")
cmp "$rec" "$kept" || fail "the kept run '$kept' differs from the recording"
(($(find "$kept_runs" -mindepth 1 | wc -l) == 8)) || fail "the kept runs were pruned: $(ls "$kept_runs")"

start_cave "$cave" --watch last --speed 8 >"$work_dir/watch.out"
box_picture "$work_dir/watched.png"
# The same text in the same box: the same picture.
compare -metric AE "$work_dir/played.png" "$work_dir/watched.png" null: 2>/dev/null ||
  fail "the box shown by --watch differs from the one of the game played"
answer_box
score=$(tail -n 2 "$rec" | grep -o 'Player 1: [0-9]* Punkte')
[[ "$(cat "$work_dir/watch.out")" == "Verified: $score" ]] ||
  fail "cave --watch last says '$(cat "$work_dir/watch.out")', not 'Verified: $score'"

start_cave "$cave" --watch "https://cave.example/$("$replay" --link "$rec")"
wait_window 10 cave_window || fail "no window of cave appeared"
xdotool windowfocus --sync "$window" || true
xdotool keydown Escape sleep 0.15 keyup Escape
wait_cave_exit 10
[[ "$exit_code" == 0 ]] || fail "exit code $exit_code after Escape in --watch, expected 0"
window_named "Game Over!" >/dev/null && fail "a message box appeared after Escape"

start_cave "$cave" --race "$rec"
box_picture "$work_dir/race.png"
answer_box
race=$(grep -lx '#1 # tick 7' "$kept_runs"/*.rec)
points=$(sed 's/Player 1: \([0-9]*\) Punkte/\1/' <<<"$score")
grep -qF "Ghost 1: $points Punkte" "$race" && "$replay" --check "$race" >/dev/null &&
  "$cave" --runs | grep -qF "${race##*/}  race against $points" ||
  fail "the race against $points is not kept as one: $("$cave" --runs | grep -F "${race##*/}")"

two="$work_dir/two.rec"
start_cave "$cave" --players 2 --tick 9 --record "$two"
wait_window 10 cave_window || fail "no window of cave appeared"
# Both balls rise at once, then each key is let go in turns.
xdotool keydown Up keydown w
[[ "$(xdotool getwindowfocus 2>/dev/null)" == "$window" ]] ||
  xdotool windowfocus --sync "$window" || fail "cannot give the window the focus"
for _ in 1 2 3 4 5 6; do
  xdotool keyup Up sleep 0.2 keydown Up keyup w sleep 0.2 keydown w sleep 0.1
done
xdotool keyup Up keyup w
box_picture "$work_dir/two.png"
answer_box
[[ "$(sed -n 3p "$two")" == "# players 2" ]] && grep -qx 200 "$two" && grep -qx 17 "$two" &&
  grep -qx '17 200' "$two" || fail "the recording has no line-up of two, or not Up and W in turns"
read -r first second < <(sed -n \
  's/.*Player 1: \([0-9]*\) Punkte\\nPlayer 2: \([0-9]*\) Punkte.*/\1 \2/p' "$two")
"$replay" --check "$two" >/dev/null && [[ -n "$second" ]] || fail "two players' box or check failed"
kept=$(grep -lx '# players 2' "$kept_runs"/*.rec)
"$cave" --runs | grep -qF "${kept##*/}  2 players: $first, $second" ||
  fail "cave --runs lists the run of two players as: $("$cave" --runs | grep -F "${kept##*/}")"
echo "two players scored $first and $second"
echo "PASS"
