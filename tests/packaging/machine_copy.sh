# A private copy of this machine with the Debian package installed, for the tests and tools that
# use the package as its users would; sourced, not run. Needs root. The copy: /etc, /opt, /usr and
# /var are overlays of the machine's own (so dpkg finds the package's dependencies installed),
# /run, /tmp and /home are empty; run it in a network namespace with no way out, and a PID
# namespace, so that every process ends with it (copy_machine_run). There a system bus runs with
# polkitd on it, which answers yes to the package's actions for one unprivileged user, standing in
# for the active local session that logind would tell (no logind runs here).
#
# The caller defines fail MESSAGE, and sets private (a folder on the copy's /run for what it
# makes) and out (where logs go, on the copy's /run too, bound to a folder outside).

# Polls `condition` (a command) every 0.1 s for at most `seconds`.
wait_for() {
  local seconds=$1
  shift
  local tries=$((seconds * 10))
  while ! "$@" >/dev/null 2>&1; do
    tries=$((tries - 1))
    [ "$tries" -gt 0 ] || return 1
    sleep 0.1
  done
}

# Runs `script --inside ARGS...` as the first process but one of new mount, network and PID
# namespaces, within `seconds`. The namespace's first process only waits: pkexec refuses to run
# for a parent of PID 1.
copy_machine_run() {
  local seconds=$1 script=$2
  shift 2
  # shellcheck disable=SC2016 # the inner shell expands them
  timeout --kill-after=5 "$seconds" unshare --mount --propagation private --net --pid --fork \
    --mount-proc --kill-child bash -c 'bash "$0" --inside "$@" & wait $!' "$script" "$@"
}

# The copy, from inside the namespaces: the package `deb` installed, `user` made, the system bus
# and polkitd started (their processes' ids added to the caller's array `pids`). Files that the
# caller brings from /tmp must be copied to $private by `before_tmp` (a command), run before /tmp
# is covered.
copy_machine_setup() {
  local deb=$1 user=$2 before_tmp=$3 outside_out=$4
  mount -t tmpfs -o mode=755 tmpfs /run
  mkdir -p "$out"
  mount --bind "$outside_out" "$out"
  cp "$deb" "$private/package.deb"
  "$before_tmp"
  local folder_name
  for folder_name in etc opt usr var; do
    mkdir "$private/$folder_name.upper" "$private/$folder_name.work"
    # No nosuid: pkexec runs from this /usr as root.
    mount -t overlay overlay -o "lowerdir=/$folder_name,upperdir=$private/$folder_name.upper" \
      -o "workdir=$private/$folder_name.work" "/$folder_name"
  done
  mount -t tmpfs -o mode=1777 tmpfs /tmp
  mkdir -m 1777 /tmp/.X11-unix
  mount -t tmpfs -o mode=755 tmpfs /home
  ip link set lo up
  # A look-up gets an answer at once, from nowhere.
  rm -f /etc/resolv.conf
  echo "nameserver 127.0.0.1" >/etc/resolv.conf

  dpkg -i "$private/package.deb" >"$out/dpkg.log" 2>&1 || fail "dpkg -i (dpkg.log)"
  useradd --create-home --shell /bin/sh --user-group "$user"

  # What pkexec may run as root, and what polkit answers: the package's own actions, and one
  # of the copy's, which tells a fault of this machinery from one of the package.
  local actions
  actions=$(sed -n 's/.*<action id="\([^"]*\)".*/"\1"/p' \
    /usr/share/polkit-1/actions/com.tamborelle.rir-avadera.policy | paste -sd,)
  [ -n "$actions" ] || fail "the package declares no polkit action"
  cat >/usr/share/polkit-1/actions/com.tamborelle.rir-avadera.machine-copy.policy <<'EOF'
<?xml version="1.0" encoding="UTF-8"?>
<!DOCTYPE policyconfig PUBLIC "-//freedesktop//DTD PolicyKit Policy Configuration 1.0//EN"
  "http://www.freedesktop.org/standards/PolicyKit/1/policyconfig.dtd">
<policyconfig>
  <action id="com.tamborelle.rir-avadera.machine-copy">
    <description>The machine copy's own question</description>
    <message>The machine copy runs id as root.</message>
    <defaults>
      <allow_any>no</allow_any>
      <allow_inactive>no</allow_inactive>
      <allow_active>no</allow_active>
    </defaults>
    <annotate key="org.freedesktop.policykit.exec.path">/usr/bin/id</annotate>
  </action>
</policyconfig>
EOF
  # For the user and those actions only. Every question is logged, for a test to tell that none
  # went unanswered.
  cat >/etc/polkit-1/rules.d/10-machine-copy.rules <<EOF
polkit.addRule(function (action, subject) {
  var answered = [$actions, "com.tamborelle.rir-avadera.machine-copy"];
  var yes = subject.user == "$user" && answered.indexOf(action.id) >= 0;
  polkit.log("machine-copy: " + action.id + " for " + subject.user +
             (yes ? ": yes" : ": not answered"));
  return yes ? polkit.Result.YES : polkit.Result.NOT_HANDLED;
});
EOF
  # A real session gives the answered actions no prompt only where they allow an active one.
  grep -q '<allow_active>yes</allow_active>' \
    /usr/share/polkit-1/actions/com.tamborelle.rir-avadera.policy ||
    fail "the package's polkit action asks an active session for a password"

  mkdir /run/dbus
  dbus-daemon --system --nofork --nopidfile >"$out/system-bus.log" 2>&1 &
  pids+=($!)
  wait_for 10 test -S /run/dbus/system_bus_socket || fail "no system bus (system-bus.log)"
  # Not --no-debug: its rules' log lines are what a test reads.
  /usr/lib/polkit-1/polkitd >>"$out/polkitd.log" 2>&1 &
  pids+=($!)
  polkit_up() {
    dbus-send --system --print-reply --dest=org.freedesktop.DBus / \
      org.freedesktop.DBus.NameHasOwner string:org.freedesktop.PolicyKit1 | grep -q 'boolean true'
  }
  wait_for 10 polkit_up || fail "polkitd did not start (polkitd.log)"
  chmod 644 "$out/polkitd.log"
  [ "$(setpriv --reuid="$user" --regid="$user" --init-groups --reset-env \
    pkexec --disable-internal-agent /usr/bin/id -u 2>>"$out/probe.log")" = 0 ] ||
    fail "pkexec with polkitd does not work here (probe.log, polkitd.log)"
  # Its question is not the package's. (polkitd appends.)
  : >"$out/polkitd.log"
}
