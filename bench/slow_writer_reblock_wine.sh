#!/usr/bin/env bash
# bench/slow_writer_reblock.sh for the Windows program under Wine: RirAvadera.exe in a Wine prefix
# of its own (its hosts file is the prefix's), started afresh for each run, and the other program
# build/windows/bench/slow_writer.exe, a Windows program, so that the system sees it hold the file
# open. Same output.
#   bench/slow_writer_reblock_wine.sh [RUNS] [FILLER] [inplace|rename]   (default 20, 0, inplace)
set -euo pipefail
cd "$(dirname "$0")/.."
# shellcheck source=bench/put_back_timing.sh
. bench/put_back_timing.sh
runs=${1:-20}
filler=${2:-0}
mode=${3:-inplace}

cmake --build --preset windows --target RirAvadera slow_writer >/dev/null
out=$PWD/build/slow-writer-wine
mkdir -p "$out"
export WINEPREFIX=$out/wineprefix WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
# A new prefix goes on setting itself up after wineboot returns; the first run would pay for it.
[ -d "$WINEPREFIX" ] || { wineboot -i >/dev/null 2>&1 && wineserver -w; }
folder=$WINEPREFIX/drive_c/rir
hosts=$WINEPREFIX/drive_c/windows/system32/drivers/etc/hosts
mkdir -p "$folder"
cp build/windows/frontend/win32/RirAvadera.exe build/windows/bench/slow_writer.exe "$folder/"
printf '[settings]\r\nfirstrun=no\r\npwd=\r\n' >"$folder/state.dll"
{
  awk -v n="$filler" 'BEGIN { for (i = 0; i < n; i++) printf "0.0.0.0 filler-%d.example\n", i }'
  cat tests/data/published/public-blocklist.hosts tests/data/program-written.hosts
} >"$out/start.hosts"
echo "hosts file: $(wc -l <"$out/start.hosts") lines, $(du -h "$out/start.hosts" | cut -f1); $mode"

pids=()
cleanup() { for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done; wineserver -k || true; }
trap cleanup EXIT
display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
sleep 1

worst=0
lost=0
for run in $(seq "$runs"); do
  cp "$out/start.hosts" "$hosts"
  touch -d '-1 minute' "$hosts"
  DISPLAY=$display wine 'C:\rir\RirAvadera.exe' >/dev/null 2>&1 &
  sleep 2
  wait_idle "$(pgrep -f 'RirAvadera.exe' | head -1)"
  grep -avE "$ours" "$out/start.hosts" >"$out/theirs"
  echo "10.0.0.$run another-program-$run" >>"$out/theirs"
  parts=$((2 + RANDOM % 9))
  gap=$((RANDOM % 2001))
  flag=""
  [ "$mode" = rename ] && flag=--rename
  wine 'C:\rir\slow_writer.exe' 'C:\windows\system32\drivers\etc\hosts' "Z:$out/theirs" \
    "$parts" "$gap" $flag
  start=$(now)
  took=never
  back_within 30 "$start" "$hosts" && took=$(since "$start")
  if grep -avE "$ours" "$hosts" | cmp -s - "$out/theirs"; then kept=kept; else
    kept=LOST
    lost=$((lost + 1))
  fi
  printf 'run %2d: %2d parts %4d ms apart: back after %6s s, its text %s\n' \
    "$run" "$parts" "$gap" "$took" "$kept"
  if [ "$took" = never ]; then worst=never; elif [ "$worst" != never ] &&
    [ "$(echo "$took > $worst" | bc)" = 1 ]; then worst=$took; fi
  wineserver -k || true
  sleep 1
done
echo "$runs runs ($mode, Wine): worst $worst s after the last write; text lost in $lost"
