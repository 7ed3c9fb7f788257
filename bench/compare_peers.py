#!/usr/bin/env python3
"""Whole-process comparison of hosts_roundtrip with cp and with the npm package hostile.

    bench/compare_peers.py [--tool build/linux/bench/hosts_roundtrip] [--runs 7] [--markdown]

Each program reads a hosts file and writes it to another file:
  cp IN OUT                                 the physical limit: bytes copied, nothing parsed
  hosts_roundtrip IN OUT                    the program's own load, build and durable save
  node bench/node/hostile_roundtrip.js IN OUT   hostile: getFile keeping the formatting, writeFile
Inputs: generated files of 10,000, 100,000 and 1,000,000 lines (as measure_roundtrip.py makes
them) and the published block lists in ../shared/data/hosts/. Runs are interleaved, so all three
see the same machine; OUT exists and holds the same text, as the hosts file does when Apply runs
without a change; with --out-differs, OUT is emptied before each run, so every byte is written.
Prints the median times, the ratios measured in the same run, and each program's peak memory.
Needs `npm install` in bench/node once.
"""
import argparse
import os
import shutil
import statistics
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from measure_roundtrip import generate, timed  # noqa: E402

HERE = os.path.dirname(os.path.abspath(__file__))
SHARED = os.path.join(HERE, "..", "..", "shared", "data", "hosts")


def inputs(folder):
    for lines in (10_000, 100_000, 1_000_000):
        path = os.path.join(folder, f"generated-{lines}.hosts")
        generate(path, lines)
        yield f"generated, {lines:,} lines", path
    for name in ("public-blocklist.hosts", "windows-user-merged.hosts"):
        path = os.path.join(SHARED, name)
        if os.path.exists(path):
            yield f"{name} (published)", path


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--tool", default="build/linux/bench/hosts_roundtrip")
    parser.add_argument("--runs", type=int, default=7)
    parser.add_argument("--markdown", action="store_true", help="print a Markdown table")
    parser.add_argument("--out-differs", action="store_true",
                        help="empty OUT before each run instead of giving it the same text")
    args = parser.parse_args()
    hostile = os.path.join(HERE, "node", "hostile_roundtrip.js")
    if not os.path.exists(os.path.join(HERE, "node", "node_modules", "hostile")):
        sys.exit("run `npm install` in bench/node first")

    rows = []
    with tempfile.TemporaryDirectory() as folder:
        for label, source in inputs(folder):
            size = os.path.getsize(source)
            commands = {
                "cp": lambda i, o: ["cp", i, o],
                "hosts_roundtrip": lambda i, o: [args.tool, i, o],
                "hostile": lambda i, o: ["node", hostile, i, o],
            }
            times = {name: [] for name in commands}
            peaks = {name: 0 for name in commands}
            for _ in range(args.runs):
                for name, make in commands.items():
                    out = os.path.join(folder, f"out-{name}")
                    if args.out_differs:
                        open(out, "wb").close()
                    else:
                        shutil.copyfile(source, out)
                    elapsed, peak = timed(make(source, out))
                    times[name].append(elapsed)
                    peaks[name] = max(peaks[name], peak)
            median = {name: statistics.median(spent) for name, spent in times.items()}
            rows.append((label, size, median, peaks))

    if args.markdown:
        print("| input | bytes | cp | hosts_roundtrip | hostile | roundtrip / cp | hostile / roundtrip "
              "| peak memory: roundtrip, hostile |")
        print("|---|---:|---:|---:|---:|---:|---:|---:|")
        for label, size, median, peaks in rows:
            print(f"| {label} | {size:,} | {median['cp'] * 1000:.1f} ms "
                  f"| {median['hosts_roundtrip'] * 1000:.1f} ms | {median['hostile'] * 1000:.0f} ms "
                  f"| {median['hosts_roundtrip'] / median['cp']:.2f}x "
                  f"| {median['hostile'] / median['hosts_roundtrip']:.1f}x "
                  f"| {peaks['hosts_roundtrip'] / 2**20:.0f} MB, {peaks['hostile'] / 2**20:.0f} MB |")
        return
    for label, size, median, peaks in rows:
        print(f"{label} ({size:,} bytes), median of {args.runs}:")
        for name in median:
            print(f"  {name:16} {median[name] * 1000:9.1f} ms   peak {peaks[name] / 2**20:6.1f} MB")
        print(f"  hosts_roundtrip / cp = {median['hosts_roundtrip'] / median['cp']:.2f}"
              f"   hostile / hosts_roundtrip = {median['hostile'] / median['hosts_roundtrip']:.1f}")


if __name__ == "__main__":
    main()
