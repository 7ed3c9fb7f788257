#!/usr/bin/env bash
# Whether another program that writes the hosts file slowly keeps every byte it wrote, and how
# soon the blocks are back after its last write. For each run: starts rir-avadera afresh (the
# build's, as root in a private mount namespace whose /etc is overlaid by a folder of its own, so
# it writes the file itself, as the Windows program does; a fresh start, so that no run counts as
# undoing the last run's put-back), then build/linux/bench/slow_writer, in the same namespace,
# writes the file without the blocked entries and with a line of its own, in 2 to 10 parts up to
# 2 s apart, holding it open throughout: in place, or into a file renamed over it. Prints, per
# run, the parts, the gap, the seconds from its last write until every blocked entry is back, and
# whether every line it wrote is there; then the worst time. FILLER adds as many lines of another
# program's ahead of the rest.
#   bench/slow_writer_reblock.sh [RUNS] [FILLER] [inplace|rename]   (default 20, 0, inplace; root)
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-20}
filler=${2:-0}
mode=${3:-inplace}

cmake --preset linux >/dev/null
cmake --build --preset linux --target rir-avadera slow_writer >/dev/null
out=$PWD/build/slow-writer-reblock
rm -rf "$out"
mkdir -p "$out/program"
cp build/linux/frontend/qt/rir-avadera "$out/program/"
writer=$PWD/build/linux/bench/slow_writer
(umask 077 && printf '[settings]\r\nfirstrun=no\r\npwd=\r\n' >"$out/program/state.dll")
{
  awk -v n="$filler" 'BEGIN { for (i = 0; i < n; i++) printf "0.0.0.0 filler-%d.example\n", i }'
  cat tests/data/published/public-blocklist.hosts tests/data/program-written.hosts
} >"$out/start.hosts"
echo "hosts file: $(wc -l <"$out/start.hosts") lines, $(du -h "$out/start.hosts" | cut -f1); $mode"
blocked='facebook.com|www.facebook.com|youtube.com'
ours="^(#?127\.0\.0\.1|#?::1) +	($blocked) "

pids=()
cleanup() { for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done; }
trap cleanup EXIT
display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
sleep 1

worst=0
lost=0
for run in $(seq "$runs"); do
  rm -rf "$out/sandbox"
  mkdir -p "$out/sandbox/etc"
  cp "$out/start.hosts" "$out/sandbox/etc/hosts"
  touch -d '-1 minute' "$out/sandbox/etc/hosts"
  DISPLAY=$display scripts/sandbox "$out/sandbox" "$out/program/rir-avadera" >/dev/null 2>&1 &
  starter=$!
  program=""
  for _ in $(seq 100); do
    program=$(pgrep -f "^$out/program/rir-avadera" | head -1) && [ -n "$program" ] && break
    sleep 0.1
  done
  [ -n "$program" ] || { echo "slow_writer_reblock: the program did not start" >&2; exit 1; }
  sleep $((3 + filler / 200000)) # its load and first look
  inside() { nsenter -t "$program" -m sh -c "$1"; }
  # The other program's text: the blocked entries out, a line of its own in.
  grep -avE "$ours" "$out/start.hosts" >"$out/theirs"
  echo "10.0.0.$run another-program-$run" >>"$out/theirs"
  parts=$((2 + RANDOM % 9))
  gap=$((RANDOM % 2001))
  flag=""
  [ "$mode" = rename ] && flag=--rename
  inside "$writer /etc/hosts $out/theirs $parts $gap $flag"
  start=$(date +%s.%N)
  took=never
  while :; do
    if [ "$(inside "grep -acE '^(127\.0\.0\.1|::1) +	($blocked) ' /etc/hosts")" = 6 ]; then
      took=$(echo "$(date +%s.%N) - $start" | bc | xargs printf '%.2f')
      break
    fi
    [ "$(echo "$(date +%s.%N) - $start > 30" | bc)" = 1 ] && break
    sleep 0.05
  done
  # Every line it wrote, in its order: the file without our entries is its text.
  if inside "grep -avE '$ours' /etc/hosts" | cmp -s - "$out/theirs"; then kept=kept; else
    kept=LOST
    lost=$((lost + 1))
  fi
  printf 'run %2d: %2d parts %4d ms apart: back after %6s s, its text %s\n' \
    "$run" "$parts" "$gap" "$took" "$kept"
  if [ "$took" = never ]; then worst=never; elif [ "$worst" != never ] &&
    [ "$(echo "$took > $worst" | bc)" = 1 ]; then worst=$took; fi
  kill "$program" 2>/dev/null || true
  wait "$starter" 2>/dev/null || true
done
echo "$runs runs ($mode): worst $worst s after the last write; text lost in $lost"
