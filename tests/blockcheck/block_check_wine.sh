#!/bin/sh
# Runs the blocking check's system lookups under Wine against a Linux hosts file of their own.
# Wine's GetAddrInfoW asks the Linux resolver beneath it, which reads /etc/hosts, so that file
# is bound over /etc/hosts in a private mount namespace, never the machine's own.
# $1: wine-run, $2: blockcheck_tests.exe.
set -u
hosts=$(mktemp)
trap 'rm -f "$hosts"' EXIT
printf '127.0.0.1\tlocalhost\n' >"$hosts"
for name in rir-check-a.example rir-check-b.example; do
  printf '127.0.0.1 \t%s\n::1 \t%s\n' "$name" "$name" >>"$hosts"
done
printf '10.1.2.3 rir-check-c.example\n2001:db8::5 rir-check-c.example\n' >>"$hosts"

as_root=
[ "$(id -u)" = 0 ] || as_root=-r
unshare $as_root -m true 2>/dev/null || { echo "no private mount namespace here" >&2; exit 77; }
# Wine sees the file as Z:, the Linux file system.
RIR_CHECK_LINUX_HOSTS="Z:$hosts" unshare $as_root -m sh -c \
  'mount --bind "$0" /etc/hosts && exec "$1" "$2" --gtest_filter=BlockCheck.*BeneathWine' \
  "$hosts" "$1" "$2"
