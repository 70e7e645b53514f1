#!/usr/bin/env python3
"""Whole-process throughput: bytemorph against the general converters.

Builds a corpus from real Russian prose (Debian's fortunes-ru), grows it to
a 200 MB file in each code page and UTF-8, plus a typographic CP1251 file
(straight quotes as « », spaced hyphens as em dashes), and times every
converter on the same file, stdin from the file and stdout to /dev/null,
several rounds in which each runs once. `cat` of the same file is the
yardstick. Prints markdown
tables (median wall time, MB/s, ratio to cat, peak memory) and, with --out,
writes them to DIR/benchmarks.md and draws DIR/throughput.png with gnuplot.

Usage: bench/compare.py BYTEMORPH_BINARY [--runs N] [--mb N] [--out DIR]
"""
import argparse
import datetime
import glob
import os
import platform
import shutil
import statistics
import subprocess
import sys
import time

CODECS = {"koi": "koi8_r", "win": "cp1251", "dos": "cp866",
          "mac": "mac_cyrillic", "iso": "iso8859_5", "utf": "utf-8"}
ICONV_NAMES = {"koi": "KOI8-R", "win": "CP1251", "dos": "CP866",
               "mac": "MAC-CYRILLIC", "iso": "ISO-8859-5", "utf": "UTF-8"}
ICU_NAMES = {"koi": "koi8-r", "win": "windows-1251", "dos": "ibm-866",
             "mac": "x-mac-cyrillic", "iso": "iso-8859-5", "utf": "utf-8"}
WORK = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..",
                    "build-bench")


def need(tool, package):
    if shutil.which(tool) is None:
        subprocess.run(["apt-get", "install", "-y", "-qq", package], check=True,
                       stdout=subprocess.DEVNULL)


def russian_prose():
    """The text of Debian's Russian fortune files, as str."""
    root = os.path.join(WORK, "fortunes-ru")
    if not os.path.isdir(root):
        os.makedirs(WORK, exist_ok=True)
        subprocess.run(["apt-get", "download", "fortunes-ru"], cwd=WORK,
                       check=True, stdout=subprocess.DEVNULL)
        deb = glob.glob(os.path.join(WORK, "fortunes-ru_*.deb"))[0]
        subprocess.run(["dpkg-deb", "-x", deb, root], check=True)
    texts = []
    for path in sorted(glob.glob(os.path.join(root, "usr/share/games/fortunes/ru/*"))):
        if os.path.isfile(path) and not path.endswith(".dat"):
            with open(path, "rb") as f:
                texts.append(f.read().decode("utf-8", errors="ignore"))
    prose = "".join(texts)
    if len(prose) < 100_000:
        sys.exit("bench: too little Russian text in fortunes-ru")
    return prose


def typographic(prose):
    """Straight quotes as « », spaced hyphens and double hyphens as dashes."""
    quotes = prose.split('"')
    text = "".join(part + ("\u00ab" if i % 2 == 0 else "\u00bb")
                   for i, part in enumerate(quotes[:-1])) + quotes[-1]
    return text.replace(" - ", " \u2014 ").replace("--", "\u2014")


def corpus_files(megabytes):
    prose = None
    files = {}
    for name, codec in list(CODECS.items()) + [("typo", "cp1251")]:
        path = os.path.join(WORK, f"corpus-{megabytes}MB.{name}")
        if not os.path.exists(path):
            prose = prose or russian_prose()
            text = typographic(prose) if name == "typo" else prose
            block = text.encode(codec, errors="ignore")
            size = megabytes * 1_000_000
            with open(path + ".tmp", "wb") as f:
                for _ in range(size // len(block)):
                    f.write(block)
                # Whole characters only: iconv rejects a cut UTF-8 sequence.
                tail = block[: size % len(block)]
                f.write(tail.decode(codec, errors="ignore").encode(codec))
            os.replace(path + ".tmp", path)
        files[name] = path
    # The text of the UTF-8 file in koi: koi to utf writes that file again,
    # so cat of it is the yardstick for both directions.
    path = os.path.join(WORK, f"corpus-{megabytes}MB.utf.koi")
    if not os.path.exists(path):
        with open(files["utf"], "rb") as f:
            text = f.read().decode("utf-8", errors="ignore")
        with open(path + ".tmp", "wb") as f:
            f.write(text.encode("koi8_r", errors="ignore"))
        os.replace(path + ".tmp", path)
    files["utf.koi"] = path
    return files


def measure(command, input_path, env=None):
    """Wall seconds and peak resident KiB of one run.

    GNU time reports the peak: a child forked from this Python process would
    count Python's own pages from before its exec.
    """
    report = os.path.join(WORK, "time.out")
    with open(input_path, "rb") as stdin, open(os.devnull, "wb") as stdout:
        start = time.perf_counter()
        status = subprocess.run(["/usr/bin/time", "-f", "%M", "-o", report,
                                 *command], stdin=stdin, stdout=stdout,
                                env=env).returncode
        elapsed = time.perf_counter() - start
    if status != 0:
        sys.exit(f"bench: {' '.join(command)} failed with status {status}")
    with open(report) as f:
        return elapsed, int(f.read().split()[-1])


def tr_arguments(binary, source, target):
    """The byte map of bytemorph as the two sets of tr (no removed bytes)."""
    if "utf" in (source, target):
        return None
    probe = bytes(b for b in range(1, 256) if b != 10)
    out = subprocess.run([binary, source, target], input=probe,
                         capture_output=True, check=True).stdout[:-1]
    if len(out) != len(probe):
        return None
    escape = lambda data: "".join(f"\\{b:03o}" for b in data)
    return escape(probe), escape(out)


def kernels(binary):
    names = []
    for name in ("avx512", "avx2", "scalar"):
        env = dict(os.environ, BYTEMORPH_KERNEL=name)
        if subprocess.run([binary, "koi", "koi"], input=b"", env=env,
                          capture_output=True).returncode == 0:
            names.append(name)
    return names


def iconv_command(source, target):
    return ["iconv", "-c", "-f", ICONV_NAMES[source], "-t", ICONV_NAMES[target]]


def uconv_command(source, target):
    return ["uconv", "-c", "-f", ICU_NAMES[source], "-t", ICU_NAMES[target]]


def contenders(binary, source, target):
    recode_names = {"koi": "KOI8-R", "win": "CP1251", "dos": "CP866",
                    "mac": "MacCyrillic", "iso": "ISO-8859-5", "utf": "UTF-8"}
    rows = []
    for kernel in kernels(binary):
        rows.append((f"bytemorph ({kernel})", [binary, source, target],
                     dict(os.environ, BYTEMORPH_KERNEL=kernel)))
    rows.append(("iconv -c", iconv_command(source, target), None))
    rows.append(("uconv -c", uconv_command(source, target), None))
    rows.append(("recode -f", ["recode", "-f",
                               f"{recode_names[source]}..{recode_names[target]}"],
                 None))
    sets = tr_arguments(binary, source, target)
    if sets:
        rows.append(("tr (same map)", ["tr", *sets], None))
    rows.append(("dd bs=64K", ["dd", "bs=64K", "status=none"], None))
    return rows


def median_runs(jobs, runs):
    """Median seconds and peak KiB of each (command, path, env) job, the
    jobs run in turn, round after round: this machine's speed drifts by
    tens of percent between minutes, and a ratio of runs made minutes
    apart would carry that drift."""
    measured = [[] for _ in jobs]
    for _ in range(runs):
        for results, (command, path, env) in zip(measured, jobs):
            results.append(measure(command, path, env))
    return [(statistics.median(m[0] for m in results), max(m[1] for m in results))
            for results in measured]


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("binary")
    parser.add_argument("--runs", type=int, default=5)
    parser.add_argument("--mb", type=int, default=200)
    parser.add_argument("--out")
    args = parser.parse_args()
    binary = os.path.abspath(args.binary)
    for tool, package in (("/usr/bin/time", "time"), ("uconv", "icu-devtools"),
                          ("recode", "recode"), ("gnuplot", "gnuplot-nox")):
        need(tool, package)
    files = corpus_files(args.mb)
    size_mb = os.path.getsize(files["koi"]) / 1e6

    # The headline pair against everything, then each case against cat of
    # its own file (of the UTF-8 side for the UTF-8 pairs).
    rows = contenders(binary, "koi", "win") + [("cat (copy)", ["cat"], None)]
    measured = median_runs([(command, files["koi"], env) for _, command, env in rows],
                           args.runs)
    headline = [(label, *result) for (label, _, _), result in zip(rows, measured)]
    cases = [("koi to win", "koi", "win", "koi", "koi"),
             ("win to koi, typographic", "win", "koi", "typo", "typo"),
             ("koi to utf", "koi", "utf", "utf.koi", "utf"),
             ("utf to koi", "utf", "koi", "utf", "utf")]
    ratios = []
    for title, source, target, input_name, yardstick in cases:
        names = kernels(binary)
        measured = median_runs(
            [(["cat"], files[yardstick], None)] +
            [([binary, source, target], files[input_name],
              dict(os.environ, BYTEMORPH_KERNEL=kernel)) for kernel in names],
            args.runs)
        cat = measured[0][0]
        row = [title]
        for kernel, (seconds, peak) in zip(names, measured[1:]):
            row.append((f"bytemorph ({kernel})", seconds / cat, peak))
        for label, command in (("iconv -c", iconv_command(source, target)),
                               ("uconv -c", uconv_command(source, target))):
            seconds, peak = median_runs([(command, files[input_name], None)], 1)[0]
            row.append((label, seconds / cat, peak))
        ratios.append(row)

    cpu = "unknown CPU"
    with open("/proc/cpuinfo") as f:
        for line in f:
            if line.startswith("model name"):
                cpu = line.split(":", 1)[1].strip()
                break
    copy_time = headline[-1][1]
    lines = [
        "# Throughput",
        "",
        f"{datetime.date.today()}, {cpu}, {os.cpu_count()} cores, "
        f"{platform.system()} {platform.release()}. Input: {size_mb:.0f} MB "
        f"of Russian prose from Debian's fortunes-ru, read from a file "
        f"(page cache warm), output to /dev/null; median of {args.runs} runs, "
        f"each table's commands run in turn, round after round (iconv and "
        f"uconv: one run in the second table). Made with "
        f"`bench/compare.py`.",
        "",
        "## koi to win, every converter",
        "",
        "| command | median s | MB/s | time / cat | peak memory |",
        "|---|---:|---:|---:|---:|",
    ]
    for label, seconds, rss in headline:
        lines.append(f"| {label} | {seconds:.3f} | {size_mb / seconds:,.0f} | "
                     f"{seconds / copy_time:.2f}x | {rss / 1024:.1f} MiB |")
    labels = [entry[0] for entry in ratios[0][1:]]
    lines += ["", "## Time as a multiple of `cat` of the same file", "",
              "The UTF-8 pairs are measured against `cat` of the UTF-8 file "
              "(koi to utf reads the same text in koi, so it writes that "
              "file); peak memory of the fastest kernel in parentheses.", "",
              "| case | " + " | ".join(labels) + " |",
              "|---|" + "---:|" * len(labels)]
    for row in ratios:
        cells = [f"{ratio:.2f}x" for _, ratio, _ in row[1:]]
        cells[0] += f" ({row[1][2] / 1024:.1f} MiB)"
        lines.append(f"| {row[0]} | " + " | ".join(cells) + " |")
    table = "\n".join(lines) + "\n"
    print(table)

    if args.out:
        os.makedirs(args.out, exist_ok=True)
        with open(os.path.join(args.out, "benchmarks.md"), "w") as f:
            f.write(table + "\n![Throughput](throughput.png)\n")
        data = os.path.join(WORK, "throughput.dat")
        with open(data, "w") as f:
            f.write("case " + " ".join(f'"{label}"' for label in labels) + "\n")
            for row in ratios:
                f.write(f'"{row[0]}" ' + " ".join(f"{ratio:.3f}" for _, ratio, _ in row[1:]) + "\n")
        script = f"""
set terminal pngcairo size 1100,520 font ",10"
set output "{os.path.join(args.out, 'throughput.png')}"
set title "Time as a multiple of cat of the same {size_mb:.0f} MB file (lower is better, log scale)"
set style data histogram
set style histogram clustered gap 1
set style fill solid 0.85
set logscale y
set yrange [0.5:*]
set grid ytics
set key outside right top vertical
plot for [column=2:{len(labels) + 1}] "{data}" using column:xtic(1) title columnheader
"""
        subprocess.run(["gnuplot"], input=script.encode(), check=True)


if __name__ == "__main__":
    main()
