#!/usr/bin/env python3
"""Start-to-window time and memory of the Linux program with a large hosts file.

    bench/measure_qt_window.py [--tool build/linux/bench/qt_window_time] [--runs 7] [--lines 1000000]

Generates a hosts file of --lines lines (as measure_roundtrip.py does), then runs qt_window_time on
it --runs times: each run is a fresh process that goes through the program's start-up, logs in and
stops once the main window has painted its list. Uses the display in DISPLAY (xcb) when there is
one, else Qt's offscreen platform. Prints the median and the spread of the time, and the largest
resident memory seen.
"""
import argparse
import os
import re
import statistics
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from measure_roundtrip import generate  # noqa: E402


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--tool", default="build/linux/bench/qt_window_time")
    parser.add_argument("--runs", type=int, default=7)
    parser.add_argument("--lines", type=int, default=1_000_000)
    args = parser.parse_args()

    env = dict(os.environ)
    if not env.get("DISPLAY"):
        env["QT_QPA_PLATFORM"] = "offscreen"
    with tempfile.TemporaryDirectory() as folder:
        hosts = os.path.join(folder, "hosts")
        generate(hosts, args.lines)
        times, peaks, rows, edits = [], [], None, {"add": [], "allow": [], "remove": []}
        for _ in range(args.runs):
            out = subprocess.run([args.tool, hosts], env=env, check=True, capture_output=True,
                                 text=True).stdout
            fields = dict(re.findall(r"(\w+)=([\d.]+)", out))
            times.append(float(fields["window_ms"]))
            peaks.append(float(fields["peak_rss_mb"]))
            rows = int(fields["rows"])
            for edit, spent in edits.items():
                spent.append(float(fields[edit + "_ms"]))
    platform = "xcb on " + env["DISPLAY"] if env.get("DISPLAY") else "offscreen"
    print(f"{args.lines} lines ({rows} entries), {args.runs} runs, {platform}")
    print(f"start to main window painted: median {statistics.median(times):.0f} ms "
          f"(min {min(times):.0f}, max {max(times):.0f}); target < 1000 ms")
    print(f"peak resident memory: {max(peaks):.1f} MB; target < 200 MB")
    print("one edit until repainted, median: " +
          ", ".join(f"{edit} {statistics.median(spent):.1f} ms" for edit, spent in edits.items()))


if __name__ == "__main__":
    main()
