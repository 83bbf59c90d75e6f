#!/usr/bin/env bash
# The Debian package that scripts/package made: lintian finds no error in it;
# unpacked into a scratch folder, its desktop entry and metadata validate,
# its program names the package's version and, on an X server of its own,
# opens its window and ends on Escape with exit code 0.
#
#   package.sh PACKAGES_FOLDER
set -u
source "${BASH_SOURCE[0]%/*}/../e2e/lib.sh" || exit 1
packages=${1:?usage: package.sh PACKAGES_FOLDER}

deb=$(ls "$packages"/cave_*.deb 2>/dev/null | head -n1)
if [[ -z "$deb" ]]; then
  echo "SKIP: no .deb in $packages: run scripts/package first"
  exit "$kSkip"
fi
need_programs lintian dpkg-deb desktop-file-validate appstreamcli
begin_test

# Errors fail the test; whatever else lintian says is shown.
lintian "$deb" >"$work_dir/lintian" 2>&1
status=$?
grep -v 'root privileges' "$work_dir/lintian" | sed 's/^/lintian: /'
[[ "$status" == 0 ]] || fail "lintian reports errors"

dpkg-deb -x "$deb" "$work_dir/root" || fail "cannot unpack $deb"
usr=$work_dir/root/usr
desktop-file-validate "$usr"/share/applications/*.desktop || fail "the desktop entry is not valid"
appstreamcli validate-tree --no-net "$work_dir/root" >"$work_dir/appstream" 2>&1 ||
  fail "the metadata is not valid: $(cat "$work_dir/appstream")"
version=$(dpkg-deb -f "$deb" Version)
[[ "$("$usr/games/cave" --version)" == "cave $version" ]] ||
  fail "cave --version says '$("$usr/games/cave" --version)', the package $version"

start_cave "$usr/games/cave"
wait_window 10 cave_window || fail "no window of the unpacked cave appeared"
# The window takes the keyboard when it is shown. The ball falls from the
# first frame and hits the rock within about a second, so Escape goes in at
# once.
[[ "$(xdotool getwindowfocus 2>/dev/null)" == "$window" ]] ||
  xdotool windowfocus --sync "$window" 2>/dev/null || fail "cannot give the window the focus"
xdotool keydown Escape sleep 0.15 keyup Escape
wait_until 10 eval '! cave_running' || fail "the unpacked cave still runs 10 s after Escape"
wait_cave_exit 1
[[ "$exit_code" == 0 ]] || fail "exit code $exit_code, expected 0"
echo "PASS: ${deb##*/}"
