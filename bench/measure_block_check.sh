#!/usr/bin/env bash
# Times the window's check of the blocks (build/linux/bench/block_check_time) over generated hosts
# files of 100,000 and 1,000,000 blocked names, each as the program writes them, in private mount
# and network namespaces: the file bound over /etc/hosts, nsswitch.conf reading it first and a
# resolv.conf whose name server does not answer (loopback, nothing listening), so that nothing
# leaves this machine. Root only.
#   bench/measure_block_check.sh [TOOL] [NAMES...]   (default build/linux/bench/block_check_time,
#                                                     100000 1000000)
set -euo pipefail
tool=$(realpath "${1:-build/linux/bench/block_check_time}")
shift || true
counts=("$@")
[ ${#counts[@]} -gt 0 ] || counts=(100000 1000000)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
printf 'hosts: files dns\n' >"$work/nsswitch.conf"
printf 'nameserver 127.0.0.53\n' >"$work/resolv.conf"
for count in "${counts[@]}"; do
  awk -v n="$count" 'BEGIN {
    print "127.0.0.1 localhost"; print "::1 localhost"
    for (i = 0; i < n; i++) {
      name = "site" i ".example" (i % 97) ".com"
      printf "127.0.0.1 \t%s %s.\n::1 \t%s %s.\n", name, name, name, name
    }
  }' >"$work/hosts"
  echo "== $count blocked names"
  unshare -m -n sh -c 'ip link set lo up &&
    mount --bind "$1/nsswitch.conf" /etc/nsswitch.conf &&
    mount --bind "$1/resolv.conf" /etc/resolv.conf &&
    mount --bind "$1/hosts" /etc/hosts && exec "$2" "$1/hosts"' sh "$work" "$tool"
done
