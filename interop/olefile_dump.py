#!/usr/bin/python3
"""Lists a compound file through olefile in the canonical form of storage_tool dump.

    olefile_dump.py FILE

One line per element below the root, sorted by the UTF-8 bytes of the path:
"storage<TAB>-<TAB>-<TAB>PATH" or "stream<TAB>SIZE<TAB>SHA256<TAB>PATH". The file is opened so
that olefile raises on any defect it would otherwise only note, and a noted issue fails too.
"""
import hashlib
import sys

import olefile


def listing(path):
    ole = olefile.OleFileIO(path, raise_defects=olefile.DEFECT_INCORRECT)
    try:
        if ole.parsing_issues:
            raise SystemExit(f"olefile_dump: {path}: {ole.parsing_issues}")
        lines = []
        for names in ole.listdir(streams=True, storages=True):
            joined = "/".join(names)
            if ole.get_type(names) == olefile.STGTY_STORAGE:
                lines.append((joined, f"storage\t-\t-\t{joined}"))
                continue
            size = ole.get_size(names)
            with ole.openstream(names) as stream:
                data = stream.read()
            if len(data) != size:
                raise SystemExit(f"olefile_dump: {joined}: read {len(data)} of {size} bytes")
            lines.append((joined, f"stream\t{size}\t{hashlib.sha256(data).hexdigest()}\t{joined}"))
        if ole.parsing_issues:
            raise SystemExit(f"olefile_dump: {path}: {ole.parsing_issues}")
        return [line for _, line in sorted(lines, key=lambda item: item[0].encode())]
    finally:
        ole.close()


if __name__ == "__main__":
    if len(sys.argv) != 2:
        raise SystemExit("usage: olefile_dump.py FILE")
    sys.stdout.write("".join(line + "\n" for line in listing(sys.argv[1])))
