#!/usr/bin/env bash
# The Windows program itself: a GUI program of its architecture (PE32+ for
# x86-64, PE32 for i686, its manifest naming the same), linked statically
# (only system DLLs imported, DirectDraw and DirectInput loaded at run time),
# with a manifest, a version resource and its icon. Reads the executable only.
source "${BASH_SOURCE[0]%/*}/../lib.sh" || exit 1
objdump=$(command -v x86_64-w64-mingw32-objdump) || skip "no x86_64-w64-mingw32-objdump"
[[ -n "$bin" && -f "$bin/cave.exe" ]] || skip "no cave.exe: build the mingw preset first"
headers=$("$objdump" -p "$bin/cave.exe") || fail "objdump cannot read cave.exe"
echo "$headers" | grep -Eq "^Subsystem[[:space:]]+00000002" || fail "not a GUI program"
if [[ "$bits" == 32 ]]; then magic="010b" architecture=x86; else magic="020b" architecture=amd64; fi
echo "$headers" | grep -Eq "^Magic[[:space:]]+$magic" || fail "not a $bits-bit program"
grep -aq "processorArchitecture=\"$architecture\"" "$bin/cave.exe" ||
  fail "the manifest does not name $architecture"
imports=$(echo "$headers" | awk '/DLL Name:/{print toupper($3)}' | sort | tr '\n' ' ')
note "imports $imports"
for dll in $imports; do
  case "$dll" in
    KERNEL32.DLL | USER32.DLL | GDI32.DLL | MSVCRT.DLL) ;;
    *) fail "imports $dll" ;;
  esac
done
# Resource types at the top of the resource tree: 0x10 version, 0x18
# manifest, 0x3 and 0xe icons.
types=$(echo "$headers" | awk '/^0[0-9a-f]+   Entry: ID:/{sub(",", "", $4); print $4}' | tr '\n' ' ')
note "resource types $types"
for type in 0x000003 0x00000e 0x000010 0x000018; do
  echo " $types" | grep -q " $type" || fail "resource type $type is missing"
done
pass
