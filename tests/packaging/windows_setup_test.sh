#!/bin/sh
# Runs RirAvadera-Setup.exe and its uninstaller silently under Wine, in the build folder's own
# prefix, and checks what each leaves behind.
#   windows_setup_test.sh SETUP_EXE BUILD_DIR VERSION
set -eu
setup=$1
build=$2
version=$3
export WINEPREFIX="$build/wineprefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
fail() { echo "FAIL: $*" >&2; exit 1; }

c="$WINEPREFIX/drive_c"
folder="$c/Program Files/Tamborelle Rir Avadera"
shortcut="$c/ProgramData/Microsoft/Windows/Start Menu/Programs/Tamborelle Rir Avadera.lnk"
task="$c/windows/system32/tasks/Tamborelle Rir Avadera"
hosts="$c/windows/system32/drivers/etc/hosts"
key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\TamborelleRirAvadera'
uninstaller='C:\Program Files\Tamborelle Rir Avadera\unins000.exe'

# Makes the prefix if need be.
"$(dirname "$0")/../../cmake/wine-run" cmd /c exit 0
wineserver -w

# Runs a Windows program and waits for every process it started (the uninstaller copies itself
# away and runs the copy).
run() {
  wine "$@"
  wineserver -w
}

run "$setup" /S
[ -f "$folder/RirAvadera.exe" ] || fail "no program under Program Files"
[ -f "$folder/unins000.exe" ] || fail "no uninstaller beside the program"
[ -f "$folder/sites.txt" ] || fail "no sites file beside the program"
printf '[settings]\r\nfirstrun=true\r\n' | cmp -s - "$folder/state.dll" || fail "first-run mark"
[ -f "$shortcut" ] || fail "no Start-menu shortcut"
[ -f "$task" ] || fail "no logon task"
wine reg query "$key" /v DisplayVersion | grep -q "$version" || fail "uninstall entry"
wine reg query "$key" /v UninstallString | grep -q 'unins000.exe' || fail "uninstall string"
[ -f "$folder/RirAvaderaKeeper.exe" ] || fail "no keeper beside the program"
wine sc query TamborelleRirAvaderaKeeper | grep -q RUNNING || fail "the keeper service does not run"

# Installing again keeps the password.
printf '[settings]\r\nfirstrun=no\r\npwd=kept\r\n' >"$folder/state.dll"
run "$setup" /S
grep -q 'pwd=kept' "$folder/state.dll" || fail "a second install reset the state file"

# With the program never started, the keeper service puts back what the last Apply left blocked
# (each look through sc keeps Wine's server, and so the service, running).
printf 'rir-avadera-lock-names 1\nkept.example\nend\n' >"$folder/applied-blocks"
printf '127.0.0.1 localhost\r\n' >"$hosts"
touch -d '-5 seconds' "$hosts"
tries=0
until grep -q 'kept.example kept.example.' "$hosts"; do
  tries=$((tries + 1))
  [ "$tries" -le 60 ] || fail "the keeper service did not put the block back"
  wine sc query TamborelleRirAvaderaKeeper >/dev/null
  sleep 0.5
done
rm "$folder/applied-blocks"
printf '127.0.0.1 \tblocked.example\r\n' >"$hosts"
# During a lock the uninstaller refuses and leaves everything (a lock of 30 days from a boot
# clock of 0, over no names, so that the keeper leaves the hosts file alone).
printf 'rir-avadera-lock 1\nleft=2592000\nsince-boot=0\nwall=%s\ncount-only-on=0\nboot-id=\n' \
  "$(date +%s)" >"$folder/lock"
printf 'rir-avadera-lock-names 1\nend\n' >"$folder/lock-names"
run "$uninstaller" /S
[ -f "$folder/RirAvadera.exe" ] || fail "the uninstaller ran during a lock"
rm "$folder/lock" "$folder/lock-names"
if [ -n "${DISPLAY:-}" ]; then
  # The uninstaller waits for a running copy to end.
  wine 'C:\Program Files\Tamborelle Rir Avadera\RirAvadera.exe' &
  sleep 3
  wine "$uninstaller" /S &
  sleep 3
  [ -f "$folder/RirAvadera.exe" ] || fail "the uninstaller did not wait for the running copy"
  wine taskkill /F /IM RirAvadera.exe >/dev/null 2>&1
fi
# What the program kept of the hosts file's earlier texts, and its count of wrong passwords, go
# with it.
printf 'failures=1\nlast=0\n' >"$folder/failed-logins"
mkdir -p "$folder/history"
printf '127.0.0.1 \tkept.example\r\n' >"$folder/history/000001.hosts"
printf '127.0.0.1 \thalf' >"$folder/history/000002.hosts.partial"
# The Firefox policy the program set while websites were blocked, with its record, goes too.
policy='HKLM\SOFTWARE\Policies\Mozilla\Firefox\DNSOverHTTPS'
wine reg add "$policy" /v Enabled /t REG_DWORD /d 0 /f >/dev/null
wine reg add "$policy" /v Locked /t REG_DWORD /d 1 /f >/dev/null
k='SOFTWARE\Policies\Mozilla'
printf 'rir-avadera-browser-policies 1\nleave-alone 0\nset\tfirefox\tpolicy\t%s\t%s\t%s\nend\n' \
  "$k" "$k\Firefox" "$k\Firefox\DNSOverHTTPS" >"$folder/browser-policies"
run "$uninstaller" /S
wineserver -w
! wine reg query 'HKLM\SOFTWARE\Policies\Mozilla' >/dev/null 2>&1 || fail "Firefox policy left"
[ ! -e "$folder" ] || fail "files left: $(ls -R "$folder")"
[ ! -e "$shortcut" ] || fail "shortcut left"
[ ! -e "$task" ] || fail "logon task left"
! wine reg query "$key" >/dev/null 2>&1 || fail "uninstall entry left"
! wine sc query TamborelleRirAvaderaKeeper 2>/dev/null | grep -q STATE || fail "keeper service left"
printf '127.0.0.1 \tblocked.example\r\n' | cmp -s - "$hosts" || fail "the hosts file changed"
echo "ok: $setup"
