#!/usr/bin/python3
"""Who may use which share: what the configuration asks for, beside what
Samba and the FTP server allowed (RESULTS_DIR/samba-access.tsv and
ftp-access.tsv, lines USER<TAB>SHARE<TAB>write|read|none).

    access_table.py APPLIANCE_CONF RESULTS_DIR

Exits 1 when an observed access differs from the expected one.
"""
import configparser
import os
import sys

USERS = ("alice", "bob", "carol", "guest")
# The FTP server has no anonymous login: guests get nothing there.
FTP_GUEST = "none"


def odb_list(section, key):
    return [name for name in section.get(key, "").split("&") if name]


def expected_access(conf_path):
    conf = configparser.ConfigParser(interpolation=None)
    conf.read(conf_path)
    objects = [conf[name] for name in conf.sections() if "/" not in name]
    groups = {o["name"]: odb_list(o, "members") for o in objects if o.get("class") == "Group"}

    def admitted(share, users_key, groups_key):
        names = set(odb_list(share, users_key))
        for group in odb_list(share, groups_key):
            names.update(groups.get(group, []))
        return names

    table = {}
    for share in (o for o in objects if o.get("class") == "FolderShare"):
        writers = admitted(share, "allowRWUsers", "allowRWGroups")
        readers = admitted(share, "allowROUsers", "allowROGroups")
        for user in USERS:
            if share.get("allowForAll") == "1" or user in writers:
                access = "write"
            elif user in readers:
                access = "read"
            else:
                access = "none"
            table[user, share["name"]] = access
    return table


def observed(path):
    if not os.path.exists(path):
        return None
    with open(path, encoding="utf-8") as tsv:
        return {tuple(line.split("\t")[:2]): line.rstrip("\n").split("\t")[2]
                for line in tsv if line.count("\t") == 2}


def main(conf_path, results):
    expected = expected_access(conf_path)
    samba = observed(os.path.join(results, "samba-access.tsv"))
    ftp = observed(os.path.join(results, "ftp-access.tsv"))
    row = "{:<6} | {:<10} | {:<8} | {:<6} | {}"
    print(row.format("user", "share", "expected", "Samba", "FTP"))
    wrong = []
    for (user, share), want in sorted(expected.items(), key=lambda i: USERS.index(i[0][0])):
        cells = []
        for label, seen, wanted in (("Samba", samba, want),
                                    ("FTP", ftp, FTP_GUEST if user == "guest" else want)):
            got = "-" if seen is None else seen.get((user, share), "missing")
            if seen is not None and got != wanted:
                wrong.append(f"{label}: {user} on {share}: {got}, expected {wanted}")
            cells.append(got)
        print(row.format(user, share, want, *cells))
    print(f"(FTP has no anonymous login: guests expect {FTP_GUEST} there)")
    for line in wrong:
        print("MISMATCH " + line)
    return 1 if wrong else 0


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    sys.exit(main(sys.argv[1], sys.argv[2]))
