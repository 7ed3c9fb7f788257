#!/usr/bin/env bash
# Installs the Debian packages a task needs, and nothing that is already there.
#   scripts/install-deps.sh run    what building and running the Linux program needs
#   scripts/install-deps.sh run-windows   what building the Windows program and running it under Wine needs
#   scripts/install-deps.sh test   that, plus what building every preset and running every test needs
#   scripts/install-deps.sh screenshots   what scripts/screenshots needs
# Safe to run again: it asks apt only for missing packages, and updates apt's lists only then.
set -euo pipefail

# The Linux program: GCC, Qt 6 Widgets (its platform plugins: xcb on a desktop, offscreen for
# the tests), OpenSSL for the password hash, libidn2 and libpsl (with the Public Suffix List) for
# host names, a font that stands in for the Windows ones, pkexec, through which the program,
# run as the desktop user, starts its helper as root, and nlohmann's JSON (header-only, for both
# programs), which reads and edits the browsers' policy files.
linux_packages=(cmake ninja-build g++ make libssl-dev libidn2-dev libpsl-dev publicsuffix
  qt6-base-dev qt6-qpa-plugins fonts-dejavu-core pkexec nlohmann-json3-dev)
# The Windows program, cross-built and run under Wine, and its setup (NSIS); the Public Suffix
# List is compiled into it.
windows_packages=(cmake ninja-build g++-mingw-w64-x86-64 wine wine64 nsis publicsuffix
  nlohmann-json3-dev)
run_packages=("${linux_packages[@]}")
# The Debian package and its test: dpkg-dev (dpkg-shlibdeps), lintian, file, and systemd for
# systemd-analyze, which checks the keeper's unit.
package_packages=(dpkg-dev lintian file systemd)
# The fuzz targets: clang with libFuzzer and the sanitizers' runtime.
fuzz_packages=(clang libclang-rt-14-dev)
# The installed package as its desktop user meets it: a session bus and a system bus with polkit,
# a virtual display, and a hand on its windows.
desktop_packages=(dbus iproute2 xvfb xauth xdotool imagemagick x11-utils)
test_packages=("${linux_packages[@]}" "${windows_packages[@]}" "${package_packages[@]}"
  "${fuzz_packages[@]}" "${desktop_packages[@]}" googletest libbenchmark-dev clang-format
  clang-tidy faketime)
# Both programs on a virtual display with a window manager and a notification area.
screenshot_packages=("${linux_packages[@]}" "${windows_packages[@]}" xvfb xauth xdotool imagemagick
  openbox trayer x11-utils)

case "${1:-test}" in
  run) wanted=("${run_packages[@]}") ;;
  run-windows) wanted=("${windows_packages[@]}") ;;
  test) wanted=("${test_packages[@]}") ;;
  screenshots) wanted=("${screenshot_packages[@]}") ;;
  *) echo "usage: $0 run|run-windows|test|screenshots" >&2; exit 2 ;;
esac

missing=()
for package in "${wanted[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q '^install ok installed$'; then
    missing+=("$package")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq "${missing[@]}" >/dev/null
