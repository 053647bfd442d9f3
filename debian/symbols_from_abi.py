#!/usr/bin/python3
"""Prints the dpkg symbols file of a library from its committed ABI list:
each export's name at the list's version node, since the package's first
version."""
import re
import sys

abi_path, package = sys.argv[1], sys.argv[2]
soname, node, names = "", "", []
for line in open(abi_path, encoding="utf-8"):
    line = line.strip()
    if line.startswith("soname "):
        soname = line.split()[1]
    elif line.startswith("node "):
        node = line.split()[1]
    elif line and not line.startswith(("#", "typedef struct ")):
        names.append(re.findall(r"([A-Za-z_]\w*)\s*[(\[]", line)[0])
print(f"{soname} {package} #MINVER#")
print(f" {node}@{node} 0.1.0")
for name in sorted(names):
    print(f" {name}@{node} 0.1.0")
