#!/usr/bin/env bash
# The Windows package of scripts/package, unpacked: it holds cave.exe and
# README.txt, and its program ends on Escape as in escape.sh.
source "${BASH_SOURCE[0]%/*}/../lib.sh" || exit 1
begin_wine
need_prefix
if [[ "$bits" == 32 ]]; then kind=x86; else kind=x64; fi
package=$(ls "$packages"/cave-*-windows-$kind.zip 2>/dev/null | head -n1)
[[ -n "$package" ]] || skip "no Windows $kind package in $packages: run scripts/package first"
cmake -E tar xf "$package" || fail "cannot unpack $package"
bin=$(echo "$work_dir"/cave-*-windows-$kind)
[[ -f "$bin/cave.exe" && -f "$bin/README.txt" ]] || fail "$package holds no cave.exe and README.txt"
note "unpacked ${package##*/}"
start_x
check_escape
pass
