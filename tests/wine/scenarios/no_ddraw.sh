#!/usr/bin/env bash
# cave.exe where DirectDraw cannot be loaded: it says "ERROR" in a message box,
# Return answers it and the program ends with exit code 0.
source "${BASH_SOURCE[0]%/*}/../lib.sh" || exit 1
begin_scenario
export WINEDLLOVERRIDES="$WINEDLLOVERRIDES;ddraw=d"
check_box "ERROR"
pass
