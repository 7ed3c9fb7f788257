#!/bin/sh
# Builds the Debian package from a built `linux` tree and checks it without installing it: its
# control fields, the files it holds, lintian, and its maintainer scripts, run in a private mount
# namespace over an empty /opt (never the machine's).
#   debian_package_test.sh BUILD_DIR VERSION
set -eu
build=$1
version=$2
deb="$build/package/tamborelle-rir-avadera_${version}_amd64.deb"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

(cd "$build" && cpack --config CPackConfig.cmake >/dev/null)
[ -f "$deb" ] || fail "no package $deb"

field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = tamborelle-rir-avadera ] || fail "Package: $(field Package)"
[ "$(field Version)" = "$version" ] || fail "Version: $(field Version)"
[ "$(field Architecture)" = amd64 ] || fail "Architecture: $(field Architecture)"
for needed in libqt6widgets6 libqt6network6 libssl3 libc6 qt6-qpa-plugins pkexec procps; do
  field Depends | grep -q "$needed" || fail "Depends lacks $needed: $(field Depends)"
done

dpkg-deb -x "$deb" "$work/root"
dpkg-deb -e "$deb" "$work/control"
folder="$work/root/opt/tamborelle-rir-avadera"
[ -x "$folder/rir-avadera" ] || fail "no program in /opt/tamborelle-rir-avadera"
[ -x "$folder/rir-avadera-helper" ] || fail "no helper beside the program"
[ -x "$folder/unins000.exe" ] || fail "no uninstaller beside the program"
[ -f "$folder/sites.txt" ] || fail "no sites file beside the program"
[ ! -e "$folder/state.dll" ] || fail "the state file is made by postinst, not shipped"
for program in rir-avadera rir-avadera-helper; do
  file "$folder/$program" | grep -q "not stripped" && fail "$program is not stripped"
  [ ! -u "$folder/$program" ] || fail "$program is set-user-ID: pkexec alone makes it root"
done
launcher="$work/root/usr/share/applications/tamborelle-rir-avadera.desktop"
autostart="$work/root/etc/xdg/autostart/tamborelle-rir-avadera.desktop"
for entry in "$launcher" "$autostart"; do
  # The program runs as the desktop user: no prompt at login, and the user's notification area.
  grep -qx 'Exec=/opt/tamborelle-rir-avadera/rir-avadera' "$entry" || fail "Exec of $entry"
  grep -qx 'Icon=tamborelle-rir-avadera' "$entry" || fail "Icon of $entry"
done
grep -qx /etc/xdg/autostart/tamborelle-rir-avadera.desktop "$work/control/conffiles" ||
  fail "the autostart entry is not a conffile"
policy="$work/root/usr/share/polkit-1/actions/com.tamborelle.rir-avadera.policy"
grep -q '"org.freedesktop.policykit.exec.path">/opt/tamborelle-rir-avadera/rir-avadera-helper<' \
  "$policy" || fail "polkit does not name the helper"
grep -q '<allow_active>yes</allow_active>' "$policy" || fail "the active session is asked"
grep -q '<allow_any>auth_admin_keep</allow_any>' "$policy" || fail "others are not asked"
if command -v xmllint >/dev/null; then xmllint --noout "$policy" || fail "the policy is no XML"; fi
userns=""
[ "$(id -u)" -eq 0 ] || userns=--map-root-user
unit="$work/root/lib/systemd/system/tamborelle-rir-avadera-keeper.service"
grep -qx 'ExecStart=/opt/tamborelle-rir-avadera/rir-avadera-helper --keep' "$unit" ||
  fail "the keeper's unit does not start the helper's keeping mode"
if command -v systemd-analyze >/dev/null; then
  # The unit with the helper where it names it, in a private /opt.
  unshare $userns --mount --propagation private sh -c '
    mount -t tmpfs tmpfs /opt && cp -a "$1/opt/tamborelle-rir-avadera" /opt/ &&
      systemd-analyze verify --man=no "$2"' sandbox "$work/root" "$unit" >"$work/verify.txt" 2>&1 ||
    { cat "$work/verify.txt"; fail "the keeper's unit"; }
fi
for size in 16 32 256; do
  icon="$work/root/usr/share/icons/hicolor/${size}x${size}/apps/tamborelle-rir-avadera.png"
  file "$icon" | grep -q "PNG image data, $size x $size" || fail "icon $size: $(file "$icon")"
done
zcat "$work/root/usr/share/doc/tamborelle-rir-avadera/changelog.gz" | head -1 |
  grep -q "($version)" || fail "the changelog's version"

lintian --fail-on error "$deb" >"$work/lintian.txt" 2>&1 || { cat "$work/lintian.txt"; fail lintian; }

# postinst makes the first-run mark and keeps a state file that is there; removing keeps it and
# the program's history of the hosts file, purging removes both.
unshare $userns --mount --propagation private sh -eu -c '
  mount -t tmpfs tmpfs /opt
  mount -t tmpfs tmpfs /var/lib
  # The scripts start and stop the keeper where systemd runs: not this machine'"'"'s.
  if [ -d /run/systemd ]; then mount -t tmpfs tmpfs /run/systemd; fi
  mkdir /opt/tamborelle-rir-avadera
  history=/var/lib/tamborelle-rir-avadera/history
  mkdir -p "$history"
  printf "127.0.0.1 \tkept.example\n" >"$history/000001.hosts"
  state=/opt/tamborelle-rir-avadera/state.dll
  sh "$1/postinst" configure
  printf "[settings]\r\nfirstrun=true\r\n" | cmp -s - "$state" || { echo "first-run mark"; exit 1; }
  [ "$(stat -c %a "$state")" = 600 ] || { echo "the first-run mark is readable by others"; exit 1; }
  printf "[settings]\r\nfirstrun=no\r\npwd=x\r\n" >"$state"
  chmod 644 "$state"
  sh "$1/postinst" configure ""
  grep -q "pwd=x" "$state" || { echo "an upgrade reset the state file"; exit 1; }
  [ "$(stat -c %a "$state")" = 600 ] || { echo "an upgrade left the password readable"; exit 1; }
  : >"$state.lock"
  # A lock refuses the removal, never an upgrade; the helper says whether one is on.
  helper=/opt/tamborelle-rir-avadera/rir-avadera-helper
  printf "#!/bin/sh\necho The blocks are locked until Fri 2026-12-11 17:00.\nexit 3\n" >"$helper"
  chmod 755 "$helper"
  ! sh "$1/prerm" remove 2>/dev/null || { echo "a lock let the package go"; exit 1; }
  sh "$1/prerm" upgrade 1.0 || { echo "a lock refused an upgrade"; exit 1; }
  printf "#!/bin/sh\necho \"\$@\" >>/var/lib/asked\nexit 0\n" >"$helper"
  sh "$1/prerm" remove || { echo "no lock, and the removal was refused"; exit 1; }
  # The removal takes back the browsers'"'"' policies the program set.
  grep -qx -- --remove-browser-policies /var/lib/asked || { echo "the policies stayed"; exit 1; }
  rm "$helper"
  sh "$1/postrm" remove
  [ -f "$state" ] || { echo "removing dropped the password"; exit 1; }
  [ -f "$history/000001.hosts" ] || { echo "removing dropped the history"; exit 1; }
  sh "$1/postrm" purge
  [ ! -e /opt/tamborelle-rir-avadera ] || { echo "purging left the folder"; exit 1; }
  [ ! -e /var/lib/tamborelle-rir-avadera ] || { echo "purging left the history"; exit 1; }
' sandbox "$work/control" || fail "maintainer scripts"
echo "ok: $deb"
