#!/usr/bin/env python3
"""Whole-process throughput: bytemorph against the general converters.

Builds a corpus from real Russian prose (Debian's fortunes-ru), grows it to
a 200 MB file in each of the five code pages, and times every converter on
the same file, stdin from the file and stdout to /dev/null, several runs
each. Prints a markdown table (median wall time, MB/s, ratio to a dd copy,
peak memory) and, with --out, writes it to DIR/benchmarks.md and draws
DIR/throughput.png with gnuplot.

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


def corpus_files(megabytes):
    prose = None
    files = {}
    for name, codec in CODECS.items():
        path = os.path.join(WORK, f"corpus-{megabytes}MB.{name}")
        if not os.path.exists(path):
            prose = prose or russian_prose()
            block = prose.encode(codec, errors="ignore")
            size = megabytes * 1_000_000
            with open(path + ".tmp", "wb") as f:
                for _ in range(size // len(block)):
                    f.write(block)
                # Whole characters only: iconv rejects a cut UTF-8 sequence.
                tail = block[: size % len(block)]
                f.write(tail.decode(codec, errors="ignore").encode(codec))
            os.replace(path + ".tmp", path)
        files[name] = path
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
    rows.append(("dd bs=64K (copy)", ["dd", "bs=64K", "status=none"], None))
    return rows


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("binary")
    parser.add_argument("--runs", type=int, default=5)
    parser.add_argument("--mb", type=int, default=200)
    parser.add_argument("--out")
    parser.add_argument("--pair", default="koi,win")
    args = parser.parse_args()
    binary = os.path.abspath(args.binary)
    source, target = args.pair.split(",")
    for tool, package in (("/usr/bin/time", "time"), ("uconv", "icu-devtools"), ("recode", "recode"),
                          ("gnuplot", "gnuplot-nox")):
        need(tool, package)
    files = corpus_files(args.mb)

    results = []
    for label, command, env in contenders(binary, source, target):
        runs = [measure(command, files[source], env) for _ in range(args.runs)]
        results.append((label, statistics.median(r[0] for r in runs),
                        max(r[1] for r in runs)))
    copy_time = results[-1][1]

    # Every pair from each code page, fastest kernel against iconv and uconv.
    best = kernels(binary)[0]
    pairs = []
    for pair_source, pair_target in (("win", "koi"), ("dos", "win"),
                                     ("mac", "iso"), ("iso", "dos"),
                                     ("koi", "mac"), ("koi", "utf"),
                                     ("utf", "koi")):
        env = dict(os.environ, BYTEMORPH_KERNEL=best)
        ours = statistics.median(
            measure([binary, pair_source, pair_target], files[pair_source],
                    env)[0] for _ in range(args.runs))
        iconv = measure(iconv_command(pair_source, pair_target),
                        files[pair_source])
        uconv = measure(uconv_command(pair_source, pair_target),
                        files[pair_source])
        peak = measure([binary, pair_source, pair_target], files[pair_source],
                       env)[1]
        pairs.append((pair_source, pair_target, ours, peak, iconv, uconv))

    size_mb = os.path.getsize(files[source]) / 1e6
    cpu = "unknown CPU"
    with open("/proc/cpuinfo") as f:
        for line in f:
            if line.startswith("model name"):
                cpu = line.split(":", 1)[1].strip()
                break
    lines = [
        f"# Throughput, {source} to {target}",
        "",
        f"{datetime.date.today()}, {cpu}, {os.cpu_count()} cores, "
        f"{platform.system()} {platform.release()}. Input: {size_mb:.0f} MB "
        f"of Russian prose from Debian's fortunes-ru, read from a file "
        f"(page cache warm), output to /dev/null; median of {args.runs} runs. "
        f"Made with `bench/compare.py`.",
        "",
        "| command | median s | MB/s | time / copy | peak memory |",
        "|---|---:|---:|---:|---:|",
    ]
    for label, seconds, rss in results:
        lines.append(f"| {label} | {seconds:.3f} | {size_mb / seconds:,.0f} | "
                     f"{seconds / copy_time:.2f}x | {rss / 1024:.1f} MiB |")
    lines += ["", f"Other pairs, UTF-8 included, bytemorph ({best}) against "
              f"`iconv -c` and `uconv -c` (one run each; peak memory in "
              f"parentheses):", "",
              "| pair | bytemorph s | iconv s | uconv s | iconv / bytemorph |",
              "|---|---:|---:|---:|---:|"]
    for source_name, target_name, ours, peak, iconv, uconv in pairs:
        lines.append(
            f"| {source_name} to {target_name} | {ours:.3f} ({peak / 1024:.1f} MiB) | "
            f"{iconv[0]:.3f} ({iconv[1] / 1024:.0f} MiB) | "
            f"{uconv[0]:.3f} ({uconv[1] / 1024:.0f} MiB) | {iconv[0] / ours:.0f}x |")
    table = "\n".join(lines) + "\n"
    print(table)

    if args.out:
        os.makedirs(args.out, exist_ok=True)
        with open(os.path.join(args.out, "benchmarks.md"), "w") as f:
            f.write(table + "\n![Throughput](throughput.png)\n")
        data = os.path.join(WORK, "throughput.dat")
        with open(data, "w") as f:
            for label, seconds, _ in results:
                f.write(f'"{label}" {size_mb / seconds:.1f}\n')
        script = f"""
set terminal pngcairo size 900,480 font ",10"
set output "{os.path.join(args.out, 'throughput.png')}"
set title "{source} to {target}, {size_mb:.0f} MB: throughput (MB/s, log scale)"
set style fill solid 0.8
set boxwidth 0.6
set logscale y
set yrange [10:*]
set grid ytics
set xtics rotate by -25
unset key
plot "{data}" using 0:2:xtic(1) with boxes lc rgb "#3060a0", \\
     "" using 0:2:(sprintf("%.0f", $2)) with labels offset 0,0.8
"""
        subprocess.run(["gnuplot"], input=script.encode(), check=True)


if __name__ == "__main__":
    main()
