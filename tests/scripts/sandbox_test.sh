#!/bin/sh
# scripts/sandbox: what a program writes beside the hosts file stays in the sandbox, and where
# /etc cannot be overlaid nothing is started at all.
#   sandbox_test.sh SANDBOX_SCRIPT
set -eu
sandbox_script=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() {
  echo "FAIL: $*" >&2
  exit 1
}

userns=
[ "$(id -u)" -eq 0 ] || userns=--map-root-user
# shellcheck disable=SC2086 # empty when root
if ! unshare $userns --mount true 2>/dev/null; then
  echo "this system allows no private mount namespace here"
  exit 77
fi

# The sandbox's own hosts file, and a file written beside it.
mkdir -p "$work/sandbox/etc"
printf '# the copy\n' >"$work/sandbox/etc/hosts"
beside="rir-sandbox-test.$$"
bash "$sandbox_script" "$work/sandbox" sh -c '
  # Only over an overlay is a file beside the hosts file the sandbox'"'"'s.
  [ "$(findmnt -n -o FSTYPE /etc)" = overlay ] || exit 3
  cat /etc/hosts >"$1/seen"
  echo new >"/etc/$2"' sh "$work" "$beside" || fail "the sandbox did not run the program ($?)"
[ "$(cat "$work/seen")" = "# the copy" ] || fail "the program did not see the sandbox's hosts file"
[ -f "$work/sandbox/etc/$beside" ] || fail "a file beside the hosts file is not in the sandbox"
[ ! -e "/etc/$beside" ] || fail "a file beside the hosts file reached this machine's /etc"

# An overlay whose work folder lies on another file system cannot be mounted: as where overlays
# are not allowed at all, the script must refuse rather than bind the hosts file alone.
mkdir -p "$work/refused"
ln -s /proc/self "$work/refused/work"
if bash "$sandbox_script" "$work/refused" touch "$work/ran" 2>"$work/said"; then
  fail "the sandbox ran without an overlay"
fi
[ ! -e "$work/ran" ] || fail "the program was started without an overlay"
grep -q "not started" "$work/said" || fail "the refusal does not say so: $(cat "$work/said")"
grep -q "beside the hosts file" "$work/said" || fail "the refusal does not say why"
echo "PASS"
