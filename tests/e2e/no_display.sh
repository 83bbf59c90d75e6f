#!/usr/bin/env bash
# The game where no screen can be opened: it reports its error 1 on standard
# error and ends with exit code 0.
set -u
source "${BASH_SOURCE[0]%/*}/lib.sh" || exit 1
cave=${1:?usage: no_display.sh path/to/cave}

begin_work_dir
env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER "$cave" 2>"$work_dir/cave.err" &
cave_pid=$!
wait_cave_exit 10
[[ "$exit_code" == 0 ]] || fail "exit code $exit_code, expected 0"
printf 'ERROR\nFehler Nr.1\n' | cmp -s - "$work_dir/cave.err" ||
  fail "standard error is not the error 1 message: $(cat -A "$work_dir/cave.err")"
echo "PASS"
