#!/usr/bin/env bash
# Installs what is missing, checks the formatting, builds every preset and runs every test:
#   linux    native GCC build
#   asan     the same with Address and UndefinedBehavior sanitizers
#   windows  mingw-w64 cross build, tests run as Windows programs under Wine
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh test

echo "== formatting"
git ls-files -z -- '*.cpp' '*.h' | xargs -0 -r clang-format --dry-run --Werror

status=0
for preset in linux asan windows; do
  echo "== $preset"
  if ! { cmake --preset "$preset" >/dev/null && cmake --build --preset "$preset" &&
    ctest --preset "$preset"; }; then
    echo "== $preset FAILED" >&2
    status=1
  fi
done
exit $status
