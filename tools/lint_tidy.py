#!/usr/bin/env python3
"""Runs clang-tidy over the files of a compilation database, JOBS at a time,
and remembers each file it found clean: by the hash of the file as the
compiler sees it (preprocessed, so every header counts), its command, the
checks and the clang-tidy version. A file whose hash is remembered is not
checked again; any change to it, a header it includes, its flags, the
checks or the tool checks it anew.

    lint_tidy.py CLANG_TIDY DATABASE_FOLDER JOBS CACHE_FOLDER

Prints the findings and exits 1 when there are any.
"""
import concurrent.futures
import hashlib
import json
import os
import shlex
import subprocess
import sys


def preprocessed(entry):
    """The file as the compiler sees it, or None when it cannot be made."""
    arguments = entry["arguments"] if "arguments" in entry else shlex.split(entry["command"])
    command = []
    skip = False
    for argument in arguments:
        if skip:
            skip = False
            continue
        if argument in ("-o", "-MF", "-MT", "-MQ"):
            skip = True
            continue
        if argument in ("-c", "-MD", "-MMD"):
            continue
        command.append(argument)
    command += ["-E", "-P", "-o", "-"]
    result = subprocess.run(command, cwd=entry["directory"], capture_output=True)
    return result.stdout if result.returncode == 0 else None


def main():
    tidy, database, jobs, cache = sys.argv[1], sys.argv[2], int(sys.argv[3]), sys.argv[4]
    os.makedirs(cache, exist_ok=True)
    entries = json.load(open(os.path.join(database, "compile_commands.json")))
    version = subprocess.run([tidy, "--version"], capture_output=True, text=True).stdout
    config = open(".clang-tidy", "rb").read()

    def check(entry):
        source = preprocessed(entry)
        key = None
        if source is not None:
            # Where the source lies does not matter: another clone hits too.
            root = os.getcwd()
            command = json.dumps(entry, sort_keys=True).replace(root, "<root>").encode()
            digest = hashlib.sha256()
            for part in (version.encode(), config, command, source.replace(root.encode(), b"<root>")):
                digest.update(hashlib.sha256(part).digest())
            key = os.path.join(cache, digest.hexdigest())
            if os.path.exists(key):
                return entry["file"], True, "", True
        result = subprocess.run([tidy, "-p", database, "--quiet", entry["file"]], capture_output=True, text=True)
        clean = result.returncode == 0
        if clean and key is not None:
            open(key, "w").close()
        return entry["file"], clean, result.stdout, False

    failed = False
    remembered = 0
    with concurrent.futures.ThreadPoolExecutor(max_workers=jobs) as pool:
        for path, clean, output, known in pool.map(check, entries):
            if not clean:
                failed = True
                sys.stdout.write(output or f"{path}: clang-tidy failed\n")
            remembered += known
    print(f"clang-tidy: {len(entries)} files, {remembered} of them unchanged since they were last found clean")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
