#!/usr/bin/env bash
# How soon the running program puts back the blocks that another program took out of the hosts
# file. Starts rir-avadera (the build's, run as root in a private mount namespace whose /etc is
# overlaid by a folder of its own, so it writes the file itself, as the Windows program does) on
# a virtual X display, with a published block list ahead of the program's lines, and then, as
# another process in the same namespace, changes the file in each way a user or another program
# does. Prints, for each, the seconds until every blocked entry is back, and whether the other
# program's line survived; then a change that leaves the blocks alone (nothing may be written)
# and a loop of rewrites (when the program put the blocks back). FILLER adds as many lines of
# another program's ahead of the rest, for a file of any size.
#   bench/reblock_time.sh [LOOP_SECONDS] [FILLER]     (default 180 s, 0 lines; root only)
set -euo pipefail
cd "$(dirname "$0")/.."
loop_seconds=${1:-180}
filler=${2:-0}

cmake --preset linux >/dev/null
cmake --build --preset linux --target rir-avadera >/dev/null
out=$PWD/build/reblock-time
rm -rf "$out"
mkdir -p "$out/program" "$out/sandbox/etc"
cp build/linux/frontend/qt/rir-avadera "$out/program/"
(umask 077 && printf '[settings]\r\nfirstrun=no\r\npwd=\r\n' >"$out/program/state.dll")
{
  awk -v n="$filler" 'BEGIN { for (i = 0; i < n; i++) printf "0.0.0.0 filler-%d.example\n", i }'
  cat tests/data/published/public-blocklist.hosts tests/data/program-written.hosts
} >"$out/sandbox/etc/hosts"
echo "hosts file: $(wc -l <"$out/sandbox/etc/hosts") lines, $(du -h "$out/sandbox/etc/hosts" | cut -f1)"

pids=()
cleanup() { for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done; }
trap cleanup EXIT
display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
sleep 1
DISPLAY=$display scripts/sandbox "$out/sandbox" "$out/program/rir-avadera" >/dev/null 2>&1 &
pids+=($!)
program=""
for _ in $(seq 100); do
  program=$(pgrep -f "^$out/program/rir-avadera" | head -1) && [ -n "$program" ] && break
  sleep 0.1
done
[ -n "$program" ] || { echo "reblock_time: the program did not start" >&2; exit 1; }
sleep 3 # its first look at the file

# What the watch costs while nothing changes: the program's processor time over 30 s.
cpu() { awk '{ print $14 + $15 }' "/proc/$program/stat"; }
before=$(cpu)
sleep 30
echo "idle for 30 s: $((($(cpu) - before) * 1000 / $(getconf CLK_TCK))) ms of processor time"

# Runs a command in the program's namespace, where /etc/hosts is the sandbox's.
inside() { nsenter -t "$program" -m sh -c "$1"; }
blocked='facebook.com|www.facebook.com|youtube.com'
# Every blocked entry in the file, both lines, uncommented.
all_blocked() {
  inside "grep -acE '^(127\.0\.0\.1|::1) +	($blocked) ' /etc/hosts" | grep -qx 6
}
# Seconds from now until every blocked entry is back, or "never" after 30 s.
time_to_blocked() {
  local start now
  start=$(date +%s.%N)
  while ! all_blocked; do
    now=$(date +%s.%N)
    if [ "$(echo "$now - $start > 30" | bc)" = 1 ]; then
      echo never
      return
    fi
    sleep 0.05
  done
  echo "$(date +%s.%N) - $start" | bc | xargs printf '%.2f'
}
kept() { inside "grep -aq 'another-program' /etc/hosts" && echo kept || echo LOST; }

# Each change, as a shell command inside the namespace; each adds a line of its own.
report() {
  local what=$1 change=$2
  inside "$change"
  printf '%-44s back after %6s s, its line %s\n' "$what" "$(time_to_blocked)" "$(kept)"
  sleep 65 # past the minute in which an undo counts as a loop
}
report "removed, by rename" \
  "grep -avE '	($blocked) ' /etc/hosts >/etc/hosts.new; echo '10.0.0.1 another-program' >>/etc/hosts.new; mv /etc/hosts.new /etc/hosts"
report "commented out, in place" \
  "sed -E 's/^(127|::1)(.*	($blocked) )/#\1\2/' /etc/hosts >/tmp/h; echo '10.0.0.2 another-program' >>/tmp/h; cat /tmp/h >/etc/hosts"
report "rewritten (entries to 0.0.0.0), by rename" \
  "sed -E 's/^(127\.0\.0\.1|::1)( +	($blocked) )/0.0.0.0\2/' /etc/hosts >/etc/hosts.new; echo '10.0.0.3 another-program' >>/etc/hosts.new; mv /etc/hosts.new /etc/hosts"
report "reset to the system's default, by rename" \
  "printf '127.0.0.1\tlocalhost\n::1\tlocalhost ip6-localhost ip6-loopback\n10.0.0.4 another-program\n' >/etc/hosts.new; mv /etc/hosts.new /etc/hosts"

# A change that leaves every block in place: the file stays as the other program left it.
inside "echo '10.0.0.5 another-program' >>/etc/hosts; cp /etc/hosts /tmp/left"
sleep 12
inside "cmp -s /etc/hosts /tmp/left" && echo "blocks left in place: nothing written" ||
  echo "blocks left in place: the program WROTE the file"

# A loop that takes the blocks out every second (they are in place when it starts).
start=$(date +%s)
until=$((start + loop_seconds))
times=()
while [ "$(date +%s)" -lt "$until" ]; do
  if all_blocked; then
    [ ${#times[@]} -eq 0 ] || times+=("$(($(date +%s) - start))")
    [ ${#times[@]} -gt 0 ] || times+=(start)
    inside "grep -avE '	($blocked) ' /etc/hosts >/etc/hosts.new; mv /etc/hosts.new /etc/hosts"
  fi
  sleep 1
done
echo "a loop of rewrites every second for $loop_seconds s: the blocks put back at ${times[*]:1} s"
