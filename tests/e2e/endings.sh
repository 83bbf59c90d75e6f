#!/usr/bin/env bash
# Games recorded with --tick 7 that end from outside, on an X server of their
# own: signals, /dev/full, the X server gone; and one held for 5 s while its
# window is minimised (under openbox), which then ends as if never held. Each
# row gives the exit code, snapshots kept, last line and standard error; what
# is kept replays as recorded (cave-replay --check), and no child of the
# program is left.
set -u
source "${BASH_SOURCE[0]%/*}/lib.sh" || exit 1
cave=${1:?usage: endings.sh path/to/cave path/to/cave-replay}
replay=${2:?usage: endings.sh path/to/cave path/to/cave-replay}

# The snapshots of the game without keys up to its box, on the headless display.
at_box=$("$replay" --tick 7 | sed -n 's/^{"box":.*"snapshot":\([0-9]*\)}$/\1/p')
[[ -n "$at_box" ]] || fail "cave-replay --tick 7 shows no box"
need_programs openbox xprop
begin_test
rec="$work_dir/game.rec"

snapshots() { grep -vc '^#' "$rec" 2>/dev/null; }
playing() { (($(snapshots) >= 3)); }
# The children of the program that still run (zombies have ended).
running() { for pid in "$@"; do ps -o stat= -p "$pid" | grep -qv '^Z' && echo "$pid"; done; }
none_running() { [[ -z "$(running "$@")" ]]; }

# The window minimised for 5 s: the game is held, without a snapshot and with
# the processor at rest (at most 1 % of a core: utime + stime over the hold);
# once the window is back, the game goes on to its box, which Return answers.
away() {
  xdotool windowminimize --sync "$window" || fail "$row: cannot minimise the window"
  sleep 0.5 # the frame under way
  local before ticks start
  before=$(snapshots) start=$(now_ms) ticks=$(awk '{print $14 + $15}' "/proc/$cave_pid/stat")
  sleep 5
  ticks=$(($(awk '{print $14 + $15}' "/proc/$cave_pid/stat") - ticks))
  busy=$(awk -v t="$ticks" -v hz="$(getconf CLK_TCK)" -v ms=$(($(now_ms) - start)) \
    'BEGIN {printf "%.2f", t / hz * 100000 / ms}')
  [[ "$(snapshots)" == "$before" ]] || fail "$row: $before snapshots, then $(snapshots) while away"
  awk -v p="$busy" 'BEGIN {exit !(p <= 1)}' || fail "$row: $busy % of a core while away"
  echo "$row: held at $before snapshots for 5 s, $busy % of a core"
  xdotool windowactivate --sync "$window" 2>/dev/null || fail "$row: cannot bring the window back"
  wait_window 10 window_named "Game Over!" || fail "$row: no message box appeared"
  xdotool windowfocus --sync "$window" key Return || fail "$row: cannot answer the box"
}

# what | when | exit code | snapshots | last line of the recording | standard error
while IFS='|' read -r what when code kept last expected; do
  row="$what during $when"
  file=$rec && [[ "$what" == full ]] && file=/dev/full
  rm -f "$rec"
  if ! kill -0 "$x_server_pid" 2>/dev/null; then
    stop_x_server
    start_x_server "$work_dir" || fail "the X server did not start again"
  fi
  if [[ "$what" == away ]]; then
    start_window_manager "$work_dir" || fail "$row: openbox did not start"
  fi
  start_cave "$cave" --tick 7 --record "$file"
  wait_window 10 cave_window || fail "$row: no window of cave appeared"
  case $when in
    play) wait_until 5 playing || fail "$row: no snapshots recorded" ;;
    pause)
      xdotool windowfocus --sync "$window" || fail "$row: cannot give the window the focus"
      press P
      sleep 1.5 # longer than the fall to the box
      ;;
    box) wait_window 10 window_named "Game Over!" || fail "$row: no message box appeared" ;;
  esac
  children=$(pgrep -P "$cave_pid")
  [[ "$when" != box || -n "$children" ]] || fail "$row: the box has no process of its own"
  case $what in
    full) xdotool windowfocus --sync "$window" key Return || fail "$row: cannot answer the box" ;;
    X) kill "$x_server_pid" ;;
    away) away ;;
    *) kill -s "$what" "$cave_pid" ;;
  esac
  wait_cave_exit 5
  stop_window_manager
  [[ "$exit_code" == "$code" ]] || fail "$row: exit code $exit_code, expected $code"
  [[ "$(cat "$work_dir/cave.err")" == "$expected" ]] || fail "$row: standard error differs"
  # shellcheck disable=SC2086 # the process ids are words
  wait_until 2 none_running $children || fail "$row: left running: $(running $children)"
  case $kept in
    none) continue ;;
    some)
      (($(snapshots) > 0)) || fail "$row: no snapshots kept"
      grep -q '^# box' "$rec" && fail "$row: the game reached its box first"
      ;;
    *) [[ "$(snapshots)" == "$at_box" ]] || fail "$row: $(snapshots) snapshots, expected $at_box" ;;
  esac
  [[ "$(tail -n 1 "$rec")" == "$last"* ]] || fail "$row: the recording ends with $(tail -n 1 "$rec")"
  "$replay" --check "$rec" >/dev/null 2>"$work_dir/check.err" ||
    fail "$row: cave-replay --check: $(cat "$work_dir/check.err")"
  echo "$row: exit code $exit_code, $(snapshots) snapshots, ends with $(tail -n 1 "$rec")"
done <<END
TERM|play|143|some|# signal SIGTERM|
INT|play|130|some|# signal SIGINT|
HUP|pause|129|some|# signal SIGHUP|
KILL|play|137|some||
away|play|0|box|# exit 0|
TERM|box|143|box|# signal SIGTERM|
INT|box|130|box|# signal SIGINT|
KILL|box|137|box|# box {"title":"Game Over!"|
full|box|1|none||cave: cannot write the recording '/dev/full': No space left on device
X|play|1|some||cave: the display went away
X|box|1|box|# box {"title":"Game Over!"|cave: the display went away
END
echo "PASS"
