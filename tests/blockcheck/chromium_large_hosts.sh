#!/usr/bin/env bash
# What Chromium does with a hosts file past the size its own resolver reads: in private mount and
# network namespaces, a fake DNS server answers every name with the "real" site's addresses, which
# lie on the loopback device too and serve a page saying REAL; the hosts file blocks
# blocked.example (127.0.0.1 and ::1 serve a page saying BLOCKED). Debian's chromium then loads
# http://blocked.example/ headless, once with a small hosts file and once with the same lines
# after enough other lines to pass SIZE MiB, and its net log tells which resolver it used. Prints
# what each load showed. Root only; not part of the test command (a browser is too heavy for it).
#   tests/blockcheck/chromium_large_hosts.sh [SIZE_MIB]   (default 40)
#   RIR_NSSWITCH="dns" ...   the system's resolver skips the hosts file (default "files dns")
#
# Found on 2026-12-09 with Chromium 156 (Debian 12): with a 116-byte hosts file Chromium resolves
# with its own DNS client, which reads the hosts file itself (net log: HOST_RESOLVER_DNS_TASK,
# HOSTS_HIT; its DNS config counts the file's names). With a 40 MiB file its DNS config holds no
# hosts and no name servers: it ignores the file and its own client, and asks the system's
# resolver (HOST_RESOLVER_SYSTEM_TASK, getaddrinfo), which reads the file: the page is BLOCKED
# both times. With RIR_NSSWITCH=dns (a system whose resolver does not read the file) both loads
# reach the REAL site. So past 32 MiB the block holds in Chromium only as far as the system's
# resolver reads the hosts file, and Chromium's own hosts lookups are gone.
set -euo pipefail
size_mib=${1:-40}
real4=93.184.216.34
real6=2606:2800:220:1::1

inside() {
  local work=$1
  ip link set lo up
  ip addr add "$real4/32" dev lo
  ip -6 addr add "$real6/128" dev lo
  mount --bind "$work/resolv.conf" /etc/resolv.conf
  printf 'hosts: %s\n' "${RIR_NSSWITCH:-files dns}" >"$work/nsswitch.conf"
  mount --bind "$work/nsswitch.conf" /etc/nsswitch.conf
  python3 "$work/dns.py" &
  local server
  for server in "127.0.0.1 blocked" "::1 blocked" "$real4 real" "$real6 real"; do
    set -- $server
    (cd "$work/$2" && exec python3 -m http.server --bind "$1" 80) >/dev/null 2>&1 &
  done
  sleep 1
  local kind
  for kind in small large; do
    mount --bind "$work/hosts.$kind" /etc/hosts
    local shown
    shown=$(timeout 60 chromium --headless --no-sandbox --disable-gpu --disable-quic \
      --no-first-run --disable-background-networking --disable-component-update --disable-sync \
      --user-data-dir="$work/profile-$kind" --log-net-log="$work/netlog-$kind.json" \
      --dump-dom http://blocked.example/ 2>/dev/null |
      grep -o 'BLOCKED\|REAL' | head -1 || true)
    echo "$kind hosts file ($(stat -c %s "$work/hosts.$kind") bytes): ${shown:-nothing loaded}," \
      "through $(python3 "$work/resolver.py" "$work/netlog-$kind.json")"
    umount /etc/hosts
    if [ -n "${RIR_NETLOG:-}" ]; then cp "$work/netlog-$kind.json" "$RIR_NETLOG.$kind.json"; fi
  done
  kill $(jobs -p) 2>/dev/null || true
}

if [ "${1:-}" = --inside ]; then
  inside "$2"
  exit 0
fi
[ "$(id -u)" = 0 ] || { echo "needs root" >&2; exit 2; }
command -v chromium >/dev/null || { echo "install chromium first" >&2; exit 2; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/blocked" "$work/real"
echo '<html><body>BLOCKED</body></html>' >"$work/blocked/index.html"
echo '<html><body>REAL</body></html>' >"$work/real/index.html"
echo 'nameserver 127.0.0.53' >"$work/resolv.conf"
cat >"$work/dns.py" <<EOF
import socket, struct
s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
s.bind(("127.0.0.53", 53))
while True:
    q, peer = s.recvfrom(512)
    at = 12
    while q[at]:
        at += q[at] + 1
    qtype = struct.unpack(">H", q[at + 1:at + 3])[0]
    question = q[12:at + 5]
    if qtype == 1:
        rr = b"\xc0\x0c" + struct.pack(">HHIH", 1, 1, 60, 4) + socket.inet_pton(socket.AF_INET, "$real4")
    elif qtype == 28:
        rr = b"\xc0\x0c" + struct.pack(">HHIH", 28, 1, 60, 16) + socket.inet_pton(socket.AF_INET6, "$real6")
    else:
        rr = b""
    header = q[:2] + b"\x81\x80" + struct.pack(">HHHH", 1, 1 if rr else 0, 0, 0)
    s.sendto(header + question + rr, peer)
EOF
cat >"$work/resolver.py" <<'EOF'
import json, sys
log = json.load(open(sys.argv[1]))
names = {number: name for name, number in log["constants"]["logEventTypes"].items()}
seen = {names.get(event["type"]) for event in log["events"]}
print("its own DNS client" if "HOST_RESOLVER_DNS_TASK" in seen else
      "the system's resolver" if "HOST_RESOLVER_SYSTEM_TASK" in seen else "no resolver seen")
EOF
block=$'127.0.0.1 \tblocked.example blocked.example.\n::1 \tblocked.example blocked.example.\n'
{ printf '127.0.0.1 localhost\n::1 localhost\n'; printf '%s' "$block"; } >"$work/hosts.small"
{
  printf '127.0.0.1 localhost\n::1 localhost\n'
  awk -v mib="$size_mib" 'BEGIN { for (i = 0; i * 40 < mib * 1048576; i++)
    printf "0.0.0.0 filler-%08d.example.invalid\n", i }'
  printf '%s' "$block"
} >"$work/hosts.large"
unshare --mount --net --fork bash "$0" --inside "$work"
