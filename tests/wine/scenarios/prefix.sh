#!/usr/bin/env bash
# Makes the Wine prefix that the other scenarios share, afresh for this run of
# the tests.
source "${BASH_SOURCE[0]%/*}/../lib.sh" || exit 1
begin_wine
rm -rf "$WINEPREFIX"
start_x
# Through the loader chosen above: Debian's wineboot and wine take the 32-bit
# loader wherever wine32 is installed, also where it cannot run.
"$wine_loader" wineboot.exe -i >wineboot.log 2>&1 9>&- || fail "wineboot failed: $(tail -n 5 wineboot.log)"
# Xvfb has no graphics hardware: the OpenGL path of Wine's Direct3D layer
# would render every blit in software, several times slower than a frame.
# Its GDI renderer does the same blits directly.
"$wine_loader" reg add 'HKCU\Software\Wine\Direct3D' /v renderer /t REG_SZ /d gdi /f >/dev/null 2>&1 9>&- ||
  fail "cannot set the Direct3D renderer"
wineserver -w
[[ -f "$WINEPREFIX/system.reg" ]] || fail "wineboot made no prefix"
note "prefix ready in $WINEPREFIX"
pass
