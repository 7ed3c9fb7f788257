#!/usr/bin/env python3
"""Whole-process timing and peak memory of hosts_roundtrip against one durable copy of the file.

    bench/measure_roundtrip.py [--tool build/linux/bench/hosts_roundtrip] [--runs 7] [--lines 1000000]

Generates a hosts file of --lines lines and entries (an entry is written as its pair of lines,
IPv4 and IPv6, about 65 bytes; a foreign line about 35, as a large block list has), then,
interleaved run by run so that both see the same machine: `dd if=IN of=OUT bs=4M conv=fsync` and
`hosts_roundtrip IN OUT`, the latter over an existing OUT (the usual case: the hosts file is there)
that already holds the same text, over one that differs from its second line on (so all of it is
rewritten), and onto a new one. Prints the medians, their ratios, and the tool's peak resident memory
against the file's size.

    bench/measure_roundtrip.py --apply [--runs 11] [--lines 1000000] [--hostile]

measures Apply as the program does it to the hosts file, against `dd conv=fsync` of the same file,
interleaved: `hosts_roundtrip --change-every-entry` on a file of the program's own lines (every
entry changes, so the whole file is written), and `hosts_roundtrip` over an identical file on the
generated mixed file and on a file mostly of other programs' lines, as a published block list is
(nothing changes, and the file must be left alone: its inode and modification time are checked). With --hostile, `node bench/node/hostile_roundtrip.js` joins the same rounds.
Prints a Markdown table: medians, ratios, peak resident memory against the file's size.
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
                text = f"0.0.0.0 {name}\r\n"
            elif i % 10 == 1:
                text = f"#127.0.0.1 \t{name} {name}.\r\n#::1 \t{name} {name}.\r\n"
            else:
                text = f"127.0.0.1 \t{name} {name}.\r\n::1 \t{name} {name}.\r\n"
            out.write(text.encode())


def generate_foreign(path, lines):
    """`lines` mostly of other programs, as a published block list is: "0.0.0.0 name" lines,
    hand-edited lines with two blanks or a tab and a comment, and one entry of ours in 20."""
    rng = random.Random(2)
    words = ["ads", "track", "metrics", "pixel", "cdn", "stats", "beacon", "promo"]
    with open(path, "wb") as out:
        out.write(b"# A published block list\n127.0.0.1 localhost\n::1 localhost\n")
        for i in range(lines - 3):
            name = f"{rng.choice(words)}{i}.example{i % 97}.com"
            kind = i % 20
            if kind == 0:
                text = f"127.0.0.1  {name}\n"
            elif kind == 1:
                text = f"0.0.0.0\t{name}  # tracker\n"
            elif kind == 2:
                text = f"127.0.0.1 \t{name} {name}.\n::1 \t{name} {name}.\n"
            else:
                text = f"0.0.0.0 {name}\n"
            out.write(text.encode())


def generate_own(path, lines):
    """`lines` of the program's own entries only, each its pair of lines, CR LF, alternately
    blocked and allowed."""
    with open(path, "wb") as out:
        for i in range(lines):
            mark = "" if i % 2 == 0 else "#"
            name = f"site{i}.example{i % 97}.com"
            out.write(f"{mark}127.0.0.1 \t{name} {name}.\r\n{mark}::1 \t{name} {name}.\r\n".encode())


def every_entry_changed(text):
    """What the program writes once every entry of `text` has changed status."""
    lines = text.split(b"\r\n")
    for i, line in enumerate(lines):
        if line.startswith(b"127.0.0.1 \t") or line.startswith(b"::1 \t"):
            lines[i] = b"#" + line
        elif line.startswith(b"#127.0.0.1 \t") or line.startswith(b"#::1 \t"):
            lines[i] = line[1:]
    return b"\r\n".join(lines)


def timed(command, cpu=None):
    """Runs `command` as a whole process: its wall time and its peak resident memory in bytes.

    With a list as `cpu`, appends the process's CPU time (user and system) to it, as wait4 reports
    it for GNU time, whose figure includes the command it waited for.

    The command runs under GNU time (`/usr/bin/time -f %M`), every command alike, because the peak
    that wait4 reports for a child of this script includes this script's own memory from before
    the exec. The time therefore includes starting GNU time, about a millisecond.
    """
    with tempfile.NamedTemporaryFile("r") as report, open(os.devnull, "wb") as devnull:
        start = time.perf_counter()
        # posix_spawn, so that no copy of this script's memory is made and torn down again in the
        # child (which a fork would charge to the child's CPU time).
        pid = os.posix_spawn("/usr/bin/time",
                             ["/usr/bin/time", "-f", "%M", "-o", report.name, *command], os.environ,
                             file_actions=[(os.POSIX_SPAWN_DUP2, devnull.fileno(), 1),
                                           (os.POSIX_SPAWN_DUP2, devnull.fileno(), 2)])
        _, status, usage = os.wait4(pid, 0)
        elapsed = time.perf_counter() - start
        if status != 0:
            sys.exit(f"{' '.join(command)} failed with status {status}")
        if cpu is not None:
            cpu.append(usage.ru_utime + usage.ru_stime)
        return elapsed, int(report.read().split()[-1]) * 1024


def identity(path):
    info = os.stat(path)
    return info.st_ino, info.st_mtime_ns, info.st_size


def measure_apply(args):
    hostile = os.path.join(os.path.dirname(os.path.abspath(__file__)), "node", "hostile_roundtrip.js")
    if args.hostile and not os.path.exists(os.path.join(os.path.dirname(hostile), "node_modules")):
        sys.exit("run `npm install` in bench/node first")
    with tempfile.TemporaryDirectory(dir=args.folder) as folder:
        own = os.path.join(folder, "own.hosts")
        mixed = os.path.join(folder, "mixed.hosts")
        foreign = os.path.join(folder, "foreign.hosts")
        generate_own(own, args.lines)
        generate(mixed, args.lines)
        generate_foreign(foreign, args.lines)
        with open(own, "rb") as f:
            own_changed = every_entry_changed(f.read())
        out = os.path.join(folder, "hosts")
        copy = os.path.join(folder, "dd.hosts")
        cases = [("every entry changed", own, ["--change-every-entry"], own_changed),
                 ("unchanged", mixed, [], None),
                 ("unchanged, mostly other programs' lines", foreign, [], None)]
        results = {}
        for _ in range(args.runs):
            for label, source, options, expected in cases:
                row = results.setdefault(label, {"dd": [], "apply": [], "hostile": [], "peak": 0,
                                                  "hostile_peak": 0, "cpu": [], "dd_cpu": []})
                if os.path.exists(copy):
                    os.remove(copy)
                row["dd"].append(timed(["dd", f"if={source}", f"of={copy}", "bs=4M", "conv=fsync"],
                                       row["dd_cpu"])[0])
                # The hosts file as Apply finds it: the text that was loaded, long on the disk (a
                # copy still being written back would hold up the save's own sync).
                subprocess.run(["cp", source, out], check=True)
                with open(out, "rb") as f:
                    os.fsync(f.fileno())
                before = identity(out)
                seconds, peak = timed([args.tool, *options, source, out], row["cpu"])
                row["apply"].append(seconds)
                row["peak"] = max(row["peak"], peak)
                if expected is None:
                    if identity(out) != before:
                        sys.exit("an Apply without a change wrote the file")
                else:
                    with open(out, "rb") as f:
                        if f.read() != expected:
                            sys.exit("the Apply did not write every entry changed")
                if args.hostile:
                    seconds, peak = timed(["node", hostile, source, out])
                    row["hostile"].append(seconds)
                    row["hostile_peak"] = max(row["hostile_peak"], peak)
        sizes = {label: os.path.getsize(source) for label, source, _, _ in cases}

    print(f"{args.lines:,} lines; {args.runs} interleaved rounds, medians")
    print()
    print("| Apply | bytes | dd conv=fsync | hosts_roundtrip | / dd | CPU: dd, roundtrip "
          "| peak memory | / file size | hostile | hostile / roundtrip |")
    print("|---|---:|---:|---:|---:|---:|---:|---:|---:|---:|")
    for label, row in results.items():
        dd = statistics.median(row["dd"])
        apply = statistics.median(row["apply"])
        peak = row["peak"]
        hostile_cells = "| - | - |"
        if row["hostile"]:
            h = statistics.median(row["hostile"])
            hostile_cells = f"| {h * 1000:.0f} ms ({row['hostile_peak'] / 1e6:.0f} MB) | {h / apply:.1f}x |"
        cpu = f"{statistics.median(row['dd_cpu']) * 1000:.0f} ms, {statistics.median(row['cpu']) * 1000:.0f} ms"
        print(f"| {label} | {sizes[label]:,} | {dd * 1000:.1f} ms | {apply * 1000:.1f} ms "
              f"| {apply / dd:.2f}x | {cpu} | {peak / 1e6:.1f} MB | {peak / sizes[label]:.2f}x "
              f"{hostile_cells}")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--tool", default="build/linux/bench/hosts_roundtrip")
    parser.add_argument("--runs", type=int, default=7)
    parser.add_argument("--lines", type=int, default=1_000_000)
    parser.add_argument("--folder", default=None, help="where to put the files (default: a temp folder)")
    parser.add_argument("--apply", action="store_true",
                        help="Apply with every entry changed and unchanged, against dd conv=fsync")
    parser.add_argument("--hostile", action="store_true", help="with --apply: hostile as well")
    args = parser.parse_args()
    if args.apply:
        measure_apply(args)
        return

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
