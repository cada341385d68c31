#!/usr/bin/python3
"""Runs one interoperability case of compound files between vtplatform and independent tools.

    run_case.py --case NAME --version 3|4 --work DIR --tools-dir DIR [tool options]

The case is a plan of storages and streams (see storage_tool.cpp for the plan and listing
formats). The document is written by vtplatform (storage_tool), by Wine's ole32 (ole_write.exe)
and, for version 3, by libgsf (gsf createole). The file vtplatform wrote is read back by
vtplatform, Wine, olefile, libolecf and libgsf; the files Wine and libgsf wrote are read by
vtplatform (and when that fails, Wine's by Wine too, to tell whose fault it is). Every reading
must give the listing that the plan implies, which this script computes on its own.

Prints one line per check and the differences of each failed one; exits 1 when any check failed.
The work folder is emptied first and removed again when every check passed.
"""
import argparse
import collections
import difflib
import hashlib
import os
import re
import shutil
import struct
import subprocess
import sys
import time
from pathlib import Path

Element = collections.namedtuple("Element", "kind path size seed")


def storage(path):
    return Element("storage", path, 0, 0)


def stream(path, size, seed):
    return Element("stream", path, size, seed)


def case_small():
    """Streams on both sides of the mini stream cutoff (4096) and of the sector sizes."""
    sizes = [0, 1, 63, 64, 65, 511, 512, 513, 4095, 4096, 4097, 8191, 8192, 8193]
    plan = [stream(f"S{size}", size, index) for index, size in enumerate(sizes)]
    plan.append(storage("Dir"))
    plan += [stream(f"Dir/S{size}", size, 100 + index) for index, size in enumerate(sizes[::3])]
    return plan


def case_large():
    """Several MiB: a version 3 file needs more than the 109 FAT sectors that its header lists,
    so the rest are found through a DIFAT sector."""
    return [
        stream("Big", 8 * 1024 * 1024 + 7, 1),
        stream("Mebibyte", 1024 * 1024 + 1, 2),
        stream("Aligned", 3 * 4096, 3),
        stream("Tiny", 100, 4),
        storage("Inner"),
        stream("Inner/Middle", 300000, 5),
        stream("Inner/Small", 4000, 6),
    ]


def case_many():
    """3000 streams in one storage, names of different lengths and case, a few big streams."""
    plan = [storage("Items")]
    for index in range(3000):
        prefix = ("item", "Item", "ITEM", "iTeM")[index % 4]
        plan.append(stream(f"Items/{prefix}{index}", (index * 37) % 700, index))
    plan += [stream(f"Outer{index}", 5000 + index * 1000, 5000 + index) for index in range(5)]
    return plan


def case_nested():
    """Storages five deep, the same names on every level, empty storages and empty streams."""
    plan = [storage("Hollow")]
    path = ""
    for depth, name in enumerate(["A", "B", "C", "D", "E"]):
        path = f"{path}/{name}" if path else name
        plan += [storage(path), stream(f"{path}/Data", 100 + depth * 2500, 10 + depth),
                 storage(f"{path}/Empty"), stream(f"{path}/Zero", 0, 0)]
    plan += [storage("A/B2"), storage("A/B2/C2"), storage("A/B2/C2/D2"),
             stream("A/B2/C2/D2/Data", 70000, 30)]
    return plan


def case_names():
    """Mixed case and non-ASCII names, characters outside the BMP, control characters, and
    names of the most UTF-16 units allowed (31)."""
    names = [
        "Größe", "ÆØÅ", "データ", "MixedCase", "lowercase", "UPPERCASE", "with space",
        "\x05Notes", "\x01Extra", "apfel", "Zebra", "Привет", "Ωmega", "ß", "ss",
        "😀 smile", "N" * 31, "😀" + "x" * 29,
    ]
    plan = [stream(name, (index * 613) % 5000, 200 + index) for index, name in enumerate(names)]
    plan.append(storage("Ünïcödé"))
    for index, name in enumerate(names[:8]):
        plan.append(stream(f"Ünïcödé/{name}", 4096 + index, 300 + index))
    plan += [storage("Ünïcödé/Ordner"), stream("Ünïcödé/Ordner/Größe", 10, 400)]
    return plan


def case_folding():
    """Siblings of the same length whose order depends on the upper case of letters beyond
    ASCII (ä and Ä, ÿ and Ÿ, ж and Ж are one name) and on upper rather than lower case (a_b
    and aBc): a reader that looks names up in the tree needs the writer's order."""
    names = ["äpfel", "Ärger", "apfel", "Zebra", "ÿ", "ω", "Ж", "é", "Ö", "a_b", "aBc",
             "привет", "Ωmega"]
    plan = [stream(name, 10 + index, 500 + index) for index, name in enumerate(names)]
    plan.append(storage("Ordner"))
    plan += [stream(f"Ordner/{name}", 5000 + index, 600 + index)
             for index, name in enumerate(names)]
    return plan


# Cases whose files Wine cannot fully read: Wine upper-cases only ASCII letters when it orders
# sibling names, so in a tree ordered by the full upper case (as vtplatform and libgsf order it)
# its lookups and its enumeration miss some names. That check runs and prints but does not count.
WINE_ASCII_ONLY_ORDER = {"folding"}

CASES = {
    "small": case_small,
    "large": case_large,
    "many": case_many,
    "nested": case_nested,
    "names": case_names,
    "folding": case_folding,
}


def content(seed, size):
    """The bytes of a stream: SHA-256 in counter mode, as shared/content.h makes them."""
    blocks = range((size + 31) // 32)
    return b"".join(hashlib.sha256(struct.pack("<IQ", seed, k)).digest() for k in blocks)[:size]


def plan_text(plan):
    lines = []
    for element in plan:
        if element.kind == "storage":
            lines.append(f"storage\t{element.path}\n")
        else:
            lines.append(f"stream\t{element.size}\t{element.seed}\t{element.path}\n")
    return "".join(lines)


def by_path(lines):
    return sorted(lines, key=lambda line: line.rsplit("\t", 1)[1].encode())


def expected_listing(plan):
    lines = []
    for element in plan:
        if element.kind == "storage":
            lines.append(f"storage\t-\t-\t{element.path}")
        else:
            digest = hashlib.sha256(content(element.seed, element.size)).hexdigest()
            lines.append(f"stream\t{element.size}\t{digest}\t{element.path}")
    return by_path(lines)


class Failure(Exception):
    pass


class Tools:
    def __init__(self, args):
        self.args = args
        self.wine_env = dict(os.environ, WINEPREFIX=str(args.wine_prefix), WINEDEBUG="-all")

    def run(self, command, env=None, cwd=None):
        result = subprocess.run(command, capture_output=True, env=env, cwd=cwd, timeout=900)
        if result.returncode != 0:
            raise Failure(f"{Path(command[0]).name} exited with {result.returncode}: "
                          + result.stderr.decode(errors="replace").strip()[-2000:])
        return result.stdout

    def wine(self, program, *arguments):
        return self.run([self.args.wine, str(self.args.tools_dir / program), *arguments],
                        env=self.wine_env)

    # Writers.
    def write_ours(self, plan_file, out, version):
        self.run([self.args.storage_tool, "write", plan_file, out,
                  *(["--v4"] if version == 4 else [])])

    def write_wine(self, plan_file, out, version):
        self.wine("ole_write.exe", windows_path(plan_file), windows_path(out),
                  *(["v4"] if version == 4 else []))

    def write_gsf(self, plan, out, work):
        """gsf createole stores folders as storages and files as streams."""
        tree = work / "gsf_input"
        tree.mkdir()
        for element in plan:
            target = tree / element.path
            if element.kind == "storage":
                target.mkdir(parents=True)
            else:
                target.write_bytes(content(element.seed, element.size))
        top = sorted(entry.name for entry in tree.iterdir())
        self.run([self.args.gsf, "createole", str(out), *top], cwd=tree)

    # Readers: each returns the canonical listing.
    def dump_ours(self, file):
        return self.run([self.args.storage_tool, "dump", file]).decode().splitlines()

    def dump_wine(self, file):
        return self.wine("ole_dump.exe", windows_path(file)).decode().splitlines()

    def dump_olefile(self, file):
        return self.run([sys.executable, self.args.olefile_dump, file]).decode().splitlines()

    def dump_gsf(self, file):
        """gsf list for the tree and the sizes, one gsf cat of every stream for the bytes.

        gsf list calls an element a folder only when it has children, so an empty storage
        comes out as an empty stream; the comparison allows for that."""
        entries = []
        for line in self.run([self.args.gsf, "list", file]).decode().splitlines()[1:]:
            match = re.fullmatch(r"([df]) +(?:\d{4}-\d\d-\d\d \d\d:\d\d:\d\d)? +(\d+) (.+)", line)
            if match is None:
                raise Failure(f"gsf list printed {line!r}")
            if match[3] != "*root*":
                entries.append((match[1], int(match[2]), match[3]))
        streams = [(size, path) for kind, size, path in entries if kind == "f" and size > 0]
        data = b""
        if streams:
            data = self.run([self.args.gsf, "cat", file, *(path for _, path in streams)])
        digests = {}
        offset = 0
        for size, path in streams:
            digests[path] = hashlib.sha256(data[offset:offset + size]).hexdigest()
            offset += size
        if offset != len(data):
            raise Failure(f"gsf cat gave {len(data)} bytes for {offset} listed")
        empty = hashlib.sha256(b"").hexdigest()
        return by_path(f"storage\t-\t-\t{path}" if kind == "d"
                       else f"stream\t{size}\t{digests.get(path, empty)}\t{path}"
                       for kind, size, path in entries)

    def dump_olecf(self, file, work, version):
        """olecfinfo must read the file and find the sector size of the version; olecfexport
        writes every element as a folder holding StreamData.bin. It cannot tell storages from
        streams, spells control characters in names as \\xNN, and spells characters outside
        the BMP differently from everyone else, so the listing has sizes and hashes only and
        leaves such paths out."""
        info = self.run([self.args.olecfinfo, file]).decode(errors="replace")
        sector_size = re.search(r"Sector size\s*:\s*(\d+)", info)
        if sector_size is None or int(sector_size[1]) != (512 if version == 3 else 4096):
            raise Failure("olecfinfo found another sector size:\n" + info)
        export = work / "olecf"
        self.run([self.args.olecfexport, "-t", str(export), file])
        export = export.with_name(export.name + ".export")
        lines = []
        for folder in sorted(export.rglob("*")):
            if folder.is_dir():
                data_file = folder / "StreamData.bin"
                data = data_file.read_bytes() if data_file.exists() else b""
                path = folder.relative_to(export).as_posix()
                lines.append(olecf_line(len(data), hashlib.sha256(data).hexdigest(), path))
        shutil.rmtree(export)
        return by_path(lines)


def olecf_line(size, digest, path):
    return f"{size}\t{digest}\t{path}"


# libolecf's spelling of a path with characters outside the BMP, which matches no other.
OUTSIDE_BMP = "<outside the BMP>"


def olecf_view(listing):
    """The expected listing as libolecf can show it (see Tools.dump_olecf)."""
    empty = hashlib.sha256(b"").hexdigest()
    lines = []
    for line in listing:
        kind, size, digest, path = line.split("\t")
        if any(ord(c) > 0xFFFF for c in path):
            path = OUTSIDE_BMP
        path = re.sub(r"[\x00-\x1f]", lambda m: f"\\x{ord(m[0]):02x}", path)
        lines.append(olecf_line(0, empty, path) if kind == "storage"
                     else olecf_line(int(size), digest, path))
    return by_path(lines)


def olecf_actual_view(listing, expected_view):
    """libolecf's listing with every path that the expected view lacks taken as OUTSIDE_BMP."""
    known = {line.rsplit("\t", 1)[1] for line in expected_view}
    lines = []
    for line in listing:
        size, digest, path = line.split("\t")
        lines.append(olecf_line(size, digest, path if path in known else OUTSIDE_BMP))
    return by_path(lines)


def gsf_view(listing):
    """The expected listing as gsf list shows it: an empty storage looks like an empty stream."""
    paths = [line.rsplit("\t", 1)[1] for line in listing]
    parents = {path.rsplit("/", 1)[0] for path in paths if "/" in path}
    empty = hashlib.sha256(b"").hexdigest()
    return [f"stream\t0\t{empty}\t{path}" if line.startswith("storage") and path not in parents
            else line for line, path in zip(listing, paths)]


def windows_path(path):
    return "Z:" + str(Path(path).resolve()).replace("/", "\\")


def check_header(file, version):
    """Signature, major version and sector shift of the file header."""
    with open(file, "rb") as f:
        header = f.read(32)
    if header[:8] != bytes.fromhex("d0cf11e0a1b11ae1"):
        raise Failure("no compound file signature")
    major, _, shift = struct.unpack_from("<HHH", header, 0x1A)
    if (major, shift) != (version, 9 if version == 3 else 12):
        raise Failure(f"header says version {major} with sector shift {shift}")


def compare(expected, actual):
    if actual == expected:
        return
    diff = list(difflib.unified_diff(expected, actual, "expected", "actual", lineterm="", n=0))
    shown = diff[:60] + ([f"... {len(diff) - 60} more lines"] if len(diff) > 60 else [])
    raise Failure("listings differ:\n" + "\n".join("    " + line for line in shown))


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--case", required=True, choices=CASES)
    parser.add_argument("--version", required=True, type=int, choices=[3, 4])
    parser.add_argument("--work", required=True, type=Path)
    parser.add_argument("--tools-dir", required=True, type=Path,
                        help="folder of ole_dump.exe and ole_write.exe")
    parser.add_argument("--storage-tool", required=True)
    parser.add_argument("--olefile-dump", required=True)
    parser.add_argument("--wine", required=True)
    parser.add_argument("--wine-prefix", required=True, type=Path)
    parser.add_argument("--olecfinfo", required=True)
    parser.add_argument("--olecfexport", required=True)
    parser.add_argument("--gsf", required=True)
    args = parser.parse_args()

    tools = Tools(args)
    work = args.work
    shutil.rmtree(work, ignore_errors=True)
    work.mkdir(parents=True)
    plan = CASES[args.case]()
    plan_file = work / "plan.txt"
    plan_file.write_text(plan_text(plan), encoding="utf-8")
    expected = expected_listing(plan)

    failures = 0

    def step(title, action, counts=True):
        """Runs one check; a failure of a check that does not count is only a note."""
        nonlocal failures
        start = time.monotonic()
        try:
            action()
            print(f"ok    {title} ({time.monotonic() - start:.1f} s)")
            return True
        except (Failure, subprocess.SubprocessError, OSError) as error:
            failures += 1 if counts else 0
            label = "FAIL " if counts else "note "
            print(f"{label} {title} ({time.monotonic() - start:.1f} s): {error}")
            return False

    version = args.version
    ours, wine, gsf = work / "ours.cfb", work / "wine.cfb", work / "gsf.cfb"

    if step("write with vtplatform", lambda: (tools.write_ours(plan_file, ours, version),
                                              check_header(ours, version))):
        print(f"      {ours.stat().st_size} bytes")
        step("vtplatform -> vtplatform", lambda: compare(expected, tools.dump_ours(ours)))
        if args.case in WINE_ASCII_ONLY_ORDER:
            step("vtplatform -> Wine, which orders names by their ASCII upper case only",
                 lambda: compare(expected, tools.dump_wine(ours)), counts=False)
        else:
            step("vtplatform -> Wine", lambda: compare(expected, tools.dump_wine(ours)))
        step("vtplatform -> olefile", lambda: compare(expected, tools.dump_olefile(ours)))
        olecf_expected = olecf_view(expected)
        step("vtplatform -> libolecf", lambda: compare(olecf_expected, olecf_actual_view(
            tools.dump_olecf(ours, work, version), olecf_expected)))
        step("vtplatform -> libgsf", lambda: compare(gsf_view(expected), tools.dump_gsf(ours)))

    if step("write with Wine", lambda: (tools.write_wine(plan_file, wine, version),
                                        check_header(wine, version))):
        print(f"      {wine.stat().st_size} bytes")
        if not step("Wine -> vtplatform", lambda: compare(expected, tools.dump_ours(wine))):
            step("Wine -> Wine, to tell whose fault it is",
                 lambda: compare(expected, tools.dump_wine(wine)), counts=False)

    if version == 3 and step("write with libgsf", lambda: tools.write_gsf(plan, gsf, work)):
        step("libgsf -> vtplatform", lambda: compare(expected, tools.dump_ours(gsf)))

    if failures:
        print(f"{failures} checks failed; files kept in {work}")
        return 1
    shutil.rmtree(work)
    return 0


if __name__ == "__main__":
    sys.exit(main())
