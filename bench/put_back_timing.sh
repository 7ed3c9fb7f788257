# What the put-back benches share: the blocked entries of tests/data/program-written.hosts, and
# how long they take to come back. Sourced, not run.
# shellcheck shell=bash
blocked='facebook.com|www.facebook.com|youtube.com'
# shellcheck disable=SC2034 # the lines of ours, for the benches that source this
ours="^(#?127\.0\.0\.1|#?::1) +	($blocked) "

now() { date +%s.%N; }
since() { echo "$(now) - $1" | bc | xargs printf '%.2f'; }

# Whether every blocked entry is in FILE within SECONDS of START: read again only when its stamp
# changed, so that the looks cost the program being timed little.
back_within() {
  local seconds=$1 start=$2 file=$3 stamp last=""
  while [ "$(echo "$(now) - $start < $seconds" | bc)" = 1 ]; do
    stamp=$(stat -c '%y %s %i' "$file" 2>/dev/null || true)
    if [ "$stamp" != "$last" ]; then
      last=$stamp
      [ "$(grep -acE "^(127\.0\.0\.1|::1) +	($blocked) " "$file")" = 6 ] && return 0
    fi
    sleep 0.05
  done
  return 1
}

# Waits (at most 120 s) until process PID has used no processor time for a second: its start,
# its load of a large file and its first look are over before anything is timed.
wait_idle() {
  local pid=$1 used last="" quiet=0 tries=240
  while [ "$tries" -gt 0 ] && [ "$quiet" -lt 2 ]; do
    used=$(awk '{ print $14 + $15 }' "/proc/$pid/stat" 2>/dev/null) || return 0
    if [ "$used" = "$last" ]; then quiet=$((quiet + 1)); else quiet=0; fi
    last=$used
    tries=$((tries - 1))
    sleep 0.5
  done
}
