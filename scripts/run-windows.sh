#!/usr/bin/env bash
# Installs what is missing, builds the Windows program and runs it under Wine, in a Wine prefix of
# its own (build/run-windows/wineprefix): the hosts file it reads and writes is that prefix's
# C:\windows\system32\drivers\etc\hosts, never the machine's. The state file lies beside the
# program in the prefix; the first start shows the main window, later ones start in the tray.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh run-windows
if [ -z "${DISPLAY:-}" ]; then
  echo "run-windows.sh: the program has windows and needs a display (DISPLAY is not set)." >&2
  echo "        Without one: xvfb-run -a scripts/run-windows.sh" >&2
  exit 1
fi

# A build folder of its own: without the tests, it must not stand in for the test preset's.
build=build/run-windows
cmake --preset windows -B "$build" -DRIR_BUILD_TESTS=OFF -DRIR_BUILD_BENCHMARKS=OFF >/dev/null
cmake --build "$build" --target RirAvadera

export WINEPREFIX="$PWD/$build/wineprefix"
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export WINEDEBUG=${WINEDEBUG:--all}
folder="$WINEPREFIX/drive_c/Program Files/Tamborelle Rir Avadera"
if [ ! -d "$folder" ]; then
  echo "Making the Wine prefix $WINEPREFIX (once; this takes a while)"
  wineboot -i >/dev/null 2>&1
  mkdir -p "$folder"
  # What an installer leaves beside the program: the mark of the first run.
  printf '[settings]\r\nfirstrun=true\r\n' >"$folder/state.dll"
fi
cp "$build/frontend/win32/RirAvadera.exe" "$folder/"
echo "Hosts file: $WINEPREFIX/drive_c/windows/system32/drivers/etc/hosts"
exec wine 'C:\Program Files\Tamborelle Rir Avadera\RirAvadera.exe'
