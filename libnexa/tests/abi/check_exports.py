#!/usr/bin/python3
"""Compares the dynamic symbols a shared library defines with the operations
its public header declares: nothing missing, nothing extra, no odb_* symbol."""
import re
import subprocess
import sys


def declared(header_path):
    text = open(header_path, encoding="utf-8").read()
    # Comments may mention names; only declarations count.
    text = re.sub(r"/\*.*?\*/", "", text, flags=re.S)
    return set(re.findall(r"^NEXALIB_API\b[^;(]*?\b([A-Za-z_]\w*)\s*\(", text, flags=re.M))


# Types whose size changes with _TIME_BITS or _FILE_OFFSET_BITS: a
# declaration using one would tie callers to the library's choice.
SIZE_DEPENDENT = re.compile(r"\b(time_t|off_t|ino_t|blkcnt_t|fsblkcnt_t|fsfilcnt_t|struct\s+(stat|statfs|timespec|timeval|dirent))\b")


def size_dependent(header_path):
    text = re.sub(r"/\*.*?\*/", "", open(header_path, encoding="utf-8").read(), flags=re.S)
    return sorted({m.group(0) for m in SIZE_DEPENDENT.finditer(text)})


def exported(library_path):
    out = subprocess.run(["nm", "-D", "--defined-only", library_path],
                         check=True, capture_output=True, text=True).stdout
    names = set()
    for line in out.splitlines():
        parts = line.split()
        if len(parts) == 3 and parts[1] not in ("A",):
            names.add(parts[2].split("@")[0])
    return names


def main():
    library, header = sys.argv[1], sys.argv[2]
    want, have = declared(header), exported(library)
    problems = []
    if not want:
        problems.append("the header declares no operation")
    for name in sorted(want - have):
        problems.append(f"declared but not exported: {name}")
    for name in sorted(have - want):
        problems.append(f"exported but not declared: {name}")
    for name in size_dependent(header):
        problems.append(f"declaration depends on 64-bit time or offsets: {name}")
    for name in sorted(n for n in have if n.startswith("odb_")):
        problems.append(f"defines a client-library symbol: {name}")
    for line in problems:
        print(line)
    print(f"{len(want)} declared, {len(have)} exported")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
