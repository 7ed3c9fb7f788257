#!/usr/bin/env bash
# Runs clang-tidy (.clang-tidy: bug-prone code and needless copies) over every source of ours
# that the linux preset compiles, from its compile_commands.json; fails on any finding.
#   scripts/tidy.sh [BUILD_FOLDER]     (default build/linux, configured)
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build/linux}"
log="$build/clang-tidy.log"
status=0
# Our own sources only: not googletest's, not what the build generates (moc, resources). The
# GCC-only warning options of the build are unknown to clang.
run-clang-tidy -quiet -p "$build" -j "$(nproc)" -extra-arg=-Wno-unknown-warning-option \
  "^$PWD/(app|blocklist|hostsfile|blockcheck|browserpolicy|lock|schedule|common|settings|ui|helper|frontend|tests|bench)/" >"$log" 2>&1 || status=$?
grep -E 'warning:|error:' -A3 "$log" || true
[ "$status" = 0 ] && echo "clang-tidy: no findings" || echo "clang-tidy: findings above ($log)"
exit "$status"
