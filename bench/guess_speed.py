#!/usr/bin/env python3
"""How long bytemorph-guess takes over many small files, beside enca.

Writes 10,000 one-line files, each a line of tests/guess_sample.txt in one
of the six encodings at random, and times each program over all of them
given on one command line, in interleaved rounds so that the machine's
drift falls on every program alike. Prints each program's median and
fastest round, and each median against enca's.

Usage: bench/guess_speed.py BYTEMORPH_GUESS [OTHER_BUILD...] [--rounds N]
Other builds of bytemorph-guess (an older one, say) are timed beside it.
"""
import argparse
import os
import random
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

ENCODINGS = ["koi8_r", "cp1251", "cp866", "mac_cyrillic", "iso8859_5", "utf-8"]
SAMPLE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "guess_sample.txt")


def write_files(folder, count, rng):
    with open(SAMPLE, encoding="utf-8") as f:
        lines = [line for line in f.read().split("\n") if line.strip()]
    paths = []
    for number in range(count):
        path = os.path.join(folder, f"{number:05}.txt")
        with open(path, "wb") as f:
            f.write((rng.choice(lines) + "\n").encode(rng.choice(ENCODINGS)))
        paths.append(path)
    return paths


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("guess", nargs="+")
    parser.add_argument("--rounds", type=int, default=9)
    parser.add_argument("--files", type=int, default=10000)
    parser.add_argument("--seed", type=int, default=12)
    args = parser.parse_args()
    commands = {path: [os.path.abspath(path)] for path in args.guess}
    if shutil.which("enca"):
        commands["enca -L russian"] = ["enca", "-L", "russian"]
    else:
        print("enca is not installed (apt-get install enca): timing bytemorph-guess alone",
              file=sys.stderr)
    folder = tempfile.mkdtemp()
    try:
        paths = write_files(folder, args.files, random.Random(args.seed))
        times = {label: [] for label in commands}
        for _ in range(args.rounds):
            for label, command in commands.items():
                start = time.perf_counter()
                subprocess.run(command + paths, stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL)
                times[label].append(time.perf_counter() - start)
    finally:
        shutil.rmtree(folder)
    enca = statistics.median(times["enca -L russian"]) if "enca -L russian" in times else None
    print(f"{args.files} one-line files, {args.rounds} rounds")
    for label, rounds in times.items():
        median = statistics.median(rounds)
        against = f", {median / enca:.2f}x enca" if enca else ""
        print(f"{label}: median {median:.3f} s, fastest {min(rounds):.3f} s{against}")


if __name__ == "__main__":
    main()
