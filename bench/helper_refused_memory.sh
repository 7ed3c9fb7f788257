#!/usr/bin/env bash
# What a request with a wrong password costs the helper, whatever follows it: a copy of the helper
# with a stored password hash answers a save request whose password is wrong and whose text is
# announced as 2 GB and sent after it (zeros, as fast as the helper reads). Prints the helper's
# peak resident memory, its time and the answer's error code.
#   bench/helper_refused_memory.sh HELPER    (e.g. build/linux/frontend/qt/rir-avadera-helper)
set -euo pipefail
[ $# = 1 ] || { echo "usage: $0 HELPER" >&2; exit 2; }
folder=$(mktemp -d)
trap 'rm -rf "$folder"' EXIT
cp "$1" "$folder/rir-avadera-helper"
python3 - "$folder" <<'EOF'
import base64, hashlib, os, sys
salt = os.urandom(16)
b64 = lambda b: base64.b64encode(b).decode().rstrip("=")
stored = "pbkdf2-sha256$600000$" + b64(salt) + "$" + b64(
    hashlib.pbkdf2_hmac("sha256", b"right horse", salt, 600000))
open(sys.argv[1] + "/state.dll", "w").write("[settings]\r\npwd=" + stored + "\r\n")
EOF
size=$((2 * 1024 * 1024 * 1024 - 1))
{
  printf 'rir-avadera-helper 2\nsave-hosts\npassword 5\nguess\npath 10\n/etc/hosts\nstamp 0\n\n'
  printf 'text %d\n' "$size"
  head -c "$size" /dev/zero
  printf '\n'
} 2>/dev/null | /usr/bin/time -f '%M %e' -o "$folder/time" "$folder/rir-avadera-helper" \
  >"$folder/reply" || true
read -r kilobytes seconds < <(tail -1 "$folder/time")
code=$(sed -n '/^code /{n;p;q}' "$folder/reply")
echo "peak resident memory $((kilobytes / 1024)).$(((kilobytes % 1024) * 10 / 1024)) MiB," \
  "answered in $seconds s, error code $code (29: the wrong password)"
