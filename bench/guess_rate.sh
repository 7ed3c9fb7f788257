#!/usr/bin/env bash
# How many passwords a local user can try through the helper: installs the Debian package in a
# private copy of this machine (tests/packaging/machine_copy.sh), gives it a password, and has
# the copy's unprivileged user run HELPERS loops at once for SECONDS, each starting the helper
# through pkexec, as any local user may, with a new wrong guess each time. Prints how many
# guesses the helper checked (answered "matches"), when, and how many it refused unchecked
# because the count of wrong passwords made them wait. With RIR_GUESS_NO_FILE_SIZE=1 every other
# helper that a guesser starts, through pkexec as a user may set things up before it, may grow no
# file (`ulimit -f 0`, the signal that would say so ignored): a helper that then cannot write the
# count of wrong passwords must neither lose it nor give the next guess a fresh start. Each such
# helper carries a guess too, counted like the others when it is checked. With
# RIR_GUESS_NO_FILE_SIZE=soft the limit is the soft one only (`ulimit -S -f 0`), which a helper
# may lift without CAP_SYS_RESOURCE (some containers' root lacks it).
#   bench/guess_rate.sh DEB [SECONDS] [HELPERS]     (default 3600 s, 64 helpers; root only)
#   RIR_GUESS_NO_FILE_SIZE=1 bench/guess_rate.sh DEB 300 64
set -euo pipefail

user=rirguess
folder=/opt/tamborelle-rir-avadera
private=/run/guess-rate
out=$private/out

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# One attacker: guesses until the time is up; a line for each answer.
guesser() {
  local number=$1 until=$2 no_file_size=$3 limited=0 guess request reply
  while [ "$(date +%s)" -lt "$until" ]; do
    guess="guess-$number-$RANDOM$RANDOM"
    request=$(printf 'rir-avadera-helper 2\ncheck-password\npassword %d\n%s\n' "${#guess}" "$guess")
    [ "$no_file_size" != 0 ] && limited=$((1 - limited))
    # The limit only for pkexec and what it starts: the guesser's own log is a file.
    reply=$(printf '%s\n' "$request" | (
      if [ "$limited" = 1 ] && [ "$no_file_size" = soft ]; then
        ulimit -S -f 0
        trap '' XFSZ
      elif [ "$limited" = 1 ]; then
        ulimit -f 0
        trap '' XFSZ
      fi
      exec pkexec --disable-internal-agent "$folder/rir-avadera-helper"
    ) | tr '\n' ' ') || true
    case "$reply" in
      *"matches 1 "*) echo "$(date +%s.%N) checked" ;;
      *"Too many wrong passwords"* | *"try again in"*) echo "$(date +%s.%N) waited" ;;
      *) echo "$(date +%s.%N) other $reply" ;;
    esac
  done
}

attack() {
  local seconds=$1 helpers=$2 no_file_size=$3 until i
  until=$(($(date +%s) + seconds))
  for ((i = 0; i < helpers; i++)); do
    guesser "$i" "$until" "$no_file_size" >"$out/guesser-$i.log" 2>&1 &
  done
  wait
}

bring_files() {
  cp "$0" "$private/guess_rate.sh"
  cp "$(dirname "$0")/../tests/packaging/machine_copy.sh" "$private/machine_copy.sh"
}

inside() {
  local seconds=$1 helpers=$2 no_file_size=$3 pids=()
  trap 'kill "${pids[@]}" 2>/dev/null || true' EXIT
  copy_machine_setup "$RIR_GUESS_DEB" "$user" bring_files "$RIR_GUESS_OUT"
  # A password as the program stores it: a salted hash, so each checked guess costs its hash.
  local stored
  stored=$(python3 -c 'import base64, hashlib, os
salt = os.urandom(16)
b64 = lambda b: base64.b64encode(b).decode().rstrip("=")
print("pbkdf2-sha256$600000$" + b64(salt) + "$" + b64(hashlib.pbkdf2_hmac("sha256", b"right horse", salt, 600000)))')
  (umask 077 && printf '[settings]\r\nfirstrun=no\r\npwd=%s\r\n' "$stored" >"$folder/state.dll")
  chown "$user:" "$out"
  setpriv --reuid="$user" --regid="$user" --init-groups --reset-env \
    bash "$private/guess_rate.sh" --attack "$seconds" "$helpers" "$no_file_size"
}

main() {
  [ $# -ge 1 ] && [ $# -le 3 ] || { echo "usage: $0 DEB [SECONDS] [HELPERS]" >&2; exit 2; }
  [ "$(id -u)" = 0 ] || fail "needs root for its private copy of the machine"
  local deb seconds=${2:-3600} helpers=${3:-64} no_file_size=${RIR_GUESS_NO_FILE_SIZE:-0} logs
  deb=$(realpath "$1")
  logs=$(mktemp -d)
  local started
  started=$(date +%s)
  RIR_GUESS_OUT=$logs RIR_GUESS_DEB=$deb \
    copy_machine_run $((seconds + 120)) "$(realpath "$0")" "$seconds" "$helpers" "$no_file_size" ||
    fail "the copy ended with status $? (logs in $logs)"
  cat "$logs"/guesser-*.log | sort -n >"$logs/answers.log"
  local first checked waited other
  first=$(awk 'NR == 1 {print $1}' "$logs/answers.log")
  checked=$(grep -c ' checked$' "$logs/answers.log" || true)
  waited=$(grep -c ' waited$' "$logs/answers.log" || true)
  other=$(grep -c ' other ' "$logs/answers.log" || true)
  local started_with=""
  [ "$no_file_size" = 1 ] && started_with=", every other one with ulimit -f 0 and SIGXFSZ ignored"
  [ "$no_file_size" = soft ] &&
    started_with=", every other one with ulimit -S -f 0 and SIGXFSZ ignored"
  echo "$helpers helpers at once for $seconds s through pkexec$started_with: $checked guesses checked," \
    "$waited refused unchecked (wait not over), $other other answers; $(cpu_count) cores"
  if [ "$other" -gt 0 ]; then
    echo "the other answers, most frequent first:"
    sed -n 's/^[0-9.]* other //p' "$logs/answers.log" | sort | uniq -c | sort -rn | head -3
  fi
  echo "checked guesses, seconds after the first answer:"
  awk -v first="$first" '/ checked$/ {printf " %.1f", $1 - first} END {print ""}' \
    "$logs/answers.log"
  echo "logs: $logs (took $(($(date +%s) - started)) s)"
}

cpu_count() { nproc; }

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
