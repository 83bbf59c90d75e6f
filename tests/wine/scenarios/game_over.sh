#!/usr/bin/env bash
# cave.exe left alone: the ship falls, "Game Over!" is shown in a message box,
# Return answers it and the program ends with exit code 0.
source "${BASH_SOURCE[0]%/*}/../lib.sh" || exit 1
begin_scenario
check_box "Game Over!"
pass
