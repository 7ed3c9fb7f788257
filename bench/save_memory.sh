#!/usr/bin/env bash
# What the owner's save of a 2 GB hosts file costs the helper in memory: a copy of the helper with
# a stored password hash answers a save request with the right password and a text of about 2 GB
# of hosts lines (mostly another program's, one in a hundred an entry as the program writes it),
# run as root directly, in a private mount namespace (and network namespace) with an overlay of
# /etc where /etc/hosts is a small file of its own: a plain file, which the save replaces by a
# rename, or a file bind-mounted onto it, which the save rewrites in place. Prints, for each
# kind, the helper's peak resident memory in MiB and as a multiple of the text, its time and its
# answer. Needs root and about 3 times the text free in the temporary folder, which it checks.
#   bench/save_memory.sh HELPER [plain|bind|both] [MiB]
#     (e.g. build/linux/frontend/qt/rir-avadera-helper; default both kinds, a text just under 2 GiB)
set -euo pipefail
usage() {
  echo "usage: $0 HELPER [plain|bind|both] [MiB]" >&2
  exit 2
}
[ $# -ge 1 ] && [ $# -le 3 ] || usage
[ "$(id -u)" = 0 ] || { echo "$0: needs root for its private mount namespace" >&2; exit 2; }
kind=${2:-both}
case "$kind" in plain | bind | both) ;; *) usage ;; esac
password="right horse"
# The most the helper takes.
size_wanted=$((2 * 1024 * 1024 * 1024 - 1))
[ $# -lt 3 ] || size_wanted=$(($3 * 1024 * 1024))

folder=$(mktemp -d)
trap 'rm -rf "$folder"' EXIT
free=$(df --output=avail -B1 "$folder" | tail -1)
[ "$free" -gt $((3 * size_wanted + 1024 * 1024 * 1024)) ] ||
  { echo "$0: only $((free >> 20)) MiB free in $folder; needs $((3 * size_wanted >> 20)) MiB" >&2; exit 1; }
mkdir "$folder/program"
cp "$1" "$folder/program/rir-avadera-helper"
python3 - "$folder/program" "$password" <<'EOF'
import base64, hashlib, os, sys
salt = os.urandom(16)
b64 = lambda b: base64.b64encode(b).decode().rstrip("=")
stored = "pbkdf2-sha256$600000$" + b64(salt) + "$" + b64(
    hashlib.pbkdf2_hmac("sha256", sys.argv[2].encode(), salt, 600000))
open(sys.argv[1] + "/state.dll", "w").write("[settings]\r\nfirstrun=no\r\npwd=" + stored + "\r\n")
EOF
# The request, written once: its text a block of lines repeated up to the size.
size=$(python3 - "$folder/request" "$password" "$size_wanted" <<'EOF'
import sys

path, password, wanted = sys.argv[1], sys.argv[2].encode(), int(sys.argv[3])
lines = []
for i in range(20000):
    if i % 100 == 0:
        name = "site%d.example%d.com" % (i, i % 97)
        lines.append("127.0.0.1 \t%s %s.\n::1 \t%s %s.\n" % (name, name, name, name))
    else:
        lines.append("10.%d.%d.%d\tmachine%d.office.lan machine%d\n" % (i >> 16, (i >> 8) & 255, i & 255, i, i))
block = "".join(lines).encode()
copies = wanted // len(block)
with open(path, "wb") as request:
    request.write(b"rir-avadera-helper 2\nsave-hosts\npassword %d\n%s\n" % (len(password), password))
    request.write(b"path 10\n/etc/hosts\nstamp 0\n\ntext %d\n" % (copies * len(block)))
    for _ in range(copies):
        request.write(block)
    request.write(b"\n")
print(copies * len(block))
EOF
)

# One save in the namespace: the helper's peak memory and time, and its answer.
measure() {
  local kind=$1 place=$folder/$1
  mkdir "$place"
  # shellcheck disable=SC2016 # the inner shell expands them
  unshare --mount --propagation private --net bash -c '
    set -eu
    kind=$1 place=$2 folder=$3
    # What the save writes beside the file (its journal, its temporary file) stays here too.
    mkdir "$place/upper" "$place/work"
    mount -t overlay overlay -o "lowerdir=/etc,upperdir=$place/upper,workdir=$place/work" /etc
    rm -f /etc/hosts
    printf "127.0.0.1\tlocalhost\n" >/etc/hosts
    if [ "$kind" = bind ]; then
      printf "127.0.0.1\tlocalhost\n" >"$place/hosts"
      mount --bind "$place/hosts" /etc/hosts
    fi
    /usr/bin/time -f "%M %e" -o "$place/time" "$folder/program/rir-avadera-helper" \
      <"$folder/request" >"$place/reply" || true
    stat -c %s /etc/hosts >"$place/written"
  ' measure "$kind" "$place" "$folder"
  local kilobytes seconds written code changed
  read -r kilobytes seconds < <(tail -1 "$place/time")
  written=$(cat "$place/written")
  code=$(sed -n '/^code /{n;p;q}' "$place/reply")
  changed=$(sed -n '/^changed /{n;p;q}' "$place/reply")
  awk -v kind="$kind" -v k="$kilobytes" -v size="$size" -v s="$seconds" -v code="$code" \
    -v changed="$changed" -v written="$written" 'BEGIN {
      printf "%-5s peak resident memory %.1f MiB, %.2f times the text; %s s; ", kind, k / 1024,
        k * 1024 / size, s
      if (code != "") printf "error code %s\n", code
      else printf "changed %s, the file now %d bytes\n", changed, written
    }'
  rm -rf "$place"
}

echo "a save with the right password of a text of $size bytes ($((size >> 20)) MiB)"
started=$(date +%s)
[ "$kind" = bind ] || measure plain
[ "$kind" = plain ] || measure bind
echo "(took $(($(date +%s) - started)) s)"
