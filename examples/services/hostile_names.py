#!/usr/bin/python3
"""What the library made of each name of the hostile configuration: an
account, a share (a Samba section and an FTP block), or nothing.

    hostile_names.py HOSTILE_CONF ROOT [--shared]

ROOT is the sandbox root the example programs wrote to. With --shared, it
prints only the names of the shares that got a Samba section or an FTP
block, one a line.
"""
import os
import sys

from access_table import read_objects

SYSTEM_VOLUME = "/shares/system"


def shown(name):
    """The name as text a terminal shows as it is, in quotes."""
    text = "".join(c if c.isprintable() else "\\x%02x" % ord(c) for c in name)
    if len(text) > 24:
        text = text[:12] + "...(%d)" % len(name)
    return '"' + text + '"'


def lines_of(root, path):
    with open(os.path.join(root, path.lstrip("/")), encoding="utf-8", errors="surrogateescape") as f:
        return f.read().split("\n")


def main(conf, root, only_shared):
    objects = read_objects([conf])
    accounts = {line.split(":", 1)[0] for line in lines_of(root, "/etc/passwd")}
    groups = {line.split(":", 1)[0] for line in lines_of(root, "/etc/group")}
    sections = set(lines_of(root, "/etc/samba/smb.conf"))
    blocks = set(lines_of(root, "/usr/ruvoro/etc/proftpd.conf"))
    row = "{:<6} | {:<28} | {}"
    if not only_shared:
        print(row.format("kind", "name", "what the library did"))
    for obj in objects:
        kind, name = obj.get("class"), obj.get("name", "")
        if kind == "User":
            outcome = "account added" if name in accounts else "refused"
        elif kind == "Group":
            outcome = "group added" if name in groups else "refused"
        elif kind == "FolderShare":
            directory = SYSTEM_VOLUME + "/" + name
            made = [label for label, found in (
                ("Samba section", "[" + name + "]" in sections),
                ("FTP block", "<Directory " + directory + ">" in blocks
                 or '<Directory "' + directory + '">' in blocks)) if found]
            outcome = "shared: " + ", ".join(made) if made else "refused"
            if made and only_shared:
                print(name)
        else:
            continue
        if not only_shared:
            print(row.format(kind.replace("FolderShare", "Share"), shown(name), outcome))
    return 0


if __name__ == "__main__":
    if len(sys.argv) not in (3, 4) or sys.argv[3:] not in ([], ["--shared"]):
        sys.exit(__doc__)
    sys.exit(main(sys.argv[1], sys.argv[2], sys.argv[3:] == ["--shared"]))
