#!/usr/bin/env python3
"""Runs clang-tidy over files of a build, reusing earlier clean results.

A file's result is keyed by a hash of everything clang-tidy reads: its text
after the preprocessor (so every header it includes counts), its compile
command, the clang-tidy options given here, every .clang-tidy configuration
of the tree and clang-tidy's version. Only clean results are kept, under
~/.cache/nexa-tidy (NEXA_TIDY_CACHE); a file with findings runs every time.

    tidy_cached.py BUILD_DIR JOBS [CLANG_TIDY_OPTION...] -- FILE...

Prints clang-tidy's output for the files it ran and exits non-zero when any
run failed.
"""
import concurrent.futures
import hashlib
import json
import os
import pathlib
import shlex
import subprocess
import sys
import time

TIDY = "clang-tidy"


def compile_commands(build):
    entries = json.loads((pathlib.Path(build) / "compile_commands.json").read_text())
    return {e["file"]: e for e in entries}


def preprocessed(entry):
    """The file as the compiler sees it, or None when it cannot be made."""
    args = entry.get("arguments") or shlex.split(entry["command"])
    out, skip = [], False
    for arg in args:
        if skip:
            skip = False
            continue
        if arg == "-o":
            skip = True
            continue
        if arg == "-c":
            continue
        out.append(arg)
    result = subprocess.run(out + ["-E", "-o", "-"], cwd=entry["directory"],
                            capture_output=True)
    return result.stdout if result.returncode == 0 else None


def configuration(root):
    digest = hashlib.sha256()
    # The tracked configurations only: walking the build trees would cost
    # more than the rest of a cached run.
    tracked = subprocess.run(["git", "-C", str(root), "ls-files", "--", ".clang-tidy",
                              "*/.clang-tidy"], capture_output=True, text=True).stdout
    for name in sorted(tracked.split()):
        digest.update(name.encode() + b"\0" + (root / name).read_bytes())
    version = subprocess.run([TIDY, "--version"], capture_output=True).stdout
    return digest.hexdigest() + hashlib.sha256(version).hexdigest()


def main():
    build, jobs = sys.argv[1], int(sys.argv[2])
    split = sys.argv.index("--")
    options, files = sys.argv[3:split], sys.argv[split + 1:]
    root = pathlib.Path(__file__).resolve().parent.parent
    cache = pathlib.Path(os.environ.get("NEXA_TIDY_CACHE") or
                         pathlib.Path(os.environ.get("XDG_CACHE_HOME") or
                                      pathlib.Path.home() / ".cache") / "nexa-tidy")
    cache.mkdir(parents=True, exist_ok=True)
    for old in cache.iterdir():  # results no run has used for two months
        if old.stat().st_mtime < time.time() - 60 * 86400:
            old.unlink(missing_ok=True)
    commands = compile_commands(build)
    shared = configuration(root) + "\0".join(options)

    def run(file):
        entry = commands[file]
        text = preprocessed(entry)
        key = None
        if text is not None:
            digest = hashlib.sha256(shared.encode())
            digest.update(json.dumps(entry, sort_keys=True).encode())
            digest.update(text)
            key = cache / digest.hexdigest()
            if key.exists():
                key.touch()  # kept while in use
                return 0, "", True
        result = subprocess.run([TIDY, "-p", build, "--quiet", *options, file],
                                capture_output=True, text=True)
        output = result.stdout + result.stderr
        clean = result.returncode == 0 and ": warning: " not in output and ": error: " not in output
        if clean and key is not None:
            key.touch()
        return result.returncode, output, False

    status, reused = 0, 0
    with concurrent.futures.ThreadPoolExecutor(max_workers=jobs) as pool:
        for code, output, hit in pool.map(run, files):
            reused += hit
            if output:
                sys.stdout.write(output)
            status = status or code
    print(f"clang-tidy: {reused} of {len(files)} files unchanged since a clean run")
    return 1 if status else 0


if __name__ == "__main__":
    sys.exit(main())
