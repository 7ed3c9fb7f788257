#!/bin/bash
# When the keeper switches a scheduled entry, against the schedule's change: the helper's keeping
# mode (rir-avadera-helper --keep, as root in a private mount namespace, /etc/hosts the bench's
# file, the program closed), its wall clock set by faketime, and the hosts file watched until the
# entry's lines change. Cases: a morning start and the end of a range past midnight (Europe/Berlin,
# keeper started at an odd second before the change); a start in the hour lost to summer time
# (02:30 on 2026-03-29, shown first at 03:00); the wall clock set forward while the keeper runs;
# and the system's zone changed while it runs (/etc/localtime, TZ unset). Prints per case the
# keeper's local time at the switch and the seconds past the change (for the last two: past the
# moment the clock or the zone was changed).
#   bench/schedule_switch.sh [BUILD_DIR]     (root, or a user namespace where it maps root)
set -eu
userns=""
[ "$(id -u)" -eq 0 ] || userns=--map-root-user
build=${1:-build/linux}
work=$(mktemp -d)
trap 'pkill -TERM -f "$work/program/rir-avadera-helper --keep" || true; rm -rf "$work"' EXIT
mkdir "$work/program"
cp "$build/frontend/qt/rir-avadera-helper" "$work/program/"
blocked=$'127.0.0.1 \ta.example a.example.\n::1 \ta.example a.example.\n'
allowed=$'#127.0.0.1 \ta.example a.example.\n#::1 \ta.example a.example.\n'

# Inside the namespace: $1 hosts file, $2 helper, $3 expected text, $4 seconds before EVENT,
# $5 EVENT (a shell command, may be ":"); the keeper's environment is the caller's. Prints the
# real seconds from the start (or from the event) to the switch, or "none".
inner='
  mount --bind "$1" /etc/hosts || exit 1
  "$2" --keep & keeper=$!
  from=$(date +%s.%N)
  if [ "$4" -gt 0 ]; then sleep "$4"; eval "$5"; from=$(date +%s.%N); fi
  took=none
  for _ in $(seq 1 3000); do
    if [ "$(cat /etc/hosts)" = "$(printf "127.0.0.1 localhost\n%s" "$3")" ]; then
      took=$(echo "$(date +%s.%N) - $from" | bc); break
    fi
    sleep 0.1
  done
  pkill -TERM -f "$2 --keep"; wait "$keeper"
  echo "$took"'

# WHAT RANGE FIRST EXPECTED ZONE CLOCK SECONDS_TO_EVENT EVENT: runs a case; CLOCK is the
# keeper's faketime offset from the real clock, in seconds; ZONE its TZ ("" for the system's).
run_case() {
  local what=$1 range=$2 first=$3 expected=$4 zone=$5 clock=$6 delay=$7 event=$8
  # A folder of its own each time: what an earlier case's save recorded as blocked would be put back.
  find "$work/program" -mindepth 1 ! -name rir-avadera-helper -delete
  printf 'rir-avadera-schedule 1\nrange %s\nname a.example\nend\n' "$range" >"$work/program/schedule"
  printf '127.0.0.1 localhost\n%s' "$first" >"$work/hosts"
  printf '%+ds' "$clock" >"$work/clock"
  unshare $userns --mount --propagation private env ${zone:+TZ=$zone} \
    FAKETIME_TIMESTAMP_FILE="$work/clock" FAKETIME_CACHE_DURATION=1 FAKETIME_DONT_FAKE_MONOTONIC=1 \
    LD_PRELOAD=/usr/lib/x86_64-linux-gnu/faketime/libfaketime.so.1 \
    ASAN_OPTIONS=verify_asan_link_order=0 \
    sh -c "$inner" sh "$work/hosts" "$work/program/rir-avadera-helper" "$expected" "$delay" "$event"
}

# The faketime offset that puts the clock at LOCAL (in ZONE) now.
offset_to() { echo $(($(TZ=$2 date -d "$1" +%s) - $(date +%s))); }

report() {  # WHAT SECONDS_FROM_START_OR_EVENT CHANGE_DELAY
  local what=$1 took=$2 before=$3
  if [ "$took" = none ]; then
    printf '%-52s | not switched within 5 minutes\n' "$what"
  else
    printf '%-52s | %6.1f s after the change\n' "$what" "$(echo "$took - $before" | bc)"
  fi
}

printf '%-52s | %s\n' "case" "switched"
took=$(run_case "" "Mon 09:00-17:00" "$allowed" "$blocked" Europe/Berlin \
  "$(offset_to "2026-12-14 08:59:37" Europe/Berlin)" 0 :)
report "Mon 09:00-17:00: blocked at Mon 09:00" "$took" 23
took=$(run_case "" "Fri 22:00-02:00" "$blocked" "$allowed" Europe/Berlin \
  "$(offset_to "2026-12-19 01:59:41" Europe/Berlin)" 0 :)
report "Fri 22:00-02:00: allowed at Sat 02:00" "$took" 19
took=$(run_case "" "Sun 02:30-05:00" "$allowed" "$blocked" Europe/Berlin \
  "$(offset_to "2026-03-29 01:59:33" Europe/Berlin)" 0 :)
report "Sun 02:30-05:00 on 2026-03-29: blocked at 03:00 CEST" "$took" 27
# The clock goes from Mon 07:00 to Mon 09:30 12 seconds after the keeper starts (its first look
# comes some seconds after its start).
took=$(run_case "" "Mon 09:00-17:00" "$allowed" "$blocked" Europe/Berlin \
  "$(offset_to "2026-12-14 07:00:00" Europe/Berlin)" 12 \
  "printf '%+ds' $(($(offset_to "2026-12-14 09:30:00" Europe/Berlin) - 12)) >$work/clock")
report "clock set from Mon 07:00 to 09:30 while it runs" "$took" 0
# Mon 07:30 UTC is 16:30 in Tokyo: the zone changes 12 seconds after the start.
took=$(run_case "" "Mon 09:00-17:00" "$allowed" "$blocked" "" \
  "$(offset_to "2026-12-14 07:30:00" UTC)" 12 \
  "mount --bind /usr/share/zoneinfo/Asia/Tokyo /etc/localtime")
report "zone from UTC to Asia/Tokyo while it runs (16:30)" "$took" 0
