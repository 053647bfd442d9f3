#!/usr/bin/python3
"""Compares the dynamic symbols a shared library defines with the operations
its public header declares: nothing missing, nothing extra, and no function of
the configuration client's interface (the library's own odb_* operations are
fine).
Also checks the header's contract: no declaration depends on the size of
time or file offsets, and every operation that returns a pointer says, in
the comment that ends on the line directly above it, who owns the result.
And the ABI: the library's soname, its exports' version node and the
header's declarations must be those of the committed list, so an export
removed or changed (or added) fails until the list, and for a removal or a
change the soname, are changed on purpose.

  check_exports.py LIBRARY HEADER CLIENT_HEADER ABI_LIST
  check_exports.py --write HEADER SONAME NODE > ABI_LIST   (a new list)"""
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
    """The defined dynamic symbols, each with its version node ("" for
    none); the version definitions themselves (type A) are left out."""
    out = subprocess.run(["nm", "-D", "--defined-only", "--with-symbol-versions", library_path],
                         check=True, capture_output=True, text=True).stdout
    names = {}
    for line in out.splitlines():
        parts = line.split()
        if len(parts) == 3 and parts[1] not in ("A",):
            name, _, node = parts[2].partition("@")
            names[name] = node.lstrip("@")
    return names


def abi_key(line):
    """What a line of the ABI names: "struct X", "define X" or the export."""
    if line.startswith("typedef struct "):
        return "struct " + line.split()[2]
    if line.startswith("#define "):
        return "define " + line.split()[1]
    return re.findall(r"([A-Za-z_]\w*)\s*[(\[]", line)[0]


def declarations(header_path):
    """Each export's declaration as the header writes it, blanks collapsed,
    keyed by abi_key."""
    text = re.sub(r"/\*.*?\*/", "", open(header_path, encoding="utf-8").read(), flags=re.S)
    lines = []
    for m in re.finditer(r"^NEXALIB_API\b([^;]*);", text, flags=re.M):
        decl = re.sub(r"\s+", " ", m.group(1)).strip()
        lines.append(re.sub(r"\( ", "(", re.sub(r" \)", ")", decl)) + ";")
    # The layouts and constants callers compile in are part of it too.
    for m in re.finditer(r"^typedef struct \w+ \{.*?\} \w+;", text, flags=re.M | re.S):
        lines.append(re.sub(r"\s+", " ", m.group(0)))
    for m in re.finditer(r"^#define ((?!NEXALIB_(H|API|PRINTF)\b)\w+) (.+)$", text, flags=re.M):
        lines.append(f"#define {m.group(1)} {m.group(3).strip()}")
    return {abi_key(line): line for line in lines}


def soname_of(library_path):
    out = subprocess.run(["readelf", "-d", library_path], check=True, capture_output=True,
                         text=True).stdout
    m = re.search(r"\(SONAME\).*\[(.*)\]", out)
    return m.group(1) if m else ""


ABI_HEAD = """# libnexa's ABI: the soname, the version node of the exports, and every
# export as include/nexalib.h declares it. The export check holds the built
# library and the header to this list. Adding an operation adds its line;
# removing or changing one breaks callers built against the old library:
# change the soname (and the node) with it, on purpose.
"""


def read_abi(path):
    soname, node, decls = "", "", {}
    for line in open(path, encoding="utf-8"):
        line = line.strip()
        if not line or line.startswith("# ") or line == "#":
            continue
        if line.startswith("soname "):
            soname = line.split(None, 1)[1]
        elif line.startswith("node "):
            node = line.split(None, 1)[1]
        else:
            decls[abi_key(line)] = line
    return soname, node, decls


def abi_problems(library, header, abi_path, have):
    soname, node, listed = read_abi(abi_path)
    problems = []
    if soname_of(library) != soname:
        problems.append(f"soname {soname_of(library)!r}, the ABI list says {soname!r}")
    for name in sorted(n for n, v in have.items() if v != node):
        problems.append(f"exported outside version node {node}: {name}")
    declared_now = declarations(header)
    for name in sorted(listed):
        if name not in declared_now:
            problems.append(f"removed since the committed ABI: {name}")
        elif declared_now[name] != listed[name]:
            problems.append(f"changed since the committed ABI: {declared_now[name]} "
                            f"(was {listed[name]})")
    for name in sorted(declared_now.keys() - listed.keys()):
        problems.append(f"added, not yet in the committed ABI: {declared_now[name]}")
    return problems


def write_abi(header, soname, node):
    print(ABI_HEAD + f"soname {soname}\nnode {node}")
    declared_now = declarations(header)
    for name in sorted(declared_now):
        print(declared_now[name])
    return 0


def main():
    if sys.argv[1] == "--write":
        return write_abi(*sys.argv[2:5])
    library, header, client_header, abi_path = sys.argv[1:5]
    want, have = declared(header), exported(library)
    problems = abi_problems(library, header, abi_path, have)
    if not want:
        problems.append("the header declares no operation")
    for name in sorted(want - have.keys()):
        problems.append(f"declared but not exported: {name}")
    for name in sorted(have.keys() - want):
        problems.append(f"exported but not declared: {name}")
    for name in unowned_pointers(header):
        problems.append(f"returns a pointer without saying who owns it: {name}")
    for name in size_dependent(header):
        problems.append(f"declaration depends on 64-bit time or offsets: {name}")
    client = client_functions(client_header)
    if not client:
        problems.append("the client header declares no function")
    for name in sorted(have.keys() & client):
        problems.append(f"defines a function of the client library: {name}")
    for line in problems:
        print(line)
    print(f"{len(want)} declared, {len(have)} exported")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
