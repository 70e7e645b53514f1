#!/usr/bin/env python3
"""How often bytemorph-guess reads a text's code page right, beside the
detectors people use (enca, uchardet, chardet), on Russian text held out
from the model's training: Debian's manpages-ru, a kind of text (technical,
mixed with Latin) that fortunes-ru, the training text, is not.

Snippets of 8 to 128 characters, whole lines (20-120 characters) and whole
pages, each in all six encodings. A guess is right when decoding the bytes
in the guessed page gives the original text. Also times bytemorph-guess and
enca over 10,000 one-line files given on one command line.

Usage: bench/guess_accuracy.py BYTEMORPH_GUESS [--per-cell N] [--seed N]
                               [--messages | --docs] [--sample FILE]
With --messages, the texts are instead the Russian messages of the programs
installed here (/usr/share/locale/ru/LC_MESSAGES/*.mo): short, terse, full
of abbreviations and placeholders, another kind again. With --docs, the
Russian HTML manuals of aptitude and KiCad (Debian's aptitude-doc-ru and
kicad-doc-ru): instructions in running prose.
With --sample, writes held-out lines for the test suite to FILE instead.
"""
import argparse
import collections
import gettext
import glob
import gzip
import html
import os
import random
import re
import shutil
import subprocess
import sys
import tempfile
import time

CODECS = {"koi": "koi8_r", "win": "cp1251", "dos": "cp866",
          "mac": "mac_cyrillic", "iso": "iso8859_5", "utf": "utf-8"}
WORK = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "build-bench")
CYRILLIC = re.compile("[\u0400-\u04ff]")


def need(tool, package):
    if shutil.which(tool) is None:
        subprocess.run(["apt-get", "install", "-y", "-qq", package],
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def held_out_pages():
    """The text of every Russian man page, roff requests and escapes removed."""
    root = os.path.join(WORK, "manpages-ru")
    if not os.path.isdir(root):
        os.makedirs(WORK, exist_ok=True)
        subprocess.run(["apt-get", "download", "manpages-ru"], cwd=WORK, check=True,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        deb = glob.glob(os.path.join(WORK, "manpages-ru_*.deb"))[0]
        subprocess.run(["dpkg-deb", "-x", deb, root], check=True)
    pages = []
    for path in sorted(glob.glob(os.path.join(root, "usr/share/man/ru/man*/*.gz"))):
        lines = []
        for line in gzip.open(path, "rt", encoding="utf-8", errors="ignore"):
            if line.startswith((".", "'")):
                continue
            line = re.sub(r"\\f[BIRP]|\\f\(..|\\[/,&:]", "", line)
            line = line.replace("\\-", "-").replace("\\(em", "\u2014").replace("\\e", "\\")
            line = " ".join(line.split())
            if line:
                lines.append(line)
        pages.append(lines)
    return pages


def held_out_docs():
    """The text of the Russian HTML manuals of aptitude and KiCad, tags removed."""
    root = os.path.join(WORK, "docs-ru")
    if not os.path.isdir(root):
        os.makedirs(root)
        subprocess.run(["apt-get", "download", "aptitude-doc-ru", "kicad-doc-ru"], cwd=root,
                       check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        for deb in glob.glob(os.path.join(root, "*.deb")):
            subprocess.run(["dpkg-deb", "-x", deb, root], check=True)
    pages = []
    for path in sorted(glob.glob(os.path.join(root, "usr/share/doc/**/*.html"), recursive=True)):
        with open(path, encoding="utf-8", errors="ignore") as f:
            text = f.read()
        text = re.sub(r"(?s)<(script|style).*?</\1>", " ", text)
        text = re.sub(r"(?i)<br\s*/?>|</(p|div|h\d|li|tr|pre|title)>", "\n", text)
        text = html.unescape(re.sub(r"<[^>]+>", " ", text))
        lines = [" ".join(line.split()) for line in text.split("\n")]
        if any(lines):
            pages.append([line for line in lines if line])
    return pages


def held_out_messages():
    """The translated messages of each installed program's Russian catalog."""
    pages = []
    for path in sorted(glob.glob("/usr/share/locale/ru/LC_MESSAGES/*.mo")):
        with open(path, "rb") as f:
            try:
                catalog = gettext.GNUTranslations(f)._catalog
            except (OSError, UnicodeError):
                continue
        lines = [" ".join(line.split()) for message in catalog.values()
                 for line in str(message).split("\n")]
        if any(lines):
            pages.append([line for line in lines if line])
    if not pages:
        sys.exit("guess_accuracy: no Russian message catalogs installed")
    return pages


def readable(text, name):
    try:
        return text.encode(CODECS[name]).decode(CODECS[name]) == text
    except UnicodeError:
        return False


def decodes_to(data, name, text):
    try:
        return data.decode(CODECS[name]) == text
    except (UnicodeError, KeyError):
        return False


def snippets(pages, per_cell, rng):
    """(kind, text) items: fixed-length snippets, lines and whole pages."""
    lines = [line for page in pages for line in page if CYRILLIC.search(line)]
    items = []
    for length in (8, 16, 32, 64, 128):
        found = 0
        while found < per_cell:
            line = rng.choice(lines)
            if len(line) < length:
                continue
            start = rng.randrange(len(line) - length + 1)
            text = line[start:start + length]
            if CYRILLIC.search(text):
                items.append((f"{length} characters", text))
                found += 1
    long_lines = [line for line in lines if 20 <= len(line) <= 120]
    items += [("one line", line) for line in rng.sample(long_lines, per_cell)]
    items += [("whole page", "\n".join(page) + "\n") for page in pages if page][:per_cell]
    return items


def run_guesser(command, paths, parse):
    """Guesses for many files, in batches that fit a command line."""
    guesses = {}
    for start in range(0, len(paths), 2000):
        batch = paths[start:start + 2000]
        out = subprocess.run(command + batch, capture_output=True, text=True).stdout
        for line in out.splitlines():
            path, _, answer = line.rpartition(": ")
            guesses[path] = parse(answer)
    return guesses


def peers():
    """Name, command and answer parser of each detector installed."""
    found = [("bytemorph-guess", None, None)]
    names = {"koi8-r": "koi", "koi8r": "koi", "windows-1251": "win", "cp1251": "win",
             "ibm866": "dos", "cp866": "dos", "maccyrillic": "mac",
             "x-mac-cyrillic": "mac", "mac-cyrillic": "mac", "iso-8859-5": "iso",
             "iso8859-5": "iso", "utf-8": "utf", "ascii": "utf", "us-ascii": "utf"}
    normal = lambda answer: names.get(answer.strip().split()[0].lower(), answer) if answer.strip() else ""
    if shutil.which("enca"):
        found.append(("enca 1.19", ["enca", "-L", "russian", "-i"], normal))
    if shutil.which("uchardet"):
        found.append(("uchardet", ["uchardet"], normal))
    if shutil.which("chardetect"):
        found.append(("chardet", ["chardetect"], normal))
    return found


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("guess")
    parser.add_argument("--per-cell", type=int, default=400)
    parser.add_argument("--seed", type=int, default=2026)
    parser.add_argument("--messages", action="store_true")
    parser.add_argument("--docs", action="store_true")
    parser.add_argument("--sample")
    args = parser.parse_args()
    rng = random.Random(args.seed)
    pages = (held_out_messages() if args.messages else held_out_docs() if args.docs
             else held_out_pages())
    if args.sample:
        lines = [line for page in pages for line in page
                 if CYRILLIC.search(line) and 20 <= len(line) <= 120
                 and all(readable(line, name) for name in CODECS)]
        with open(args.sample, "w", encoding="utf-8") as f:
            f.write("".join(line + "\n" for line in rng.sample(lines, 120)))
        return
    for tool, package in (("enca", "enca"), ("uchardet", "uchardet"),
                          ("chardetect", "python3-chardet")):
        need(tool, package)
    guess = os.path.abspath(args.guess)
    items = snippets(pages, args.per_cell, rng)
    work = tempfile.mkdtemp(dir=WORK)
    files = []  # (path, kind, page, text)
    for number, (kind, text) in enumerate(items):
        for name, codec in CODECS.items():
            if readable(text, name):
                path = os.path.join(work, f"{number}.{name}")
                with open(path, "wb") as f:
                    f.write(text.encode(codec))
                files.append((path, kind, name, text))
    paths = [f[0] for f in files]
    kinds = list(dict.fromkeys(kind for kind, _ in items))
    table = collections.OrderedDict()
    misses = []
    for label, command, parse in peers():
        if command is None:
            command, parse = [guess], lambda answer: answer.strip()
        guesses = run_guesser(command, paths, parse)
        right = collections.Counter()
        total = collections.Counter()
        for path, kind, name, text in files:
            data = open(path, "rb").read()
            ok = decodes_to(data, guesses.get(path, ""), text)
            for key in (kind, f"mac, {kind}"):
                if key.startswith("mac") and name != "mac":
                    continue
                total[key] += 1
                right[key] += ok
            if label == "bytemorph-guess" and not ok and len(misses) < 40:
                misses.append(f"{kind}, {name} as {guesses.get(path)}: {text[:60]!r}")
        table[label] = (right, total)
    print(f"Held-out items: {len(items)} texts in up to six encodings, {len(files)} files.\n")
    print("| snippet | " + " | ".join(table) + " |")
    print("|---|" + "---:|" * len(table))
    for prefix in ("", "mac, "):
        for kind in kinds:
            key = prefix + kind
            cells = [f"{100 * right[key] / total[key]:.2f}%" if total[key] else "-"
                     for right, total in table.values()]
            print(f"| {key} | " + " | ".join(cells) + " |")
    print("\nbytemorph-guess misreads:\n" + "\n".join(misses))

    one_line = [p for p, kind, _, _ in files if kind == "one line"]
    one_line = (one_line * (10000 // len(one_line) + 1))[:10000]
    for label, command in (("bytemorph-guess", [guess]), ("enca -L russian", ["enca", "-L", "russian"])):
        if shutil.which(command[0]) or os.path.exists(command[0]):
            start = time.perf_counter()
            subprocess.run(command + one_line, stdout=subprocess.DEVNULL,
                           stderr=subprocess.DEVNULL)
            print(f"{label} over 10,000 one-line files: {time.perf_counter() - start:.3f} s")
    shutil.rmtree(work)


if __name__ == "__main__":
    main()
