#!/usr/bin/env bash
# Whether another program that writes the hosts file slowly keeps every byte it wrote, and how
# soon the blocks are back after its last write. For each run: starts rir-avadera afresh (so that
# no run counts as undoing the last run's put-back), then build/linux/bench/slow_writer writes the
# file without the blocked entries and with a line of its own, in 2 to 10 parts up to 2 s apart,
# holding it open throughout: in place, or into a file renamed over it. Prints, per run, the
# parts, the gap, the seconds from its last write until every blocked entry is back, and whether
# every line it wrote is there; then the worst time. FILLER adds as many lines of another
# program's ahead of the rest.
# Without DEB the build's program runs as root in a private mount namespace whose /etc is
# overlaid by a folder of its own, so it writes the file itself, as the Windows program does.
# With DEB the package is installed in a private copy of this machine
# (tests/packaging/machine_copy.sh) and the program runs there as a desktop user, whose blocks the
# root helper puts back through pkexec; each run first makes a harmless change (a line of another
# program's added, every block kept) and counts the root helpers it started (none is right).
#   bench/slow_writer_reblock.sh [RUNS] [FILLER] [inplace|rename] [DEB]   (default 20, 0, inplace)
set -euo pipefail

user=rirwatch
private=/run/slow-writer
fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# The runs, with the program's own ways of starting (`start_program`, which sets `program`),
# of putting the starting file in place (`fresh_file`), of running a command where the program
# sees the file (`at_file`) and of naming the file as the program sees it (`file_seen`). `out` holds start.hosts and the slow writer.
runs() {
  local runs=$1 filler=$2 mode=$3 worst=0 lost=0 run parts gap flag took kept harmless=""
  for run in $(seq "$runs"); do
    fresh_file
    start_program
    wait_idle "$program"
    [ "$(type -t harmless_change)" = function ] && harmless=$(harmless_change "$run")
    # The other program's text: the blocked entries out, a line of its own in.
    grep -avE "$ours" "$out/start.hosts" >"$out/theirs"
    echo "10.0.0.$run another-program-$run" >>"$out/theirs"
    parts=$((2 + RANDOM % 9))
    gap=$((RANDOM % 2001))
    flag=""
    [ "$mode" = rename ] && flag=--rename
    at_file "$out/slow_writer /etc/hosts $out/theirs $parts $gap $flag"
    local start
    start=$(now)
    took=never
    back_within 30 "$start" "$(file_seen)" && took=$(since "$start")
    # Every line it wrote, in its order: the file without our entries is its text.
    if at_file "grep -avE '$ours' /etc/hosts" | cmp -s - "$out/theirs"; then kept=kept; else
      kept=LOST
      lost=$((lost + 1))
    fi
    printf 'run %2d: %2d parts %4d ms apart: back after %6s s, its text %s%s\n' \
      "$run" "$parts" "$gap" "$took" "$kept" "$harmless"
    if [ "$took" = never ]; then worst=never; elif [ "$worst" != never ] &&
      [ "$(echo "$took > $worst" | bc)" = 1 ]; then worst=$took; fi
    stop_program
  done
  echo "$runs runs ($mode): worst $worst s after the last write; text lost in $lost"
}

# ---- As root, in a private mount namespace.
as_root() {
  local runs=$1 filler=$2 mode=$3 pids=()
  cp build/linux/frontend/qt/rir-avadera "$out/program/"
  (umask 077 && printf '[settings]\r\nfirstrun=no\r\npwd=\r\n' >"$out/program/state.dll")
  trap 'kill "${pids[@]}" 2>/dev/null || true' EXIT
  local display=:$((90 + RANDOM % 100))
  Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
  pids+=($!)
  sleep 1
  fresh_file() {
    rm -rf "$out/sandbox"
    mkdir -p "$out/sandbox/etc"
    cp "$out/start.hosts" "$out/sandbox/etc/hosts"
    touch -d '-1 minute' "$out/sandbox/etc/hosts"
  }
  start_program() {
    DISPLAY=$display scripts/sandbox "$out/sandbox" "$out/program/rir-avadera" >/dev/null 2>&1 &
    starter=$!
    program=""
    for _ in $(seq 100); do
      program=$(pgrep -f "^$out/program/rir-avadera" | head -1) && [ -n "$program" ] && break
      sleep 0.1
    done
    [ -n "$program" ] || fail "the program did not start"
  }
  at_file() { nsenter -t "$program" -m sh -c "$1"; }
  file_seen() { echo "/proc/$program/root/etc/hosts"; }
  stop_program() {
    kill "$program" 2>/dev/null || true
    wait "$starter" 2>/dev/null || true
  }
  runs "$runs" "$filler" "$mode"
}

# ---- As a desktop user, in a private copy of the machine: the first process of its namespaces.
bring_files() { :; }  # the script and its library are read where they lie

inside() {
  local runs=$1 filler=$2 mode=$3 pids=()
  trap 'kill "${pids[@]}" 2>/dev/null || true' EXIT
  copy_machine_setup "$RIR_SLOW_DEB" "$user" bring_files "$RIR_SLOW_OUT"
  (umask 077 && printf '[settings]\r\nfirstrun=no\r\npwd=\r\n' \
    >/opt/tamborelle-rir-avadera/state.dll)
  # The blocks as an Apply with the password left them: the helper keeps its record of them.
  { printf 'rir-avadera-helper 2\nsave-hosts\npassword 0\n\npath 10\n/etc/hosts\nstamp 0\n\n'
    printf 'text %d\n' "$(stat -c %s "$out/start.hosts")" && cat "$out/start.hosts" && echo; } |
    /opt/tamborelle-rir-avadera/rir-avadera-helper >"$out/first-save"
  grep -aqx ok "$out/first-save" || fail "the first save through the helper failed (first-save)"
  local uid
  uid=$(id -u "$user")
  mkdir -p "/run/user/$uid"
  chown "$user:" "/run/user/$uid"
  chmod 700 "/run/user/$uid"
  Xvfb :1 -screen 0 1024x768x24 -nolisten tcp >"$out/xvfb.log" 2>&1 &
  pids+=($!)
  wait_for 10 env DISPLAY=:1 xwininfo -root || fail "Xvfb did not start (xvfb.log)"
  fresh_file() {
    cp "$out/start.hosts" /etc/hosts
    touch -d '-1 minute' /etc/hosts
  }
  start_program() {
    setpriv --reuid="$user" --regid="$user" --init-groups --reset-env \
      env DISPLAY=:1 XDG_RUNTIME_DIR="/run/user/$uid" dbus-run-session -- \
      /opt/tamborelle-rir-avadera/rir-avadera >>"$out/program.log" 2>&1 &
    starter=$!
    program=""
    wait_for 10 pgrep -xu "$user" rir-avadera || fail "the program did not start (program.log)"
    program=$(pgrep -xu "$user" rir-avadera)
  }
  at_file() { sh -c "$1"; }
  file_seen() { echo /etc/hosts; }
  stop_program() {
    kill "$program" 2>/dev/null || true
    wait "$starter" 2>/dev/null || true
  }
  # Each helper the program starts, and what it asks (the copy's /usr is its own).
  mv /usr/bin/pkexec /usr/bin/pkexec.counted
  cat >/usr/bin/pkexec <<'EOF'
#!/bin/bash
{ IFS= read -r greeting && IFS= read -r kind && echo "$kind" >>/run/helpers.log &&
  printf '%s\n%s\n' "$greeting" "$kind" && cat; } | /usr/bin/pkexec.counted "$@"
EOF
  chmod 755 /usr/bin/pkexec
  install -m 666 /dev/null /run/helpers.log
  # A line added as a network manager or a container tool adds one.
  harmless_change() {
    local before asked
    before=$(wc -l </run/helpers.log)
    { cat /etc/hosts && printf '\n10.1.1.%s harmless-%s\n' "$1" "$1"; } >/etc/hosts.other
    mv /etc/hosts.other /etc/hosts
    cp /etc/hosts "$out/harmless"
    sleep 3
    asked=$(tail -n +$((before + 1)) /run/helpers.log | paste -sd, -)
    cmp -s /etc/hosts "$out/harmless" && echo "; harmless change: helpers [$asked], file kept" ||
      echo "; harmless change: helpers [$asked], FILE CHANGED"
  }
  runs "$runs" "$filler" "$mode"
  cp /run/helpers.log "$out/"
}

main() {
  local runs=${1:-20} filler=${2:-0} mode=${3:-inplace} deb=${4:-}
  [ "$(id -u)" = 0 ] || fail "needs root for its private namespaces"
  cd "$here/.."
  cmake --preset linux >/dev/null
  cmake --build --preset linux --target rir-avadera slow_writer >/dev/null
  out=$PWD/build/slow-writer-reblock
  rm -rf "$out"
  mkdir -p "$out/program"
  {
    awk -v n="$filler" 'BEGIN { for (i = 0; i < n; i++) printf "0.0.0.0 filler-%d.example\n", i }'
    cat tests/data/published/public-blocklist.hosts tests/data/program-written.hosts
  } >"$out/start.hosts"
  cp build/linux/bench/slow_writer "$out/"
  echo "hosts file: $(wc -l <"$out/start.hosts") lines, $(du -h "$out/start.hosts" | cut -f1);" \
    "$mode; $([ -n "$deb" ] && echo "a desktop user through the helper" || echo "as root")"
  if [ -z "$deb" ]; then
    as_root "$runs" "$filler" "$mode"
  else
    RIR_SLOW_OUT=$out RIR_SLOW_DEB=$(realpath "$deb") \
      copy_machine_run $((runs * 60 + 120)) "$here/slow_writer_reblock.sh" "$runs" "$filler" \
      "$mode"
  fi
}

here=$(realpath "$(dirname "$0")")
# shellcheck source=bench/put_back_timing.sh
. "$here/put_back_timing.sh"
# shellcheck source=tests/packaging/machine_copy.sh
. "$here/../tests/packaging/machine_copy.sh"

case "${1:-}" in
  --inside)
    shift
    out=$private/out inside "$@"
    ;;
  *) main "$@" ;;
esac
