#!/usr/bin/env bash
# Installs what is missing, builds the program for Linux and runs it.
# Until the program has its windows, "running" is the hosts file tool on a sample file: it lists
# the block list read from the file, then writes the file back through the program's own save and
# shows that nothing changed.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh run
# A build folder of its own: without the tests, it must not stand in for the test preset's.
cmake --preset linux -B build/run -DRIR_BUILD_TESTS=OFF -DRIR_BUILD_BENCHMARKS=OFF >/dev/null
cmake --build build/run --target hosts_roundtrip

sample=tests/data/program-written.hosts
tool=build/run/bench/hosts_roundtrip
echo "Block list read from $sample:"
"$tool" --list "$sample"
copy=$(mktemp)
trap 'rm -f "$copy"' EXIT
"$tool" "$sample" "$copy"
if cmp -s "$sample" "$copy"; then
  echo "Applied unchanged: the file came back byte for byte."
else
  echo "Applied unchanged, but the file differs:" >&2
  exit 1
fi
