#!/usr/bin/env bash
# The real platform answers the tables of Win32 calls as the expected file
# says, the same file that the hosted platform is held against (the
# win32-tables test): the Windows probe's output, compared line by line.
source "${BASH_SOURCE[0]%/*}/../lib.sh" || exit 1

begin_scenario
[[ -f "$win32_tables" ]] || skip "no expected tables (run through ctest)"
start_program win32-tables-probe.exe tables.txt
wait_until 30 cave_ended || fail "the probe did not end within 30 s"
grep -q written stdout || fail "win32-tables-probe: $(cat stdout)"
diff -u "$win32_tables" tables.txt || fail "the real platform answers otherwise"
pass
