"""Times bytemorph-files converting folders in place, beside enconv, and
checks every result.

Usage: bench/files_bench.py BUILD_DIR [--runs N] [--files N] [--big-mb N]

1. Many small files: N files of a few KB each (Russian man page text,
   in koi, win, dos and utf in turn), `bytemorph-files -r auto utf` (durable)
   against `enconv -L russian -x UTF-8` on the same files (not durable).
   Then every file bytemorph-files converted must be byte for byte what
   `bytemorph PAGE utf` gives for its true page, and every utf file untouched.
2. One big KOI8-R file in place, against
   `bytemorph koi utf < f > g && sync`.
Medians of --runs rounds, the folders made afresh for each.
"""
import argparse
import collections
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from guess_accuracy import held_out_pages, need  # noqa: E402

PAGES = [("koi", "koi8_r"), ("win", "cp1251"), ("dos", "cp866"), ("utf", "utf-8")]


def small_files(count):
    """(name, page, bytes): consecutive lines of the man pages, 1-6 KB each."""
    lines = [line for page in held_out_pages() for line in page]
    files, at = [], 0
    for index in range(count):
        size = 1000 + index * 7919 % 5000
        text = []
        while sum(map(len, text)) < size // 2:
            text.append(lines[at % len(lines)])
            at += 1
        page, codec = PAGES[index % len(PAGES)]
        data = ("\n".join(text) + "\n").encode(codec, errors="ignore")
        files.append((f"d{index // 500:02}/f{index:05}.txt", page, data))
    return files


def lay_out(top, files):
    for name, _, data in files:
        os.makedirs(os.path.join(top, os.path.dirname(name)), exist_ok=True)
        with open(os.path.join(top, name), "wb") as out:
            out.write(data)
    subprocess.run(["sync"], check=True)


def timed(command, check=True, **kwargs):
    """Seconds the command took, and what it wrote on standard output."""
    started = time.perf_counter()
    result = subprocess.run(command, check=check, stdout=subprocess.PIPE,
                            stderr=subprocess.DEVNULL, **kwargs)
    return time.perf_counter() - started, result.stdout


def check_results(top, files, bytemorph, report):
    """Files not what `bytemorph PAGE utf` makes of them, by what was done."""
    wrong = collections.Counter()
    done = {}
    for line in (report or b"").decode().splitlines():
        name, what = line[len(top) + 1:].split(": ", 1)
        done[name] = what
    for name, page, data in files:
        want = data if page == "utf" else subprocess.run(
            [bytemorph, page, "utf"], input=data, capture_output=True, check=True).stdout
        with open(os.path.join(top, name), "rb") as f:
            if f.read() != want:
                wrong[f"{page}: {done.get(name, 'converted wrongly or left')}"] += 1
    return wrong


def many_small(args, build, scratch):
    need("enconv", "enca")
    files = small_files(args.files)
    total = sum(len(data) for _, _, data in files)
    print(f"{len(files)} files, {total / 1e6:.1f} MB, koi/win/dos/utf in turn")
    ours, theirs = [], []
    top = os.path.join(scratch, "small")
    for _ in range(args.runs):
        shutil.rmtree(top, ignore_errors=True)
        lay_out(top, files)
        seconds, report = timed([os.path.join(build, "bytemorph-files"), "-v", "-r", "auto",
                                 "utf", top])
        ours.append(seconds)
        wrong = check_results(top, files, os.path.join(build, "bytemorph"), report)
        shutil.rmtree(top)
        lay_out(top, files)
        names = [os.path.join(top, name) for name, _, _ in files]
        theirs.append(timed(["xargs", "-0", "enconv", "-L", "russian", "-x", "UTF-8"],
                            input=b"\0".join(n.encode() for n in names), check=False)[0])
        enconv_wrong = check_results(top, files, os.path.join(build, "bytemorph"), None)
    mine, enconv = statistics.median(ours), statistics.median(theirs)
    print(f"  bytemorph-files -r auto utf (durable): {mine:.2f} s")
    print(f"  enconv -L russian -x UTF-8:            {enconv:.2f} s")
    print(f"  ratio: {mine / enconv:.2f}x   (goal: at most 1.2x)")
    print(f"  files not what bytemorph gives for their true page: {sum(wrong.values())}")
    for what, count in wrong.most_common():
        print(f"    {count:4}  {what}")
    print(f"  files enconv did not make what bytemorph gives: {sum(enconv_wrong.values())}")
    for what, count in enconv_wrong.most_common():
        print(f"    {count:4}  {what}")


def one_big(args, build, scratch):
    line = ("\n".join(held_out_pages()[0]) + "\n").encode("koi8_r", errors="ignore")
    data = line * (args.big_mb * 1_000_000 // len(line))
    original = os.path.join(scratch, "big.koi")
    with open(original, "wb") as out:
        out.write(data)
    work, output = os.path.join(scratch, "work"), os.path.join(scratch, "out")
    ours, filter_runs = [], []
    bytemorph = os.path.join(build, "bytemorph")
    for _ in range(args.runs):
        shutil.copyfile(original, work)
        subprocess.run(["sync"], check=True)
        ours.append(timed([os.path.join(build, "bytemorph-files"), "koi", "utf", work])[0])
        with open(original, "rb") as source, open(output, "wb") as sink:
            subprocess.run(["sync"], check=True)
            started = time.perf_counter()
            subprocess.run([bytemorph, "koi", "utf"], stdin=source, stdout=sink, check=True)
            subprocess.run(["sync"], check=True)
            filter_runs.append(time.perf_counter() - started)
        os.remove(output)
    mine, plain = statistics.median(ours), statistics.median(filter_runs)
    print(f"{len(data) / 1e6:.0f} MB KOI8-R file in place")
    print(f"  bytemorph-files koi utf:               {mine:.2f} s")
    print(f"  bytemorph koi utf < f > g && sync:      {plain:.2f} s")
    print(f"  ratio: {mine / plain:.2f}x   (goal: at most 1.2x)")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("build")
    parser.add_argument("--runs", type=int, default=3)
    parser.add_argument("--files", type=int, default=10000)
    parser.add_argument("--big-mb", type=int, default=200)
    args = parser.parse_args()
    build = os.path.abspath(args.build)
    with tempfile.TemporaryDirectory(dir=os.path.expanduser("~")) as scratch:
        many_small(args, build, scratch)
        one_big(args, build, scratch)


if __name__ == "__main__":
    main()
