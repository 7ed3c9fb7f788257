#!/usr/bin/env bash
# How long the owner's login waits behind a helper that its user stopped: installs the Debian
# package in a private copy of this machine (tests/packaging/machine_copy.sh) with a password,
# and has the copy's unprivileged user, who knows it, start a helper through pkexec from a
# terminal of its own (a pseudo-terminal, as a shell with job control starts a command: its own
# process group, in the foreground) with a save of MEGABYTES of hosts lines. While that helper
# holds the save lock (seen in /proc/locks) and writes (a new file beside /etc/hosts), the user
# types ^Z on the terminal; then the owner asks, through pkexec, whether the right password
# matches. Prints whether the helper stopped and how long the right login waited, with its
# answer; it gives up after BOUND seconds.
#   bench/stopped_helper.sh DEB [MEGABYTES] [BOUND]     (default 512 MB, 60 s; root only)
set -euo pipefail

user=rirstop
folder=/opt/tamborelle-rir-avadera
data=/var/lib/tamborelle-rir-avadera
private=/run/stopped-helper
out=$private/out
password="right horse"

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

bring_files() {
  cp "$0" "$private/stopped_helper.sh"
  cp "$(dirname "$0")/../tests/packaging/machine_copy.sh" "$private/machine_copy.sh"
}

# The user: the save on the terminal, ^Z, then the login. Prints its findings as lines of
# "name value".
attack() {
  python3 - "$folder/rir-avadera-helper" "$data/hosts.lock" "$out/save-request" \
    "$out/save-reply" "$password" "$1" <<'EOF'
import os, pty, select, subprocess, sys, time

helper, lock, request, reply_path, password, bound = sys.argv[1:]
bound = float(bound)
lock_inode = os.stat(lock).st_ino
pkexec = ["pkexec", "--disable-internal-agent", helper]


def holder():
    """The process holding the save lock, or None."""
    with open("/proc/locks") as locks:
        for line in locks:
            fields = line.split()
            # 1: FLOCK  ADVISORY  WRITE 1234 fd:00:5678 0 EOF
            if len(fields) >= 6 and fields[1] == "FLOCK" and fields[5].endswith(":%d" % lock_inode):
                return int(fields[4])
    return None


def saving():
    """Whether a save is under way: a file beside the hosts file that was not there before."""
    return any(name.startswith("hosts.") for name in set(os.listdir("/etc")) - beside_before)


def state(pid):
    try:
        with open("/proc/%d/stat" % pid) as stat:
            return stat.read().rsplit(")", 1)[1].split()[0]
    except OSError:
        return "gone"


def reply_fields(reply):
    """The fields of a reply: after the greeting and the kind, "name size" lines and the bytes."""
    fields, rest = {}, reply.split(b"\n", 2)[-1]
    while rest:
        head, _, rest = rest.partition(b"\n")
        name, _, size = head.decode(errors="replace").partition(" ")
        if not size.isdigit():
            break
        fields[name] = rest[: int(size)].decode(errors="replace")
        rest = rest[int(size) + 1 :]
    return fields


beside_before = set(os.listdir("/etc"))
go_read, go_write = os.pipe()
child, terminal = pty.fork()
if child == 0:
    # The terminal's session leader, a shell with job control: the command in a group of its own,
    # given the terminal; the leader stays, so that the group is never orphaned.
    job = os.fork()
    if job == 0:
        os.setpgid(0, 0)
        os.close(go_write)
        os.read(go_read, 1)
        os.dup2(os.open(request, os.O_RDONLY), 0)
        os.dup2(os.open(reply_path, os.O_WRONLY | os.O_CREAT | os.O_TRUNC, 0o600), 1)
        os.execvp(pkexec[0], pkexec)
    try:
        os.setpgid(job, job)
    except OSError:
        pass
    os.tcsetpgrp(0, job)
    os.write(go_write, b"x")
    os.waitpid(job, 0)
    os._exit(0)

started = time.monotonic()
found = None
# The save's own hold: every request takes the lock for a moment first.
while found is None and time.monotonic() - started < bound:
    found = holder() if saving() else None
    if found is None:
        time.sleep(0.002)
if found is None:
    print("held no")
    sys.exit(0)
print("held %.2f" % (time.monotonic() - started))
os.write(terminal, b"\x1a")
seen = "?"
for _ in range(200):
    seen = state(found)
    if seen in ("T", "t", "gone"):
        break
    time.sleep(0.01)
print("state %s" % seen)
holding = holder()
print("holding %s" % ("yes" if holding == found else "no"))

login = "rir-avadera-helper 2\ncheck-password\npassword %d\n%s\n" % (len(password), password)
asked = time.monotonic()
# The helper runs as root: past the bound the user can only stop waiting for it, not end it.
asking = subprocess.Popen(pkexec, stdin=subprocess.PIPE, stdout=subprocess.PIPE)
asking.stdin.write(login.encode())
asking.stdin.close()
os.set_blocking(asking.stdout.fileno(), False)
answer = b""
while time.monotonic() - asked < bound:
    select.select([asking.stdout], [], [], 0.05)
    more = asking.stdout.read()
    if more == b"":
        break
    answer += more or b""
waited = time.monotonic() - asked
if waited >= bound:
    print("login none %.0f" % bound)
else:
    fields = reply_fields(answer)
    if "matches" in fields:
        told = "matches " + fields["matches"]
    elif "code" in fields:
        told = "error %s: %s" % (fields["code"], fields.get("reason", ""))
    else:
        told = "no reply, exit %s, %r" % (asking.wait(), answer[:200])
    print("login %.2f %s" % (waited, told))
print("after %s" % state(found), flush=True)
# Not waiting for what is left: the copy's end ends it.
os._exit(0)
EOF
}

# A save request of about `megabytes` of hosts lines, mostly another program's, some of the
# program's own entries.
make_request() {
  python3 - "$1" "$2" "$password" <<'EOF'
import sys

path, megabytes, password = sys.argv[1], int(sys.argv[2]), sys.argv[3]
block = []
for i in range(10000):
    if i % 10 == 0:
        name = "site%d.example.com" % i
        block.append("127.0.0.1 \t%s %s.\n::1 \t%s %s.\n" % (name, name, name, name))
    else:
        block.append("10.%d.%d.%d\tmachine%d.lan machine%d\n" % (i >> 16, (i >> 8) & 255, i & 255, i, i))
block = "".join(block).encode()
copies = max(1, megabytes * 1024 * 1024 // len(block))
size = copies * len(block)
with open(path, "wb") as request:
    request.write(b"rir-avadera-helper 2\nsave-hosts\npassword %d\n%s\n" % (len(password), password.encode()))
    request.write(b"path 10\n/etc/hosts\nstamp 0\n\ntext %d\n" % size)
    for _ in range(copies):
        request.write(block)
    request.write(b"\n")
EOF
}

inside() {
  local megabytes=$1 bound=$2 pids=()
  trap 'kill "${pids[@]}" 2>/dev/null || true' EXIT
  copy_machine_setup "$RIR_STOP_DEB" "$user" bring_files "$RIR_STOP_OUT"
  # The owner's password as the program stores it.
  local stored
  stored=$(python3 -c 'import base64, hashlib, os, sys
salt = os.urandom(16)
b64 = lambda b: base64.b64encode(b).decode().rstrip("=")
print("pbkdf2-sha256$600000$" + b64(salt) + "$" + b64(hashlib.pbkdf2_hmac("sha256", sys.argv[1].encode(), salt, 600000)))' "$password")
  (umask 077 && printf '[settings]\r\nfirstrun=no\r\npwd=%s\r\n' "$stored" >"$folder/state.dll")
  # A first request makes the data folder and its lock file, as the program's first load does.
  printf 'rir-avadera-helper 2\nfinish-save\npath 10\n/etc/hosts\n' |
    "$folder/rir-avadera-helper" >/dev/null ||
    fail "the helper does not answer"
  [ -f "$data/hosts.lock" ] || fail "no save lock at $data/hosts.lock"
  chown "$user:" "$out"
  make_request "$out/save-request" "$megabytes"
  chown "$user:" "$out/save-request"
  setpriv --reuid="$user" --regid="$user" --init-groups --reset-env \
    bash "$private/stopped_helper.sh" --attack "$bound" >"$out/findings"
}

main() {
  [ $# -ge 1 ] && [ $# -le 3 ] || { echo "usage: $0 DEB [MEGABYTES] [BOUND]" >&2; exit 2; }
  [ "$(id -u)" = 0 ] || fail "needs root for its private copy of the machine"
  local deb megabytes=${2:-512} bound=${3:-60} started
  deb=$(realpath "$1")
  # Not local: the trap reads it once main has returned.
  logs=$(mktemp -d)
  trap 'rm -f "$logs/save-request"' EXIT
  started=$(date +%s)
  RIR_STOP_OUT=$logs RIR_STOP_DEB=$deb \
    copy_machine_run $((3 * bound + 180)) "$(realpath "$0")" "$megabytes" "$bound" ||
    fail "the copy ended with status $? (logs in $logs)"
  local name value rest held="" stopped="" holding="" login="" after=""
  while read -r name value rest; do
    case "$name" in
      held) held=$value ;;
      state) stopped=$value ;;
      holding) holding=$value ;;
      login) login="$value $rest" ;;
      after) after=$value ;;
    esac
  done <"$logs/findings"
  [ "$held" != no ] && [ -n "$held" ] ||
    fail "the helper's save was never seen holding the lock (logs in $logs)"
  echo "a save of $megabytes MB held the save lock $held s after its start; ^Z typed:" \
    "the helper's state then $stopped (T: stopped), lock still held: $holding"
  case "$login" in
    none*) echo "the right login: no answer within the bound of $bound s" ;;
    *) echo "the right login answered after ${login%% *} s: ${login#* }" ;;
  esac
  echo "the saving helper's state at the end: $after"
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
