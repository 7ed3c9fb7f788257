#!/usr/bin/env bash
# Whether a helper that a user starts with SIGALRM ignored still ends on its own: installs the
# Debian package in a private copy of this machine (tests/packaging/machine_copy.sh), and has the
# copy's unprivileged user start HELPERS helpers at once through pkexec, as any local user may,
# each from a shell that ignores SIGALRM (`trap '' ALRM`) and each with its standard input held
# open and no request sent. Once all have started, it waits SECONDS (default 130, past the
# helper's own 120 s) and counts the helper processes still alive, and the root ones among them.
#   bench/ignored_alarm.sh DEB [HELPERS] [SECONDS]     (default 100 helpers, 130 s; root only)
set -euo pipefail

user=rirwait
folder=/opt/tamborelle-rir-avadera
helper=$folder/rir-avadera-helper
private=/run/ignored-alarm
out=$private/out
most_start_seconds=60

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# The user: starts the helpers and leaves them waiting for a request that never comes; the
# writer of each one's input outlives the count. It stays their parent: pkexec serves no
# process whose parent has gone.
attack() {
  local helpers=$1 hold=$2 i
  for ((i = 0; i < helpers; i++)); do
    sleep "$hold" | (
      trap '' ALRM
      exec pkexec --disable-internal-agent "$helper"
    ) >"$out/helper-$i.log" 2>&1 &
  done
  wait
}

# Helper processes alive, as "count root-count" (the copy's processes only: its own PID
# namespace; a process's name is cut to 15 characters).
count_helpers() {
  ps -e -o uid=,comm= |
    awk -v name="${helper##*/}" '$2 == substr(name, 1, 15) {n++; if ($1 == 0) r++} END {print n + 0, r + 0}'
}

bring_files() {
  cp "$0" "$private/ignored_alarm.sh"
  cp "$(dirname "$0")/../tests/packaging/machine_copy.sh" "$private/machine_copy.sh"
}

inside() {
  local helpers=$1 seconds=$2 pids=()
  trap 'kill "${pids[@]}" 2>/dev/null || true' EXIT
  copy_machine_setup "$RIR_ALARM_DEB" "$user" bring_files "$RIR_ALARM_OUT"
  chown "$user:" "$out"
  local began
  began=$(date +%s.%N)
  setpriv --reuid="$user" --regid="$user" --init-groups --reset-env \
    bash "$private/ignored_alarm.sh" --attack "$helpers" $((seconds + most_start_seconds + 30)) &
  # Counted from when the last of them is seen running.
  local until=$(($(date +%s) + most_start_seconds)) alive root
  read -r alive root < <(count_helpers)
  while [ "$alive" -lt "$helpers" ] && [ "$(date +%s)" -lt "$until" ]; do
    sleep 0.1
    read -r alive root < <(count_helpers)
  done
  local started
  started=$(date +%s.%N)
  echo "$alive $root $(awk -v a="$began" -v b="$started" 'BEGIN {printf "%.1f", b - a}')" \
    >"$out/started"
  sleep "$seconds"
  read -r alive root < <(count_helpers)
  echo "$alive $root" >"$out/after"
  ps -e -o pid=,user=,etimes=,stat=,args= >"$out/processes.log"
}

main() {
  [ $# -ge 1 ] && [ $# -le 3 ] || { echo "usage: $0 DEB [HELPERS] [SECONDS]" >&2; exit 2; }
  [ "$(id -u)" = 0 ] || fail "needs root for its private copy of the machine"
  local deb helpers=${2:-100} seconds=${3:-130} logs started
  deb=$(realpath "$1")
  logs=$(mktemp -d)
  started=$(date +%s)
  RIR_ALARM_OUT=$logs RIR_ALARM_DEB=$deb \
    copy_machine_run $((seconds + most_start_seconds + 120)) "$(realpath "$0")" "$helpers" \
    "$seconds" || fail "the copy ended with status $? (logs in $logs)"
  [ -f "$logs/after" ] || fail "no count was made (logs in $logs)"
  local alive root took
  read -r alive root took <"$logs/started"
  echo "$helpers helpers started through pkexec with SIGALRM ignored: $alive running" \
    "($root as root) $took s after the first was started"
  read -r alive root <"$logs/after"
  echo "$seconds s later: $alive helpers alive ($root as root)"
  echo "logs: $logs (took $(($(date +%s) - started)) s)"
}

# shellcheck source=tests/packaging/machine_copy.sh
if [ -f "$(dirname "$0")/machine_copy.sh" ]; then
  . "$(dirname "$0")/machine_copy.sh"
else
  . "$(dirname "$0")/../tests/packaging/machine_copy.sh"
fi

case "${1:-}" in
  --inside) shift && inside "$@" ;;
  --attack) shift && attack "$@" ;;
  *) main "$@" ;;
esac
