#!/usr/bin/env python3
"""Runs the benchmarks of the bench preset and prints the ratios that have targets:
the FNV hashes against the reference loop, vtuLogicalStringLess against ICU called directly,
`vtutil sort` against `sort -V` on one million generated names, `vtutil hash` and
`vtutil convert` against `md5sum` and `iconv` on 100 MB through standard input and from a file
(time and peak memory), the cost per process of listing the machine's processes against `pgrep`,
the time of killing a process tree beyond the protocol's sleeps, and the time and size of
minidumps.

Usage: python3 bench/ratios.py [BUILD_DIR]   (default: build/bench; build it with
       cmake --preset bench && cmake --build --preset bench)
"""
import json
import os
import random
import subprocess
import sys
import tempfile
import time

build = sys.argv[1] if len(sys.argv) > 1 else "build/bench"
env = dict(os.environ, LC_ALL="C.UTF-8")


def run_benchmark(name, repetitions=3):
    out = subprocess.run(
        [os.path.join(build, "bench", name), "--benchmark_format=json",
         "--benchmark_min_time=0.5", f"--benchmark_repetitions={repetitions}",
         "--benchmark_report_aggregates_only=true"],
        env=env, check=True, capture_output=True, text=True).stdout
    results = {}
    for entry in json.loads(out)["benchmarks"]:
        if entry.get("aggregate_name") == "median" or repetitions == 1:
            results[entry["run_name"]] = entry
    return results


def names(count, seed=1):
    words = ["Bohrung", "Ebene", "Zylinder", "Kreis", "Gehäuse", "Deckel", "Flansch", "Nut",
             "Tiefe", "Abstand", "Winkel", "Punkt", "plane", "circle", "slot"]
    rng = random.Random(seed)
    for _ in range(count):
        parts = [f"{rng.choice(words)} {rng.randrange(300)}" for _ in range(rng.randrange(1, 4))]
        yield "_".join(parts) + rng.choice([".igs", ".stp", "", ".dat"])


def best_time(command, path, runs=3):
    best = None
    for _ in range(runs):
        with open(path, "rb") as stdin:
            start = time.perf_counter()
            subprocess.run(command, stdin=stdin, stdout=subprocess.DEVNULL, env=env, check=True)
            elapsed = time.perf_counter() - start
        best = elapsed if best is None else min(best, elapsed)
    return best


def median_run(command, stdin_path=None, runs=5):
    """The median wall time of `command` and its largest peak resident size in MiB, as GNU time
    reports it (a child's own figure would start at the size of this Python process)."""
    times, peak = [], 0
    for _ in range(runs):
        with open(stdin_path or os.devnull, "rb") as stdin:
            start = time.perf_counter()
            result = subprocess.run(["/usr/bin/time", "-f", "%M", *command], stdin=stdin,
                                    stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, env=env,
                                    check=True, text=True)
            times.append(time.perf_counter() - start)
        peak = max(peak, int(result.stderr.split()[-1]) / 1024)
    return sorted(times)[len(times) // 2], peak


def mean_run_time(command, runs=20):
    start = time.perf_counter()
    for _ in range(runs):
        subprocess.run(command, stdout=subprocess.DEVNULL, env=env, check=False)
    return (time.perf_counter() - start) / runs


def proc_entries():
    return sum(1 for name in os.listdir("/proc") if name.isdigit())


hashes = run_benchmark("hash_bench")
for order in ("fnv1", "fnv1a"):
    library = hashes[f"{order}/library"]["bytes_per_second"]
    reference = hashes[f"{order}/reference"]["bytes_per_second"]
    print(f"{order:6} over 1 MiB: {library / 2**20:7.1f} MiB/s, reference loop "
          f"{reference / 2**20:7.1f} MiB/s, ratio {library / reference:.3f} (target >= 0.95)")

compare = run_benchmark("logical_compare_bench")
less = compare["BM_LogicalStringLess"]
icu = compare["BM_IcuCollatorDirect"]
icu_utf8 = compare["BM_IcuCollatorFromUtf8"]
print(f"vtuLogicalStringLess {less['cpu_time']:.1f} ns, ICU on UTF-16 {icu['cpu_time']:.1f} ns, "
      f"ratio {less['cpu_time'] / icu['cpu_time']:.2f} (target <= 1.3); "
      f"{less['allocations_per_compare']:.0f} allocations per comparison (target 0)")
print(f"  ICU converting the narrow names itself {icu_utf8['cpu_time']:.1f} ns, "
      f"ratio {less['cpu_time'] / icu_utf8['cpu_time']:.2f}")

with tempfile.NamedTemporaryFile("w", suffix=".txt", delete=False, encoding="utf-8") as f:
    for name in names(1_000_000):
        f.write(name + "\n")
    path = f.name
try:
    vtutil = best_time([os.path.join(build, "tools", "vtutil", "vtutil"), "sort"], path)
    gnu = best_time(["sort", "-V"], path)
    print(f"sort of 1,000,000 names: vtutil sort {vtutil:.2f} s, sort -V {gnu:.2f} s, "
          f"ratio {vtutil / gnu:.2f} (goal <= 2)")
finally:
    os.unlink(path)

# 100 MB of generated names, mostly ASCII with some umlauts, that code page 1252 holds; the
# commands read it through standard input and as a named file.
with tempfile.TemporaryDirectory(prefix="vtutils-bench-") as folder:
    path = os.path.join(folder, "names.txt")
    chunk = ("\n".join(names(40_000, seed=2)) + "\n").encode("utf-8")
    with open(path, "wb") as f:
        for _ in range(100_000_000 // len(chunk) + 1):
            f.write(chunk)
    vtutil = os.path.join(build, "tools", "vtutil", "vtutil")
    to_1252 = ["convert", "--from", "utf-8", "--to", "1252"]
    iconv = ["iconv", "-f", "UTF-8", "-t", "CP1252"]
    for way, ours, theirs, stdin in (
            ("standard input", [vtutil, "hash", "-"], ["md5sum"], path),
            ("a file", [vtutil, "hash", "--file", path], ["md5sum", path], None),
            ("standard input", [vtutil, *to_1252], iconv, path),
            ("a file", [vtutil, *to_1252, path], [*iconv, path], None)):
        (our_time, our_peak), (their_time, their_peak) = (
            median_run(ours, stdin), median_run(theirs, stdin))
        print(f"{ours[1]} of {os.path.getsize(path) / 1e6:.0f} MB from {way}: vtutil {ours[1]} "
              f"{our_time:.2f} s, {our_peak:.1f} MiB peak; {theirs[0]} {their_time:.2f} s, "
              f"{their_peak:.1f} MiB peak; ratio {our_time / their_time:.2f} (target <= 1.5)")

deps = {name.removesuffix("/real_time"): entry
        for name, entry in run_benchmark("dependency_bench").items()}
for name, direction in (("BM_Save", "save"), ("BM_Load", "load")):
    entry = deps[name]
    print(f"dependencies, {direction} of 100,000 entries through a compound file: "
          f"{entry['real_time']:.0f} ms, {entry['items_per_second']:,.0f} entries/s, "
          f"{entry['bytes_per_second'] / 1e6:.1f} MB/s of stream")
# A save converts every path once and a load once; the conversion part does both, the storage
# part writes and reads the stream once, so each part is shared out over a save plus a load.
cycle = deps["BM_Save"]["real_time"] + deps["BM_Load"]["real_time"]
for name, part in (("BM_ReaderPart", "reader"), ("BM_ConversionPart", "conversion"),
                   ("BM_StoragePart", "storage")):
    print(f"  {part:10} {deps[name]['real_time']:7.1f} ms, "
          f"{100 * deps[name]['real_time'] / cycle:4.1f} % of a save plus a load")

# pgrep runs as a new process each time, so its figure includes its own start; starting
# /bin/true shows about how much of it that is.
listing = run_benchmark("process_bench")
find = listing["BM_FindProcessesNoMatch/real_time"]
walk = listing["BM_ProcessIteratorWalk/real_time"]
pgrep = mean_run_time(["pgrep", "-x", "nosuchname"])
process_start = mean_run_time(["true"])
entries = proc_entries()
print(f"process listing over {find['processes']:.0f} processes: "
      f"find_processes {find['per_process'] * 1e6:.2f} us per process "
      f"({find['real_time']:.2f} ms a call), vtuProcessIterator walk "
      f"{walk['per_process'] * 1e6:.3f} us per process ({walk['real_time']:.0f} us a walk)")
print(f"  pgrep -x over {entries} /proc entries: {pgrep * 1e6 / entries:.2f} us per process "
      f"({pgrep * 1e3:.2f} ms a run, its own process start included; starting true takes "
      f"{process_start * 1e3:.2f} ms)")

# One kill of the tree takes the protocol's 200 ms sleep after each of its processes, about 17 s,
# so it runs once; what counts is the time beyond the sleeps.
kills = run_benchmark("kill_bench", repetitions=1)
for others in (0, 200):
    tree = kills[f"BM_KillTree/others:{others}/iterations:1/manual_time"]
    tree_seconds = tree["real_time"] / 1e3
    beyond = tree_seconds - tree["sleep_seconds"]
    print(f"kill of a tree of {tree['processes']:.0f} processes with {tree['listed']:.0f} "
          f"processes running: {tree_seconds:.2f} s, of which {tree['sleep_seconds']:.1f} s are "
          f"the protocol's sleeps ({tree['processes']:.0f} x 200 ms); beyond them "
          f"{beyond * 1e3:.0f} ms (goal < 100 ms)")
for type_name, type_value in (("normal", 0), ("full memory", 2)):
    dump = kills[f"BM_Minidump/type:{type_value}/manual_time"]
    print(f"  minidump of the helper with 3 extra threads, {type_name}: {dump['real_time']:.1f} ms, "
          f"{dump['bytes'] / 1e6:.2f} MB")
