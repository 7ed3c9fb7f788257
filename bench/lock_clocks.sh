#!/bin/bash
# A lock against the clocks, through the helper's own reading of them (rir-avadera-helper
# --lock-state, run as root in a private mount namespace with a folder of its own): a lock of 10
# minutes with the wall clock set a day forward and back (faketime), its boot clock moved on in a
# time namespace (unshare --time), and a restart (another boot's id in the record) with the wall
# clock 30 days ahead, for an ordinary lock and one that counts only the time the computer is on.
# Prints one row per reading: the clocks, what the helper said, the seconds the record has left.
# (A helper built with AddressSanitizer is told to let faketime's library load first.)
#   bench/lock_clocks.sh [BUILD_DIR]     (root, or a user namespace where it maps root)
set -eu
userns=""
[ "$(id -u)" -eq 0 ] || userns=--map-root-user
build=${1:-build/linux}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/program"
cp "$build/frontend/qt/rir-avadera-helper" "$work/program/"
printf '127.0.0.1 \ta.example a.example.\n::1 \ta.example a.example.\n' >"$work/hosts"
boot_id=$(cat /proc/sys/kernel/random/boot_id)
uptime=$(awk '{ print int($1) }' /proc/uptime)  # the boot clock (CLOCK_BOOTTIME), in seconds

# LEFT ONLY_ON BOOT_ID SINCE_BOOT: a lock's record as the helper writes it, taken now.
record() {
  printf 'rir-avadera-lock 1\nleft=%s\nsince-boot=%s\nwall=%s\ncount-only-on=%s\nboot-id=%s\n' \
    "$1" "$4" "$(date +%s)" "$2" "$3" >"$work/program/lock"
  printf 'rir-avadera-lock-names 1\na.example\nend\n' >"$work/program/lock-names"
}

# WHAT BOOT_OFFSET [faketime OFFSET]: the helper's answer with the boot clock BOOT_OFFSET seconds
# on, and the wall clock moved where an offset is given.
reading() {
  local what=$1 boot=$2
  shift 2
  local said
  said=$(unshare $userns --mount --propagation private --time --boottime "$boot" sh -c \
    'mount --bind "$1" /etc/hosts && shift && exec "$@"' sh "$work/hosts" \
    env FAKETIME_DONT_FAKE_MONOTONIC=1 ASAN_OPTIONS=verify_asan_link_order=0 ${1:+faketime -f "$1"} \
    "$work/program/rir-avadera-helper" --lock-state) || true
  left=$(sed -n 's/^left=//p' "$work/program/lock" 2>/dev/null)
  printf '%-58s | %-48s | %s\n' "$what" "${said:-not locked}" "${left:-none}"
}

printf '%-58s | %-48s | %s\n' "clocks" "the helper says" "seconds left"
record 600 0 "$boot_id" "$uptime"
reading "10 minutes locked, now" 0
reading "wall clock a day forward" 0 "+1d"
reading "wall clock a day back" 0 "-1d"
reading "boot clock 5 minutes on, wall clock a day forward" 300 "+1d"
reading "boot clock 9 min 50 s on, wall clock a day back" 590 "-1d"
reading "boot clock 10 min 1 s on" 601
# A restart: the record's boot is another; the machine has been on 60 s since it started again.
record 86400 0 "an-earlier-boot" 5000
reading "after a restart, wall clock 30 days ahead (ordinary lock)" $((60 - uptime)) "+30d"
record 86400 1 "an-earlier-boot" 5000
reading "after a restart, wall clock 30 days ahead (time on only)" $((60 - uptime)) "+30d"
