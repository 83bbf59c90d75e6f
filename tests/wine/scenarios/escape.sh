#!/usr/bin/env bash
# cave.exe ends on Escape, at once, with exit code 0 and no message box.
source "${BASH_SOURCE[0]%/*}/../lib.sh" || exit 1
begin_scenario
check_escape
pass
