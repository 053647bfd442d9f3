#!/usr/bin/python3
"""Fails when library code could run a command line that was not built by
CommandLine from literals and quoted values: only the exported
nexalib_system* shells may hand a caller's text through, and only the
system layer may start a process."""
import pathlib
import re
import sys

RAW_LINES_ALLOWED = {"core/core_api.cpp", "core/command_line.cpp", "core/command_line.h"}
PROCESS_ALLOWED = {"core/sys.cpp"}
PROCESS_CALL = re.compile(r"\b(system|popen|execl|execlp|execle|execv|execvp|execvpe|fork|vfork|posix_spawnp?)\s*\(")


def code_lines(text):
    # Comments and string literals may mention anything; only code counts.
    text = re.sub(r"/\*.*?\*/", "", text, flags=re.S)
    for number, line in enumerate(text.splitlines(), 1):
        line = re.sub(r'"(\\.|[^"\\])*"', '""', line)
        yield number, line.split("//")[0]


def main():
    library = pathlib.Path(sys.argv[1])
    problems = []
    for path in sorted(library.rglob("*")):
        rel = path.relative_to(library).as_posix()
        if path.suffix not in (".cpp", ".h") or rel.startswith(("tests/", "fuzz/")):
            continue
        for number, line in code_lines(path.read_text(encoding="utf-8")):
            if "from_caller" in line and rel not in RAW_LINES_ALLOWED:
                problems.append(f"{rel}:{number}: raw command line outside the exported shells")
            if PROCESS_CALL.search(line) and rel not in PROCESS_ALLOWED:
                problems.append(f"{rel}:{number}: starts a process outside the system layer")
    for problem in problems:
        print(problem)
    print(f"{len(problems)} command-line problems")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
