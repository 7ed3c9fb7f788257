#!/usr/bin/env bash
# Installs the Debian package into a private copy of this machine and uses it as its desktop user
# would: the program starts from its menu entry as that user, with no password prompt, and sits
# in the notification area; its tray item opens the login window; a website entered and applied
# there reaches the hosts file, written as root by the helper through pkexec and polkit.
#   desktop_session_test.sh BUILD_DIR DEB [SNI_WATCHER]   (default BUILD_DIR/tests/sni_watcher)
# Needs root, for the private mount namespace: nothing on this machine changes. Leaves its logs
# and screenshots in BUILD_DIR/desktop-session/.
#
# The copy is machine_copy.sh's; there, as a new unprivileged user, run a session bus, an X server
# (Xvfb) and sni_watcher, which stands in for the desktop's notification area.
set -euo pipefail

password=secret
site=blocked-by-desktop-test.example
user=rirdesktop
folder=/opt/tamborelle-rir-avadera
entry=/usr/share/applications/tamborelle-rir-avadera.desktop
# Everything the test makes inside the copy, on the copy's own /run.
private=/run/desktop-test
# The logs and screenshots: BUILD_DIR/desktop-session, bound here.
out=$private/out

fail() {
  # The outermost shell reports it, once, with the logs to read.
  if [ -d "$out" ]; then echo "$*" >"$out/failure"; else echo "FAIL: $*" >&2; fi
  exit 1
}

# ---- The desktop user's session: under its own session bus, as the test user.
visible_window() { xdotool search --onlyvisible --name "$1" | head -1 | grep .; }
logged() { grep -q "$1" "$2"; }

shoot() {
  import -window root "$out/screenshots/$1.png"
}

# The window's client area's top left corner on the screen and its height, as "X Y HEIGHT".
window_box() {
  xwininfo -id "$1" | awk -F: '/Absolute upper-left X/{x=$2} /Absolute upper-left Y/{y=$2}
    /Height/{h=$2} END{print x + 0, y + 0, h + 0}'
}

# Starts the program as the menu entry says: its Exec line, without field codes (none of which
# it needs), the way a desktop's launcher runs it.
start_from_menu() {
  local words=() word
  for word in $(sed -n 's/^Exec=//p' "$entry" | head -1); do
    case "$word" in %?) ;; *) words+=("$word") ;; esac
  done
  (cd "$HOME" && exec "${words[@]}") >>"$out/program.log" 2>&1 &
  echo $! >>"$out/program.pids"
}

session() {
  local pids=()
  # dbus-run-session ends the session bus when this ends; the rest goes here.
  trap 'kill "${pids[@]}" $(cat "$out/program.pids" 2>/dev/null) 2>/dev/null || true' EXIT
  Xvfb :1 -screen 0 1024x768x24 -nolisten tcp >"$out/xvfb.log" 2>&1 &
  pids+=($!)
  export DISPLAY=:1
  # Qt's log of what reaches its tray icon, in program.log.
  export QT_LOGGING_RULES=qt.qpa.tray.debug=true
  wait_for 10 xwininfo -root || fail "Xvfb did not start (xvfb.log)"
  "$private/sni_watcher" "$out/sni.log" 2>"$out/sni_watcher.log" &
  pids+=($!)
  wait_for 10 logged '^ready$' "$out/sni.log" ||
    fail "no StatusNotifierWatcher on the session bus (sni_watcher.log)"

  start_from_menu
  wait_for 20 logged '^item ' "$out/sni.log" ||
    fail "the program's tray icon never registered with the notification area (program.log)"
  local item
  item=$(awk '/^item /{print $2; exit}' "$out/sni.log")
  dbus-send --session --print-reply --dest="$item" /StatusNotifierItem \
    org.freedesktop.DBus.Properties.Get string:org.kde.StatusNotifierItem string:ToolTip |
    grep -q '"Tamborelle Rir Avadera"' || fail "the tray item $item is not the program's"
  # A window, a prompt above all, may take a moment to show.
  sleep 1
  shoot started
  # In the notification area only, as at a login: no window, and above all no password prompt
  # (no polkit agent runs here, so a question that polkit does not answer yes to fails instead).
  if visible_window .; then
    fail "a window is open after the start: $(xdotool getwindowname "$(visible_window .)")"
  fi
  if grep -q ': not answered$' "$out/polkitd.log"; then
    fail "the start asked polkit what it allows only with a password:" \
      "$(grep -m1 'not answered' "$out/polkitd.log")"
  fi
  echo "the start asked polkit $(grep -c ': yes$' "$out/polkitd.log") time(s), each answered yes" \
    >>"$out/notes"

  # A click on the icon, as a StatusNotifierItem host passes it on.
  dbus-send --session --type=method_call --dest="$item" /StatusNotifierItem \
    org.kde.StatusNotifierItem.Activate int32:0 int32:0 ||
    fail "the tray item $item does not take Activate"
  if ! wait_for 5 visible_window '^Login$'; then
    echo "the tray item's Activate, a click in the notification area, did not open the login" \
      "window (program.log shows what reached the icon)" >>"$out/activate-failed"
    # A second start from the menu opens it, which lets the rest be checked all the same.
    start_from_menu
    wait_for 10 visible_window '^Login$' || fail "no login window, not even on a second start"
  fi
  local window
  window=$(visible_window '^Login$')
  xdotool windowfocus --sync "$window"
  xdotool type --delay 20 "$password"
  shoot login
  xdotool key Return
  wait_for 15 visible_window '^Tamborelle Website Durezur$' ||
    fail "no main window after the login (program.log; screenshots/login.png)"
  window=$(visible_window '^Tamborelle Website Durezur$')
  sleep 0.5
  local x y height top
  read -r x y height < <(window_box "$window")
  # The controls lie in the client area below the menu bar (ui/main/main_layout.h).
  top=$((y + height - 588))
  xdotool mousemove $((x + 8 + 200)) $((top + 152 + 16)) click 1
  xdotool type --delay 20 "$site"
  # Add Entry, OK in the box that tells of the www name added with it, then Apply.
  xdotool mousemove $((x + 464 + 52)) $((top + 152 + 16)) click 1
  sleep 0.5
  shoot added
  xdotool key Return
  sleep 0.5
  xdotool mousemove $((x + 443 + 62)) $((top + 511 + 16)) click 1
  local line
  line=$(printf '127.0.0.1 \t%s %s.' "$site" "$site")
  wait_for 30 grep -qxF "$line" /etc/hosts ||
    { shoot applied; fail "after Apply the hosts file has no line \"$line\""; }
  sleep 1
  shoot applied
}

# ---- The copy of the machine: as root, the first process of the namespaces.
bring_files() {
  cp "$RIR_DESKTOP_WATCHER" "$private/sni_watcher"
  cp "$0" "$private/test.sh"
  cp "$(dirname "$0")/machine_copy.sh" "$private/machine_copy.sh"
}

inside() {
  local pids=()
  # The hosts file as the test left it, for the log.
  trap 'cp /etc/hosts "$out/hosts" 2>/dev/null; kill "${pids[@]}" 2>/dev/null || true' EXIT
  copy_machine_setup "$RIR_DESKTOP_DEB" "$user" bring_files "$RIR_DESKTOP_OUT"
  # Only the menu's entry is run; a login runs the autostart entry.
  local autostart=/etc/xdg/autostart/tamborelle-rir-avadera.desktop
  [ "$(grep '^Exec=' "$entry")" = "$(grep '^Exec=' "$autostart")" ] ||
    fail "the login starts the program otherwise than the menu does"
  # The user's known password, in the plain text that older state files hold.
  (umask 077 && printf '[settings]\r\nfirstrun=no\r\npwd=%s\r\n' "$password" >"$folder/state.dll")

  local uid as_user
  uid=$(id -u "$user")
  as_user=(setpriv --reuid="$user" --regid="$user" --init-groups --reset-env)
  mkdir -p "/run/user/$uid" "$out/screenshots"
  chown "$user:" "/run/user/$uid" "$out" "$out/screenshots"
  chmod 700 "/run/user/$uid"

  local status=0
  timeout --kill-after=2 80 "${as_user[@]}" env XDG_RUNTIME_DIR="/run/user/$uid" \
    dbus-run-session -- bash "$private/test.sh" --session || status=$?
  [ "$status" = 124 ] && fail "the desktop session took longer than 80 seconds"
  [ "$status" = 0 ] || exit "$status"
}

# ---- The test: as root, outside.
main() {
  [ $# = 2 ] || [ $# = 3 ] || { echo "usage: $0 BUILD_DIR DEB [SNI_WATCHER]" >&2; exit 2; }
  local build deb watcher logs
  build=$(realpath -m "$1")
  deb=$(realpath -m "$2")
  watcher=$(realpath -m "${3:-$build/tests/sni_watcher}")
  if [ "$(id -u)" != 0 ]; then
    echo "SKIP: needs root for its private mount namespace"
    exit 77
  fi
  local tool
  for tool in unshare dpkg setpriv useradd ip timeout dbus-daemon dbus-run-session dbus-send \
    /usr/lib/polkit-1/polkitd pkexec Xvfb xdotool xwininfo import; do
    command -v "$tool" >/dev/null || { echo "FAIL: $tool is not installed" >&2; exit 1; }
  done
  [ -f "$deb" ] || { echo "FAIL: no package $deb" >&2; exit 1; }
  [ -x "$watcher" ] || { echo "FAIL: no $watcher" >&2; exit 1; }
  logs=$build/desktop-session
  rm -rf "$logs"
  mkdir -p "$logs"
  local status=0
  RIR_DESKTOP_OUT=$logs RIR_DESKTOP_DEB=$deb RIR_DESKTOP_WATCHER=$watcher \
    copy_machine_run 110 "$(realpath "$0")" || status=$?
  if [ "$status" = 0 ] && [ -f "$logs/activate-failed" ]; then
    echo "FAIL: $(cat "$logs/activate-failed")" >&2
    exit 1
  fi
  if [ "$status" != 0 ]; then
    if [ -f "$logs/failure" ]; then
      echo "FAIL: $(cat "$logs/failure"), see $logs" >&2
    elif [ "$status" = 124 ]; then
      echo "FAIL: the test took longer than 110 seconds, see $logs" >&2
    else
      echo "FAIL: ended with status $status, see $logs" >&2
    fi
    exit 1
  fi
  cat "$logs/notes" 2>/dev/null || true
  echo "ok: $deb on a desktop, screenshots in $logs/screenshots"
}

# Beside this script outside; copied beside it into the copy for the session.
# shellcheck source=tests/packaging/machine_copy.sh
. "$(dirname "$0")/machine_copy.sh"

case "${1:-}" in
  --inside) inside ;;
  --session) session ;;
  *) main "$@" ;;
esac
