#!/usr/bin/env bash
# The Apply of the real helper, for bench/browser_doh.sh's RIR_POLICY_CMD: "on" applies the hosts
# file as it stands (it blocks blocked.example), "off" applies it with that block allowed. The
# helper runs as the package installs it (/opt/tamborelle-rir-avadera, its data in
# /var/lib/tamborelle-rir-avadera), so it writes the system's browser policies: only ever inside
# browser_doh.sh's private namespaces, whose /etc and policy folders are its own. No password is
# stored, so the empty one opens. Its data stays in $RIR_POLICY_DATA between the two calls.
#   RIR_POLICY_CMD="bench/browser_policy_apply.sh" bench/browser_doh.sh
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
helper=${RIR_HELPER:-$here/build/linux/frontend/qt/rir-avadera-helper}
data=${RIR_POLICY_DATA:-/tmp/rir-browser-policy-data}
mkdir -p "$data"
case "$1" in
  on) text=$(cat /etc/hosts) ;;
  off) text=$(sed 's/^\(127\.0\.0\.1 \|::1 \)\(\tblocked\.example\)/#\1\2/' /etc/hosts) ;;
  *) echo "usage: $0 on|off" >&2; exit 2 ;;
esac
text+=$'\n'
request=$(mktemp)
trap 'rm -f "$request"' EXIT
{
  printf 'rir-avadera-helper 2\nsave-hosts\npassword 0\n\npath 10\n/etc/hosts\nstamp 0\n\n'
  printf 'text %d\n%s\n' "$(printf '%s' "$text" | wc -c)" "$text"
} >"$request"
unshare -m bash -c '
  mount -t tmpfs opt /opt && mkdir /opt/tamborelle-rir-avadera
  cp "$1" /opt/tamborelle-rir-avadera/
  mount -t tmpfs varlib /var/lib && mkdir /var/lib/tamborelle-rir-avadera
  mount --bind "$2" /var/lib/tamborelle-rir-avadera
  /opt/tamborelle-rir-avadera/rir-avadera-helper <"$3"' _ "$helper" "$data" "$request" |
  tr '\n' ' ' | grep -q '^rir-avadera-helper 2 ok ' || { echo "the helper's Apply failed" >&2; exit 1; }
