#!/usr/bin/env bash
# The cave and ball sprite that cave.exe's start-up makes under Wine's GDI
# (written out by startup-dump.exe) are those of the hosted build for the same
# seed (cave-replay).
source "${BASH_SOURCE[0]%/*}/../lib.sh" || exit 1
# Most pixels in which the ball sprites may differ: the figure measured with
# Wine 8, kept so that a change of either side shows.
ball_max=0

begin_scenario
[[ -x "$replay" ]] || skip "no cave-replay"
for seed in 1234 3000000000; do
  start_program startup-dump.exe "$seed" "cave-$seed.ppm" "ball-$seed.ppm"
  wait_until 30 cave_ended || fail "startup-dump did not end within 30 s"
  grep -q written stdout || fail "startup-dump: $(cat stdout)"
  "$replay" --tick "$seed" --snapshots 1 --cave "0:hosted-cave-$seed.ppm" \
    --ball "0:hosted-ball-$seed.ppm" >"replay-$seed.out" || fail "cave-replay failed"
  cave=$("$xtool" diff "cave-$seed.ppm" "hosted-cave-$seed.ppm") || fail "cannot compare the caves"
  ball=$("$xtool" diff "ball-$seed.ppm" "hosted-ball-$seed.ppm") || fail "cannot compare the balls"
  note "seed $seed: cave pixels differing $cave, ball pixels differing $ball (at most $ball_max)"
  [[ "$cave" == 0 ]] || fail "seed $seed: the caves differ in $cave pixels"
  [ "$ball" -le "$ball_max" ] || fail "seed $seed: the balls differ in $ball pixels, more than $ball_max"
done
pass
