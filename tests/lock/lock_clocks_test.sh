#!/bin/sh
# The helper's own reading of a lock under moved clocks (bench/lock_clocks.sh): the wall clock a
# day forward and back changes nothing, the boot clock ends it at its time and not before, and a
# restart with the wall clock 30 days ahead ends an ordinary lock but not one that counts only
# the time the computer is on.
#   lock_clocks_test.sh SOURCE_DIR BUILD_DIR
set -eu
table=$(sh "$1/bench/lock_clocks.sh" "$2")
row() { printf '%s\n' "$table" | grep "^$1" | sed 's/  */ /g'; }
fail() { printf 'FAIL: %s\n%s\n' "$1" "$table" >&2; exit 1; }
# The seconds the script itself takes count too: "59x" on a slow machine.
row "wall clock a day forward" | grep -q "locked until .* | \(600\|59[0-9]\)$" || fail "a day forward"
row "wall clock a day back" | grep -q "locked until .* | \(600\|59[0-9]\)$" || fail "a day back"
row "boot clock 9 min 50 s on" | grep -q "locked until" || fail "ended early"
row "boot clock 10 min 1 s on" | grep -q "not locked | none$" || fail "did not end"
row "after a restart, wall clock 30 days ahead (ordinary lock)" | grep -q "not locked" ||
  fail "an ordinary lock outlived the clock set ahead"
row "after a restart, wall clock 30 days ahead (time on only)" | grep -q "locked until .* | 86[0-3][0-9][0-9]$" ||
  fail "time off counted for a lock of time on only"
echo "ok"
