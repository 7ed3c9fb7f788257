#!/bin/bash
# The Windows keeper's switch of a scheduled entry under Wine, against the schedule's change:
# RirAvaderaKeeper.exe --keep in a private prefix (the program closed), Wine's clock set by
# faketime (wineserver and the keeper alike), its zone Europe/Berlin (Wine takes TZ when it
# starts), and the prefix's hosts file watched until the entry's lines change. Cases: a morning
# start, the end of a range past midnight, a start in the hour lost to summer time (02:30 on
# 2026-03-29, shown first at 03:00), and the clock set forward while the keeper runs. Prints the
# seconds past each change (or past the clock's move) at which the file changed.
#   bench/schedule_switch_wine.sh [BUILD_DIR]
set -eu
build=${1:-build/windows}
work=$(mktemp -d)
export WINEPREFIX=$work/prefix WINEDEBUG=-all TZ=Europe/Berlin
export FAKETIME_TIMESTAMP_FILE=$work/clock FAKETIME_CACHE_DURATION=1 FAKETIME_DONT_FAKE_MONOTONIC=1
trap 'wineserver -k 2>/dev/null || true; rm -rf "$work"' EXIT
mkdir "$work/program"
cp "$build/helper/RirAvaderaKeeper.exe" "$work/program/"
printf '+0s' >"$work/clock"
LD_PRELOAD=/usr/lib/x86_64-linux-gnu/faketime/libfaketime.so.1 wineboot -i >/dev/null 2>&1
wineserver -w
# A clock set elsewhere makes Wine take the prefix for an old one and set it up again, hosts file
# and all: told not to.
echo disable >"$WINEPREFIX/.update-timestamp"
hosts=$WINEPREFIX/drive_c/windows/system32/drivers/etc/hosts
blocked=$'127.0.0.1 \ta.example a.example.\r\n::1 \ta.example a.example.\r\n'
allowed=$'#127.0.0.1 \ta.example a.example.\r\n#::1 \ta.example a.example.\r\n'

offset_to() { echo $(($(date -d "$1" +%s) - $(date +%s))); }

# WHAT RANGE FIRST EXPECTED START_LOCAL SECONDS_TO_CHANGE [MOVE_AFTER MOVE_TO_LOCAL]
run_case() {
  local what=$1 range=$2 first=$3 expected=$4 start=$5 before=$6 move_after=${7:-} move_to=${8:-}
  # A folder of its own each time: what an earlier case's save recorded as blocked would be put back.
  find "$work/program" -mindepth 1 ! -name RirAvaderaKeeper.exe -delete
  printf 'rir-avadera-schedule 1\nrange %s\nname a.example\nend\n' "$range" >"$work/program/schedule"
  printf '127.0.0.1 localhost\r\n%s' "$first" >"$hosts"
  printf '%+ds' "$(offset_to "$start")" >"$work/clock"
  local began
  began=$(date +%s.%N)
  LD_PRELOAD=/usr/lib/x86_64-linux-gnu/faketime/libfaketime.so.1 \
    wine "$work/program/RirAvaderaKeeper.exe" --keep >/dev/null 2>&1 &
  if [ -n "$move_after" ]; then
    sleep "$move_after"
    printf '%+ds' "$(($(offset_to "$move_to") - move_after))" >"$work/clock"
    began=$(date +%s.%N)
    before=0
  fi
  local took=none
  for _ in $(seq 1 3000); do
    if [ "$(cat "$hosts")" = "$(printf '127.0.0.1 localhost\r\n%s' "$expected")" ]; then
      took=$(echo "$(date +%s.%N) - $began - $before" | bc)
      break
    fi
    sleep 0.1
  done
  wineserver -k 2>/dev/null || true
  wineserver -w 2>/dev/null || true
  if [ "$took" = none ]; then
    printf '%-52s | not switched within 5 minutes\n' "$what"
  else
    printf '%-52s | %6.1f s after the change\n' "$what" "$took"
  fi
}

printf '%-52s | %s\n' "case (Wine, Europe/Berlin)" "switched"
run_case "Mon 09:00-17:00: blocked at Mon 09:00" "Mon 09:00-17:00" "$allowed" "$blocked" \
  "2026-12-14 08:59:37" 23
run_case "Fri 22:00-02:00: allowed at Sat 02:00" "Fri 22:00-02:00" "$blocked" "$allowed" \
  "2026-12-19 01:59:41" 19
run_case "Sun 02:30-05:00 on 2026-03-29: blocked at 03:00 CEST" "Sun 02:30-05:00" "$allowed" \
  "$blocked" "2026-03-29 01:59:33" 27
run_case "clock set from Mon 07:00 to 09:30 while it runs" "Mon 09:00-17:00" "$allowed" \
  "$blocked" "2026-12-14 07:00:00" 0 20 "2026-12-14 09:30:00"
