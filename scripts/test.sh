#!/usr/bin/env bash
# Installs what is missing, checks the formatting, builds every preset and runs every test:
#   linux    native GCC build
#   asan     the same with Address and UndefinedBehavior sanitizers
#   windows  mingw-w64 cross build, tests run as Windows programs under Wine
#   fuzz     clang and libFuzzer over the core: each fuzz target runs for a bounded time
# and, after the linux preset, clang-tidy over every source of ours (.clang-tidy)
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh test

echo "== formatting"
git ls-files -z -- '*.cpp' '*.h' | xargs -0 -r clang-format --dry-run --Werror

# The Windows tests make real windows: under Wine they need an X display, a virtual one here.
run_tests() {
  if [ "$1" = windows ]; then
    local tested=0
    xvfb-run -a -s "-screen 0 1280x1024x24" ctest --preset windows || tested=$?
    # No Wine process may outlive the display it was started on; the tests' own status counts.
    WINEPREFIX="$PWD/build/windows/wineprefix" wineserver -k 2>/dev/null || true
    return "$tested"
  else
    ctest --preset "$1"
  fi
}

status=0
for preset in linux asan windows fuzz; do
  echo "== $preset"
  if ! { cmake --preset "$preset" >/dev/null && cmake --build --preset "$preset" &&
    run_tests "$preset"; }; then
    echo "== $preset FAILED" >&2
    status=1
  fi
  if [ "$preset" = linux ]; then
    echo "== clang-tidy"
    scripts/tidy.sh build/linux || status=1
  fi
done
exit $status
