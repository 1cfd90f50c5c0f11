#!/usr/bin/env python3
"""Compiles every C++ source of a build once more with another compiler, a cross compiler, from
the build's own compile commands (compile_commands.json), with the same flags and warnings as
errors where the build has them. Only the compiler's checks run (-fsyntax-only): no object is
written and nothing is linked, so no library of the other architecture is needed, and the headers
are the machine's own. Fails, with the compiler's messages, if any source does not compile.

    cross_compile.py --compiler aarch64-linux-gnu-g++ --commands BUILD/compile_commands.json
"""
import argparse
import concurrent.futures
import json
import os
import shlex
import subprocess
import sys


def cross_command(entry, compiler):
    """The entry's command with the compiler replaced, checking the source without writing
    anything: the compiler's front end, where a construct of one architecture alone fails, and
    the warnings, without the optimiser and the code generation."""
    words = entry["arguments"] if "arguments" in entry else shlex.split(entry["command"])
    command = [compiler]
    rest = iter(words[1:])
    for word in rest:
        if word in ("-o", "-MF", "-MT", "-MQ"):
            next(rest)  # the build's own object and dependency files
        elif word == "-c":
            command.append("-fsyntax-only")
        elif word not in ("-MD", "-MMD"):
            command.append(word)
    return command


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--compiler", required=True)
    parser.add_argument("--commands", required=True, help="the build's compile_commands.json")
    args = parser.parse_args()
    with open(args.commands, encoding="utf-8") as file:
        entries = json.load(file)

    def compile_one(entry):
        result = subprocess.run(cross_command(entry, args.compiler), cwd=entry["directory"],
                                capture_output=True, text=True)
        return entry["file"], result

    failed = 0
    with concurrent.futures.ThreadPoolExecutor(os.cpu_count() or 1) as pool:
        for source, result in pool.map(compile_one, entries):
            if result.returncode != 0:
                failed += 1
                print("%s: does not compile with %s\n%s" % (source, args.compiler,
                                                            result.stderr), file=sys.stderr)
    print("%d of %d sources compile with %s" % (len(entries) - failed, len(entries),
                                                args.compiler))
    return 1 if failed or not entries else 0


if __name__ == "__main__":
    sys.exit(main())
