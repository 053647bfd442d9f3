#!/usr/bin/python3
"""Fails when library code could run a command line that was not built by
CommandLine from literals and quoted values: only the exported
nexalib_system* shells may hand a caller's text through, and only the
system layer may start a process. The system layer (core/) is also the only
code that opens, reads, writes, locks, renames or removes files or touches
the environment: everything else goes through it, so paths are mapped and
faults can be injected in one place."""
import pathlib
import re
import sys

RAW_LINES_ALLOWED = {"core/core_api.cpp", "core/command_line.cpp", "core/command_line.h"}
PROCESS_ALLOWED = {"core/sys.cpp"}
PROCESS_CALL = re.compile(r"\b(system|popen|execl|execlp|execle|execv|execvp|execvpe|fork|vfork|posix_spawnp?)\s*\(")
SYSTEM_ALLOWED = "core/"
# A plain or ::-qualified call; members (x.read) and longer names do not count.
SYSTEM_CALL = re.compile(
    r"(?<![\w.>])(?:::|std::)?(open|openat|creat|fopen|fdopen|freopen|read|write|pread|pwrite|"
    r"lseek|stat|fstat|lstat|fstatat|statfs|statvfs|fchmod|chmod|chown|fchown|lchown|flock|fcntl|"
    r"lockf|rename|renameat|unlink|unlinkat|mkdir|rmdir|opendir|fdopendir|scandir|setmntent|"
    r"truncate|ftruncate|fsync|fdatasync|access|readlink|symlink|link|mkstemp|mkdtemp|tmpfile|"
    r"setenv|putenv|unsetenv|getenv|secure_getenv|clearenv|umask|chdir)\s*\(")


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
            call = SYSTEM_CALL.search(line)
            if call and not rel.startswith(SYSTEM_ALLOWED):
                problems.append(f"{rel}:{number}: {call.group(1)} outside the system layer")
    for problem in problems:
        print(problem)
    print(f"{len(problems)} command-line and system-call problems")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
