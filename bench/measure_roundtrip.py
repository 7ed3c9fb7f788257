#!/usr/bin/env python3
"""Whole-process timing and peak memory of hosts_roundtrip against one durable copy of the file.

    bench/measure_roundtrip.py [--tool build/linux/bench/hosts_roundtrip] [--runs 7] [--lines 1000000]

Generates a hosts file of --lines lines (about 35 bytes a line, as a large block list has), then,
interleaved run by run so that both see the same machine: `dd if=IN of=OUT bs=4M conv=fsync` and
`hosts_roundtrip IN OUT`, the latter over an existing OUT (the usual case: the hosts file is there)
that already holds the same text, over one that differs from its second line on (so all of it is
rewritten), and onto a new one. Prints the medians, their ratios, and the tool's peak resident memory
against the file's size.
"""
import argparse
import os
import random
import statistics
import subprocess
import sys
import tempfile
import time


def generate(path, lines):
    rng = random.Random(1)
    words = ["ads", "track", "metrics", "pixel", "cdn", "stats", "beacon", "promo"]
    with open(path, "wb") as out:
        out.write(b"# Copyright (c) 1993-2009 Microsoft Corp.\r\n#\r\n")
        out.write(b"127.0.0.1       localhost\r\n::1             localhost\r\n")
        for i in range(lines - 4):
            name = f"{rng.choice(words)}{i}.example{i % 97}.com"
            if i % 10 == 0:
                line = f"0.0.0.0 {name}"
            elif i % 10 == 1:
                line = f"#127.0.0.1 \t{name}"
            else:
                line = f"127.0.0.1 \t{name}"
            out.write(line.encode() + b"\r\n")


def timed(command):
    start = time.perf_counter()
    pid = os.fork()
    if pid == 0:
        devnull = os.open(os.devnull, os.O_WRONLY)
        os.dup2(devnull, 1)
        os.dup2(devnull, 2)
        os.execvp(command[0], command)
    _, status, usage = os.wait4(pid, 0)
    elapsed = time.perf_counter() - start
    if status != 0:
        sys.exit(f"{' '.join(command)} failed with status {status}")
    return elapsed, usage.ru_maxrss * 1024


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--tool", default="build/linux/bench/hosts_roundtrip")
    parser.add_argument("--runs", type=int, default=7)
    parser.add_argument("--lines", type=int, default=1_000_000)
    parser.add_argument("--folder", default=None, help="where to put the files (default: a temp folder)")
    args = parser.parse_args()

    with tempfile.TemporaryDirectory(dir=args.folder) as folder:
        source = os.path.join(folder, "in.hosts")
        existing = os.path.join(folder, "out-existing.hosts")
        different = os.path.join(folder, "out-different.hosts")
        different_text = os.path.join(folder, "different.hosts")
        fresh = os.path.join(folder, "out-new.hosts")
        copy = os.path.join(folder, "out-dd.hosts")
        generate(source, args.lines)
        size = os.path.getsize(source)
        subprocess.run(["cp", source, existing], check=True)
        # A file that differs from its second line on, so that the save rewrites all of it.
        with open(source, "rb") as a, open(different_text, "wb") as b:
            b.write(a.readline() + b"# changed\r\n" + a.read())

        dd, over, rewrite, new, peaks = [], [], [], [], []
        for _ in range(args.runs):
            dd.append(timed(["dd", f"if={source}", f"of={copy}", "bs=4M", "conv=fsync"])[0])
            seconds, peak = timed([args.tool, source, existing])
            over.append(seconds)
            peaks.append(peak)
            subprocess.run(["cp", different_text, different], check=True)
            seconds, peak = timed([args.tool, source, different])
            rewrite.append(seconds)
            peaks.append(peak)
            if os.path.exists(fresh):
                os.remove(fresh)
            seconds, peak = timed([args.tool, source, fresh])
            new.append(seconds)
            peaks.append(peak)
        with open(source, "rb") as a, open(existing, "rb") as b:
            if a.read() != b.read():
                sys.exit("the round trip changed the file")

    dd_median = statistics.median(dd)
    print(f"file: {args.lines} lines, {size / 1e6:.1f} MB; {args.runs} runs each, medians")
    print(f"dd conv=fsync:                   {dd_median * 1000:8.1f} ms")
    for label, values in (("hosts_roundtrip over the same:", over),
                          ("hosts_roundtrip over another:", rewrite),
                          ("hosts_roundtrip, new file:", new)):
        median = statistics.median(values)
        print(f"{label:32} {median * 1000:8.1f} ms  = {median / dd_median:.2f} x dd")
    peak = max(peaks)
    print(f"peak resident memory:            {peak / 1e6:8.1f} MB  = {peak / size:.2f} x file size")


if __name__ == "__main__":
    main()
