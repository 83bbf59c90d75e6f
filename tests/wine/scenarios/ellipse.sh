#!/usr/bin/env bash
# The hosted Ellipse draws the ball's rings as Wine's GDI does: the ellipse
# probe's pictures from both, compared cell by cell.
source "${BASH_SOURCE[0]%/*}/../lib.sh" || exit 1
# Most pixels in which the real GDI's ball rings may differ from ours: the
# figures measured with Wine 8, kept so that a change of either side shows.
# Per radius 0 ... 10 (one filled circle each), then the whole ball.
ellipse_max=(0 0 0 0 0 0 0 0 0 0 0)
ellipse_ball_max=0

begin_scenario
[[ -x "$ellipse_hosted" ]] || skip "no hosted ellipse probe"
start_program ellipse-probe.exe wine.ppm
wait_until 30 cave_ended || fail "the probe did not end within 30 s"
grep -q written stdout || fail "ellipse-probe: $(cat stdout)"
"$ellipse_hosted" hosted.ppm >hosted.out || fail "the hosted probe failed"
grep -q written hosted.out || fail "hosted ellipse-probe: $(cat hosted.out)"
"$xtool" cells wine.ppm hosted.ppm 24 >cells.out || fail "cannot compare the pictures"
read -r -a radii <<<"$(sed -n 1p cells.out)"
read -r -a row2 <<<"$(sed -n 2p cells.out)"
ball=${row2[0]}
note "pixels differing per radius 0-10: ${radii[*]}; whole ball: $ball"
status=0
for r in $(seq 0 10); do
  if [ "${radii[$r]}" -gt "${ellipse_max[$r]}" ]; then
    echo "radius $r: ${radii[$r]} pixels differ, more than ${ellipse_max[$r]}"
    status=1
  fi
done
if [ "$ball" -gt "$ellipse_ball_max" ]; then
  echo "ball: $ball pixels differ, more than $ellipse_ball_max"
  status=1
fi
[ "$status" = 0 ] || fail "the hosted Ellipse differs from the real one more than it did"
pass
