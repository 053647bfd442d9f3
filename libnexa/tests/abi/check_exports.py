#!/usr/bin/python3
"""Compares the dynamic symbols a shared library defines with the operations
its public header declares: nothing missing, nothing extra, and no function of
the configuration client's interface (the library's own odb_* operations are
fine).
Also checks the header's contract: no declaration depends on the size of
time or file offsets, and every operation that returns a pointer says, in
the comment that ends on the line directly above it, who owns the result."""
import re
import subprocess
import sys


def declared(header_path):
    text = open(header_path, encoding="utf-8").read()
    # Comments may mention names; only declarations count.
    text = re.sub(r"/\*.*?\*/", "", text, flags=re.S)
    # Functions end their name with "(", exported tables with "[".
    return set(re.findall(r"^NEXALIB_API\b[^;(\[]*?\b([A-Za-z_]\w*)\s*[(\[]", text, flags=re.M))


# Types whose size changes with _TIME_BITS or _FILE_OFFSET_BITS: a
# declaration using one would tie callers to the library's choice.
SIZE_DEPENDENT = re.compile(r"\b(time_t|off_t|ino_t|blkcnt_t|fsblkcnt_t|fsfilcnt_t|struct\s+(stat|statfs|timespec|timeval|dirent))\b")


def client_functions(client_header_path):
    text = re.sub(r"/\*.*?\*/", "", open(client_header_path, encoding="utf-8").read(), flags=re.S)
    return set(re.findall(r"\b(odb_\w+)\s*\(", text))


def size_dependent(header_path):
    text = re.sub(r"/\*.*?\*/", "", open(header_path, encoding="utf-8").read(), flags=re.S)
    return sorted({m.group(0) for m in SIZE_DEPENDENT.finditer(text)})


# Words that say who owns a returned pointer and how it ends.
OWNERSHIP = re.compile(r"free|own(s|ed)\b|belong|valid until|lives until|never freed|points? into|"
                       r"caller's|in place", re.I)


def unowned_pointers(header_path):
    """Pointer-returning declarations whose own comment says nothing of
    ownership. A declaration's own comment is the one that stands on lines
    of its own and ends on the line directly above it; after a blank line,
    another declaration or any other line it has none, whatever a group
    comment higher up says."""
    text = open(header_path, encoding="utf-8").read()
    missing, comment, comment_end = [], None, 0
    for m in re.finditer(r"/\*.*?\*/|^NEXALIB_API\b[^;]*;", text, flags=re.S | re.M):
        item = m.group(0)
        if item.startswith("/*"):
            # A comment after code on its line belongs to that code.
            line_start = text.rfind("\n", 0, m.start()) + 1
            alone = not text[line_start:m.start()].strip()
            comment, comment_end = (item if alone else None), m.end()
            continue
        head = re.split(r"[(\[]", item)[0]
        if "*" not in head:
            continue
        # Only trailing blanks and the one line feed may stand between.
        own = comment if re.fullmatch(r"[ \t]*\n", text[comment_end:m.start()]) else None
        if not (own and OWNERSHIP.search(own)):
            missing.append(re.findall(r"([A-Za-z_]\w*)\s*$", head)[0])
    return missing


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
    library, header, client_header = sys.argv[1], sys.argv[2], sys.argv[3]
    want, have = declared(header), exported(library)
    problems = []
    if not want:
        problems.append("the header declares no operation")
    for name in sorted(want - have):
        problems.append(f"declared but not exported: {name}")
    for name in sorted(have - want):
        problems.append(f"exported but not declared: {name}")
    for name in unowned_pointers(header):
        problems.append(f"returns a pointer without saying who owns it: {name}")
    for name in size_dependent(header):
        problems.append(f"declaration depends on 64-bit time or offsets: {name}")
    client = client_functions(client_header)
    if not client:
        problems.append("the client header declares no function")
    for name in sorted(have & client):
        problems.append(f"defines a function of the client library: {name}")
    for line in problems:
        print(line)
    print(f"{len(want)} declared, {len(have)} exported")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
