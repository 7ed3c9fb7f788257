#!/usr/bin/env bash
# How soon the system's keeper puts back a locked entry that another program takes out, with the
# program never started. Linux: the helper's keeping mode (rir-avadera-helper --keep, as the
# keeper's unit runs it) as root in a private mount namespace, /etc/hosts bound to a file of its
# own. Wine: RirAvaderaKeeper.exe --keep in a private prefix. The file is the program's entries
# after a published list; each round another program rewrites it without the blocks (a plain
# write, which the keeper leaves alone for its quiet time of 1 s), and the seconds until all are
# back are printed; then the minimum, median and maximum. Rounds are 61 s apart: blocks undone
# again within a minute of a put-back are taken for a program that rewrites the file in a loop,
# and the keeper's next try waits.
#   bench/keeper_put_back.sh linux|wine [ROUNDS]     (root for linux; default 6 rounds)
set -euo pipefail
cd "$(dirname "$0")/.."
kind=${1:-linux}
rounds=${2:-6}
# shellcheck source=bench/put_back_timing.sh
. bench/put_back_timing.sh
out=$PWD/build/keeper-put-back-$kind
rm -rf "$out"
mkdir -p "$out/program"
hosts_text() { cat tests/data/published/public-blocklist.hosts tests/data/program-written.hosts; }
names='rir-avadera-lock-names 1\nfacebook.com\nwww.facebook.com\nyoutube.com\nend\n'
pids=()
cleanup() { for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done; }
trap cleanup EXIT

if [ "$kind" = linux ]; then
  cp build/linux/frontend/qt/rir-avadera-helper "$out/program/"
  hosts=$out/hosts
  hosts_text >"$hosts"
  # The lock's record, as a lock of a day taken now leaves it.
  printf 'rir-avadera-lock 1\nleft=86400\nsince-boot=%s\nwall=%s\ncount-only-on=0\nboot-id=%s\n' \
    "$(awk '{ print int($1) }' /proc/uptime)" "$(date +%s)" \
    "$(cat /proc/sys/kernel/random/boot_id)" >"$out/program/lock"
  printf "$names" >"$out/program/lock-names"
  unshare --mount --propagation private sh -c \
    'mount --bind "$1" /etc/hosts && exec "$2" --keep' sh "$hosts" \
    "$out/program/rir-avadera-helper" &
  pids+=($!)
else
  export WINEPREFIX=$out/wineprefix WINEDEBUG=-all
  cp build/windows/helper/RirAvaderaKeeper.exe "$out/program/"
  wine wineboot -i >/dev/null 2>&1
  hosts=$WINEPREFIX/drive_c/windows/system32/drivers/etc/hosts
  hosts_text >"$hosts"
  printf "$names" >"$out/program/blocked-entries"
  wine "$out/program/RirAvaderaKeeper.exe" --keep &
  pids+=($!)
fi
sleep 3 # its start, and its first look

times=()
for _ in $(seq "$rounds"); do
  start=$(now)
  hosts_text | grep -avE "$ours" >"$hosts.new"
  cat "$hosts.new" >"$hosts"
  if back_within 30 "$start" "$hosts"; then times+=("$(since "$start")"); else times+=(never); fi
  sleep 61
done
echo "seconds until back, $rounds rounds: ${times[*]}"
printf '%s\n' "${times[@]}" | grep -v never | sort -n |
  awk '{ t[NR] = $1 } END { printf "min %.2f, median %.2f, max %.2f\n", t[1], t[int((NR + 1) / 2)], t[NR] }'
