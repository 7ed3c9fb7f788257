#!/usr/bin/env bash
# Installs what is missing, builds the Linux program rir-avadera and starts it.
#
#   scripts/run.sh            the program as it runs when installed: as you, editing /etc/hosts
#                             through its helper, which pkexec starts as root (from the build
#                             folder, polkit asks for an administrator's password)
#   scripts/run.sh --sandbox  the program in a private mount namespace, where /etc is overlaid by
#                             build/run/sandbox/etc, which holds a copy of the hosts file: the
#                             program reads and writes that copy (and its own files beside it in
#                             /etc), needs no root (a user namespace, where the system allows one)
#                             and changes nothing on this machine
#
# The state file lies beside the program (build/run/frontend/qt/state.dll); the first start shows
# the main window, later ones start in the notification area.
set -euo pipefail
cd "$(dirname "$0")/.."

mode=${1:-}
case "$mode" in
  "" | --sandbox) ;;
  *) echo "usage: $0 [--sandbox]" >&2; exit 2 ;;
esac

scripts/install-deps.sh run
if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  echo "run.sh: the program has windows and needs a display." >&2
  echo "        Without one: xvfb-run -a scripts/run.sh $mode" >&2
  exit 1
fi

# A build folder of its own: without the tests, it must not stand in for the test preset's.
build=build/run
cmake --preset linux -B "$build" -DRIR_BUILD_TESTS=OFF -DRIR_BUILD_BENCHMARKS=OFF >/dev/null
# Ninja would start cores + 2 compilers; a small machine then swaps.
cmake --build "$build" --target rir-avadera --parallel "$(nproc)"
program="$PWD/$build/frontend/qt/rir-avadera"
# What an installer leaves beside the program: the mark of the first run, readable by its owner
# only, since the password's hash joins it later. (An older one keeps its mode until the
# program next writes it, which makes it 0600.)
state="$(dirname "$program")/state.dll"
[ -f "$state" ] || (umask 077 && printf '[settings]\r\nfirstrun=true\r\n' >"$state")

if [ -z "$mode" ]; then
  exec "$program"
fi

sandbox="$PWD/$build/sandbox"
echo "Sandbox: the program's /etc/hosts is $sandbox/etc/hosts"
exec scripts/sandbox "$sandbox" "$program"
