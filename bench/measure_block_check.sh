#!/usr/bin/env bash
# Times the window's check of the blocks (build/linux/bench/block_check_time) over generated hosts
# files of 100,000 and 1,000,000 blocked names, every entry blocked as the program writes it (the
# name's two lines, each with its trailing-dot alias), in private mount and network namespaces:
# the file bound over /etc/hosts, nsswitch.conf reading it first and a resolv.conf whose name
# server does not answer (loopback, nothing listening), so that nothing leaves this machine.
# Two kinds of file:
#   shared  names under 97 shared domains (site7.example7.com): no site has other names to look
#           up, only the blocked names are;
#   sites   each name a site of its own (site7.example): the 1,000 added last also have their www,
#           m. and mobile. names looked up, which the file does not hold.
# Root only.
#   bench/measure_block_check.sh [-k shared|sites]... [TOOL] [NAMES...]
#       (default: both kinds, build/linux/bench/block_check_time, 100000 1000000)
set -euo pipefail
kinds=()
while getopts k: option; do
  case $option in
    k) kinds+=("$OPTARG") ;;
    *) exit 2 ;;
  esac
done
shift $((OPTIND - 1))
[ ${#kinds[@]} -gt 0 ] || kinds=(shared sites)
tool=$(realpath "${1:-build/linux/bench/block_check_time}")
shift || true
counts=("$@")
[ ${#counts[@]} -gt 0 ] || counts=(100000 1000000)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
printf 'hosts: files dns\n' >"$work/nsswitch.conf"
printf 'nameserver 127.0.0.53\n' >"$work/resolv.conf"
for count in "${counts[@]}"; do
  for kind in "${kinds[@]}"; do
    case $kind in
      shared | sites) ;;
      *) echo "unknown kind of file: $kind" >&2 && exit 2 ;;
    esac
    awk -v n="$count" -v kind="$kind" 'BEGIN {
      print "127.0.0.1 localhost"; print "::1 localhost"
      for (i = 0; i < n; i++) {
        name = kind == "sites" ? "site" i ".example" : "site" i ".example" (i % 97) ".com"
        printf "127.0.0.1 \t%s %s.\n::1 \t%s %s.\n", name, name, name, name
      }
    }' >"$work/hosts"
    echo "== $count blocked names, $kind"
    unshare -m -n sh -c 'ip link set lo up &&
      mount --bind "$1/nsswitch.conf" /etc/nsswitch.conf &&
      mount --bind "$1/resolv.conf" /etc/resolv.conf &&
      mount --bind "$1/hosts" /etc/hosts && exec "$2" "$1/hosts"' sh "$work" "$tool"
  done
done
