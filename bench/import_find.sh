#!/usr/bin/env bash
# Times the Linux program, whole process (build/linux/bench/qt_import_time on Xvfb), importing a
# published-style list into an empty list until its rows are painted, applying it, and narrowing
# the list by one more letter typed into the find box; side by side with one durable copy
# (`dd conv=fsync`) of the hosts file the Apply wrote.
# The lists are built from the names of the published hosts files in tests/data/published (each
# name again under a few subdomains, as published lists repeat sites), "0.0.0.0 name" lines under
# a header with the machine's own names, as published lists have them.
#   bench/import_find.sh [RUNS] [NAMES...]   (default: 5 runs; 225000 and 1000000 names)
set -euo pipefail
runs=${1:-5}
shift || true
counts=("$@")
[ ${#counts[@]} -gt 0 ] || counts=(225000 1000000)
tool=$(realpath build/linux/bench/qt_import_time)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cat tests/data/published/*.hosts | tr -d '\r' | sed 's/#.*//' |
  awk 'NF >= 2 && $1 == "0.0.0.0" && $2 ~ /^[a-z0-9][-a-z0-9.]*\.[a-z]+$/ { print $2 }' |
  sort -u >"$work/names"
median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
for count in "${counts[@]}"; do
  list="$work/list-$count.txt"
  awk -v n="$count" 'BEGIN {
      print "# A published-style block list"; print "127.0.0.1 localhost"; print "::1 localhost"
      split("www ads cdn track m static img api", prefix, " ")
    }
    { names[NR] = $0 }
    END {
      made = 0
      for (round = 0; made < n; ++round) {
        for (i = 1; i <= NR && made < n; ++i) {
          print "0.0.0.0 " (round == 0 ? "" : prefix[(round - 1) % 8 + 1] (round > 8 ? int(round / 8) : "") ".") names[i]
          ++made
        }
      }
    }' "$work/names" >"$list"
  for run in $(seq "$runs"); do
    : >"$work/hosts"
    line=$(xvfb-run -a -s "-screen 0 1280x1024x24" "$tool" "$list" "$work/hosts" 2>/dev/null | tail -1)
    start=$(date +%s%N)
    dd if="$work/hosts" of="$work/copy" bs=1M conv=fsync status=none
    dd_ms=$((($(date +%s%N) - start) / 1000000))
    apply_ms=$(grep -o 'apply_ms=[0-9]*' <<<"$line" | cut -d= -f2)
    # Each run's Apply against the dd right after it: the machine's state changes between runs.
    ratio=$(awk -v a="$apply_ms" -v d="$dd_ms" 'BEGIN { printf "%.2f", a / (d > 0 ? d : 1) }')
    echo "names=$count run=$run $line dd_ms=$dd_ms apply_per_dd=$ratio"
  done | tee "$work/runs-$count"
  for key in import_ms apply_ms dd_ms apply_per_dd import_peak_mb apply_peak_mb find1_ms find2_ms; do
    printf '%s median %s\n' "$key" "$(grep -o "$key=[0-9.]*" "$work/runs-$count" | cut -d= -f2 | median)"
  done
done
