#!/usr/bin/python3
"""Who may use which share: what the configuration asks for, beside what
Samba and the FTP server allowed (RESULTS_DIR/samba-access.tsv and
ftp-access.tsv, lines CLIENT<TAB>SHARE<TAB>write|read|none).

    access_table.py RESULTS_DIR CONF [CONF...]

The configuration is the key files CONF read one after the other. A client
is a user, "guest", or a user who claims more than who they are
("carol+netbios:alice-work"): its access must be that of the user before
"+". Exits 1 when an observed access differs from the expected one.
"""
import configparser
import os
import sys

# The FTP server has no anonymous login: guests get nothing there.
FTP_GUEST = "none"
KEY_FILE_ESCAPES = {"s": " ", "n": "\n", "t": "\t", "r": "\r", "\\": "\\"}


def unescaped(value):
    """A GLib key file value without its escapes ("\\s" a blank...)."""
    out, i = [], 0
    while i < len(value):
        if value[i] == "\\" and i + 1 < len(value):
            out.append(KEY_FILE_ESCAPES.get(value[i + 1], value[i + 1]))
            i += 2
        else:
            out.append(value[i])
            i += 1
    return "".join(out)


def read_objects(conf_paths):
    """The main namespace of every object, its keys unescaped, in order."""
    conf = configparser.ConfigParser(interpolation=None, strict=False, delimiters=("=",))
    conf.optionxform = str
    for path in conf_paths:
        with open(path, encoding="utf-8", newline="\n") as text:
            conf.read_file(text, path)
    return [{key: unescaped(value) for key, value in conf[name].items()}
            for name in conf.sections() if "/" not in name]


def odb_list(obj, key):
    return [name for name in obj.get(key, "").split("&") if name]


def expected_access(objects, user, share_name):
    groups = {o["name"]: odb_list(o, "members") for o in objects if o.get("class") == "Group"}

    def admitted(share, users_key, groups_key):
        names = set(odb_list(share, users_key))
        for group in odb_list(share, groups_key):
            names.update(groups.get(group, []))
        return names

    for share in (o for o in objects if o.get("class") == "FolderShare"):
        if share.get("name") != share_name:
            continue
        if share.get("allowForAll") == "1" or user in admitted(share, "allowRWUsers", "allowRWGroups"):
            return "write"
        if user in admitted(share, "allowROUsers", "allowROGroups"):
            return "read"
    return "none"


def observed(path):
    if not os.path.exists(path):
        return None
    with open(path, encoding="utf-8") as tsv:
        return [tuple(line.rstrip("\n").split("\t")) for line in tsv if line.count("\t") == 2]


def main(results, conf_paths):
    objects = read_objects(conf_paths)
    seen = {label: observed(os.path.join(results, name))
            for label, name in (("Samba", "samba-access.tsv"), ("FTP", "ftp-access.tsv"))}
    pairs = []
    for rows in seen.values():
        for client, share, _ in rows or []:
            if (client, share) not in pairs:
                pairs.append((client, share))
    found = {label: {(c, s): got for c, s, got in rows} if rows is not None else None
             for label, rows in seen.items()}
    width = max([len(c) for c, _ in pairs] + [6])
    row = "{:<%d} | {:<14} | {:<8} | {:<6} | {}" % width
    print(row.format("client", "share", "expected", "Samba", "FTP"))
    wrong = []
    for client, share in pairs:
        user = client.split("+", 1)[0]
        want = expected_access(objects, user, share)
        cells = []
        for label in ("Samba", "FTP"):
            wanted = FTP_GUEST if label == "FTP" and user == "guest" else want
            table = found[label]
            got = "-" if table is None else table.get((client, share), "-")
            if got != "-" and got != wanted:
                wrong.append(f"{label}: {client} on {share}: {got}, expected {wanted}")
            cells.append(got)
        print(row.format(client, share, want, *cells))
    print(f"(FTP has no anonymous login: guests expect {FTP_GUEST} there; - not tried)")
    for line in wrong:
        print("MISMATCH " + line)
    return 1 if wrong else 0


if __name__ == "__main__":
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    sys.exit(main(sys.argv[1], sys.argv[2:]))
