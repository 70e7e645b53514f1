#!/usr/bin/env python3
"""How often bytemorph-guess reads a text's code page right, beside the
detectors people use (enca, uchardet, chardet, and librcd through
bench/librcd_guess.c), on Russian text held out
from the model's training: Debian's manpages-ru, a kind of text (technical,
mixed with Latin) that fortunes-ru, the training text, is not.

Snippets of 8 to 128 characters, whole lines (20-120 characters) and whole
pages, each in all six encodings. A guess is right when decoding the bytes
in the guessed page gives the original text. Also times bytemorph-guess and
enca over 10,000 one-line files given on one command line.

Usage: bench/guess_accuracy.py BYTEMORPH_GUESS [--per-cell N] [--seed N]
                               [--messages | --docs] [--sample FILE]
With --messages, the texts are instead the Russian messages of the programs
of CATALOG_PACKAGES (their Russian catalogs): short, terse, full
of abbreviations and placeholders, another kind again. With --docs, the
Russian HTML manuals of aptitude and KiCad (Debian's aptitude-doc-ru and
kicad-doc-ru): instructions in running prose.
With --fortunes, the fortunes-ru files that the model does not learn
from and that tuning may look at (scripts/make-guess-model's
HELD_OUT_TUNING): jokes, dialogues, verse; with --fortunes-report, those
kept for reporting only (HELD_OUT_REPORT). With
--gimp, the Russian HTML help of GIMP (Debian's gimp-help-ru), kept for
reporting only: nothing was ever tuned while looking at it. With
--wesnoth, the Russian catalogs of some of Wesnoth's campaigns (story and
dialogue; scripts/make-guess-model's WESNOTH_TUNING), and with
--wesnoth-report those kept for reporting only (WESNOTH_REPORT). With
--freeciv, Freeciv's Russian catalogs, kept for reporting only: each
nation's history and the game's help, encyclopedia articles; a whole page
is one message. With --libreoffice, LibreOffice's Russian help (Debian's
libreoffice-help-ru), kept for reporting only.

With --foreign, the other side: texts that are not Russian. Lines,
paragraphs and whole texts of other languages, each in the pages it is
usually written in and in UTF-8, other Cyrillic languages in the five
pages, and binary data of the system, sliced. Rows say how often each
detector called them a Cyrillic page (wrong unless the page decodes the
text, as for Ukrainian in Windows-1251), and how often it answered what is
right: utf for UTF-8, the decoding page for Cyrillic, for everything else
anything but a Cyrillic page (bytemorph-guess: unknown or binary). The
texts come from the message catalogs of CATALOG_PACKAGES; with --foreign
--report, from Debian's man pages and fortunes in those languages instead,
the set kept for reporting only; with --foreign --fresh, LibreOffice's
help, a second report set; with --foreign --cjk, the Chinese and Japanese
help of other packages, a check on the fresh set's rows for those pages.

With --files, the set's lines go into short files of the shapes Russian
text is kept in (subtitles, tagged paragraphs, columns, quoted mail,
plain lines), one to three lines a file, half of them with CRLF line
ends, in place of snippets.

With --sample, writes held-out lines for the test suite to FILE instead
(with --foreign, lines of the other languages, each with its page).
"""
import argparse
import collections
import gettext
import glob
import gzip
import hashlib
import html
import importlib.machinery
import json
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
RUSSIAN_WORD = re.compile("[\u0400-\u04ff]{3}")


def need(tool, package):
    if shutil.which(tool) is None and not os.path.exists(tool):
        subprocess.run(["apt-get", "install", "-y", "-qq", package],
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def held_out_pages():
    """The text of every Russian man page, roff requests and escapes removed."""
    root = debian_packages("manpages-ru", ["manpages-ru"])
    return [roff_lines(path) for path in
            sorted(glob.glob(os.path.join(root, "usr/share/man/ru/man*/*.gz")))]


def held_out_docs():
    """The text of the Russian HTML manuals of aptitude and KiCad, tags removed."""
    root = debian_packages("docs-ru", ["aptitude-doc-ru", "kicad-doc-ru"])
    paths = sorted(glob.glob(os.path.join(root, "usr/share/doc/**/*.html"), recursive=True))
    return [lines for lines in map(html_lines, paths) if lines]


def catalog_messages(path):
    """The translated messages of one compiled catalog, each as its lines
    with every run of white space made one space."""
    with open(path, "rb") as f:
        try:
            catalog = gettext.GNUTranslations(f)._catalog
        except (OSError, UnicodeError, IndexError):  # a header Python cannot read
            return []
    # The header (msgid "") is the translators' names and ASCII fields.
    return [[" ".join(line.split()) for line in str(message).split("\n")]
            for key, message in catalog.items() if key]


def catalog_lines(path):
    """The translated messages of one compiled catalog, a line each."""
    return [line for message in catalog_messages(path) for line in message if line]


def catalog_pages(pattern):
    """The lines of each catalog that pattern matches and that holds any."""
    return [lines for lines in map(catalog_lines, sorted(glob.glob(pattern))) if lines]


# The packages whose message catalogs the catalog sets read (--messages,
# --foreign, --foreign --latin): those that were installed where the
# guesser was tuned. Named, so that a set does not change with what else a
# machine has installed. The binary rows still slice what is installed.
CATALOG_PACKAGES = [
    "adduser", "appstream", "apt", "at-spi2-common", "bash", "binutils-common", "coreutils",
    "diffutils", "dpkg", "findutils", "fp-utils-3.2.2", "gettext", "gettext-base", "git",
    "glib-networking-common", "gnucobol3", "gnupg-l10n", "grep", "gsettings-desktop-schemas",
    "gstreamer1.0-plugins-good", "iso-codes", "krb5-locales", "libapt-pkg6.0",
    "libavahi-common-data", "libc-l10n", "libdpkg-perl", "libelf1", "libexif12",
    "libgdk-pixbuf2.0-common", "libglib2.0-data", "libgnutls30", "libgphoto2-l10n",
    "libgphoto2-port12", "libgstreamer-plugins-base1.0-0", "libgstreamer1.0-0",
    "libgtk2.0-common", "libidn2-0", "libpam-runtime", "libpq5", "libsoup2.4-common",
    "libvisual-0.4-0", "libzvbi-common", "login", "make", "man-db", "net-tools", "packagekit",
    "polkitd", "postgresql-15", "postgresql-client-15", "procps", "psmisc",
    "python-apt-common", "sed", "shared-mime-info", "software-properties-common", "systemd",
    "tar", "wget", "xdg-user-dirs", "xkb-data", "xz-utils"
]


def catalogs(language):
    """A glob of the compiled message catalogs of CATALOG_PACKAGES in a language."""
    root = debian_packages("catalogs", CATALOG_PACKAGES)
    return os.path.join(root, f"usr/share/locale/{language}/LC_MESSAGES/*.mo")


def held_out_messages():
    """The translated messages of each Russian catalog of CATALOG_PACKAGES."""
    return catalog_pages(catalogs("ru"))


def debian_packages(folder, packages):
    """Unpacks Debian's packages once under WORK/folder; returns its path."""
    root = os.path.join(WORK, folder)
    if not os.path.isdir(root):
        os.makedirs(root)
        subprocess.run(["apt-get", "download", *packages], cwd=root, check=True,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        for deb in glob.glob(os.path.join(root, "*.deb")):
            subprocess.run(["dpkg-deb", "-x", deb, root], check=True)
    return root


def html_lines(path):
    with open(path, encoding="utf-8", errors="ignore") as f:
        text = f.read()
    text = re.sub(r"(?s)<(script|style).*?</\1>", " ", text)
    text = re.sub(r"(?i)<br\s*/?>|</(p|div|h\d|li|tr|pre|title)>", "\n", text)
    text = html.unescape(re.sub(r"<[^>]+>", " ", text))
    return [line for line in (" ".join(line.split()) for line in text.split("\n")) if line]


def guess_model_script():
    """scripts/make-guess-model, for the texts it holds out by name."""
    script = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "scripts",
                          "make-guess-model")
    return importlib.machinery.SourceFileLoader("make_guess_model", script).load_module()


def held_out_fortunes(report):
    """The fortunes-ru files the model leaves out, one page per fortune,
    its lines joined: they wrap sentences, and snippets may be long."""
    model = guess_model_script()
    root = debian_packages("fortunes-ru", ["fortunes-ru"])
    pages = []
    for name in model.HELD_OUT_REPORT if report else model.HELD_OUT_TUNING:
        with open(os.path.join(root, "usr/share/games/fortunes/ru", name), encoding="utf-8",
                  errors="ignore") as f:
            for fortune in f.read().split("\n%\n"):
                if fortune.split():
                    pages.append([" ".join(fortune.split())])
    return pages


def held_out_wesnoth(report):
    """The Russian catalogs of the Wesnoth campaigns the model leaves out:
    a narrator's story and its characters' dialogue, a message a line."""
    model = guess_model_script()
    campaigns = model.WESNOTH_REPORT if report else model.WESNOTH_TUNING
    root = debian_packages("wesnoth-report" if report else "wesnoth",
                           [f"wesnoth-1.16-{name}" for name in campaigns])
    return catalog_pages(os.path.join(
        root, "usr/share/games/wesnoth/1.16/locale/ru/LC_MESSAGES/*.mo"))


def held_out_freeciv():
    """Freeciv's Russian messages of 20 characters or more, a page each, in
    an order that mixes the catalogs."""
    root = debian_packages("freeciv", ["freeciv-data"])
    pages = [[line for line in message if line] for path in sorted(glob.glob(os.path.join(
        root, "usr/share/locale/ru/LC_MESSAGES/*.mo"))) for message in catalog_messages(path)
             if len(" ".join(message)) >= 20]
    random.Random(0).shuffle(pages)
    return pages


def held_out_gimp():
    root = debian_packages("gimp-help-ru", ["gimp-help-ru"])
    paths = sorted(glob.glob(os.path.join(root, "usr/share/gimp/2.0/help/ru/**/*.html"),
                             recursive=True))
    return [lines for lines in map(html_lines, paths) if lines]


def held_out_libreoffice():
    """LibreOffice's Russian help: prose of a kind no other set holds,
    added after the others had been tuned on, and looked at only to report."""
    root = debian_packages("libreoffice-help-ru", ["libreoffice-help-ru"])
    paths = sorted(glob.glob(os.path.join(root, "usr/share/libreoffice/help/ru/text/**/*.html"),
                             recursive=True))
    return [lines for lines in map(html_lines, paths) if lines]


def roff_lines(path):
    lines = []
    opener = gzip.open if path.endswith(".gz") else open
    for line in opener(path, "rt", encoding="utf-8", errors="ignore"):
        if line.startswith((".", "'")):
            continue
        line = re.sub(r"\\f[BIRP]|\\f\(..|\\[/,&:]", "", line)
        line = line.replace("\\-", "-").replace("\\(em", "\u2014").replace("\\e", "\\")
        line = " ".join(line.split())
        if line:
            lines.append(line)
    return lines


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
    # Russian lines: with a word of three Cyrillic letters at least, not an
    # English joke with one homoglyph in it (stoр, CРU).
    lines = [line for page in pages for line in page if RUSSIAN_WORD.search(line)]
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
    items += [("one line", line) for line in rng.sample(long_lines, min(per_cell, len(long_lines)))]
    items += [("whole page", "\n".join(page) + "\n") for page in pages
              if any(RUSSIAN_WORD.search(line) for line in page)][:per_cell]
    return items


def short_lines(pages, per_cell, rng):
    """(kind, text) items: files of one whole line shorter than the
    snippets' one-line rows (7 to 18 characters and its line break)."""
    lines = sorted({line for page in pages for line in page
                    if RUSSIAN_WORD.search(line) and 7 <= len(line) <= 18})
    return [("short line", line + "\n") for line in rng.sample(lines, min(per_cell, len(lines)))]


def file_shapes(pages, per_cell, rng):
    """(kind, text) items: short files of shapes people keep Russian text
    in, one to three of the lines of pages in each: subtitles, tagged
    paragraphs, columns, quoted mail and plain lines."""
    lines = [line for page in pages for line in page
             if RUSSIAN_WORD.search(line) and len(line) <= 80]
    def cue(number, line):
        second = f"00:{number // 60:02}:{number % 60:02}"
        return f"{number}\n{second},000 --> {second},900\n{line}\n"
    shapes = {
        "subtitles (SubRip)": lambda chosen: "\n".join(
            cue(n + 1, line) for n, line in enumerate(chosen)),
        "subtitles (MicroDVD)": lambda chosen: "".join(
            f"{{{100 * n}}}{{{100 * n + 80}}}{line}\n" for n, line in enumerate(chosen)),
        "tagged paragraphs": lambda chosen: "".join(f"<p>{line}</p>\n" for line in chosen),
        "columns": lambda chosen: "".join(f"{n + 1}\t{line}\n" for n, line in enumerate(chosen)),
        "quoted mail": lambda chosen: "On Mon, 7 Dec 2026, ivan wrote:\n" + "".join(
            f"> {line}\n" for line in chosen),
        "plain lines": lambda chosen: "".join(f"{line}\n" for line in chosen),
    }
    items = []
    for kind, shape in shapes.items():
        for _ in range(per_cell):
            text = shape(rng.sample(lines, rng.choice((1, 1, 2, 3))))
            items.append((kind, text.replace("\n", "\r\n") if rng.random() < 0.5 else text))
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
    librcd = os.path.join(WORK, "librcd-guess")
    source = os.path.join(os.path.dirname(os.path.abspath(__file__)), "librcd_guess.c")
    if not os.path.exists(librcd):
        subprocess.run(["cc", "-O2", source, "-lrcd", "-o", librcd], stderr=subprocess.DEVNULL)
    if os.path.exists(librcd):
        found.append(("librcd", [librcd], lambda answer: answer.strip()))
    return found


# The pages each language is usually written in, besides UTF-8. Other
# Cyrillic languages are written in the five pages of this program.
FOREIGN = {"de": ["cp1252", "cp850", "mac_roman"], "fr": ["cp1252", "iso8859_15"],
           "pl": ["cp1250", "iso8859_2"], "el": ["cp1253", "iso8859_7"],
           "tr": ["cp1254"], "he": ["cp1255", "iso8859_8"], "zh_CN": ["gbk"],
           "ja": ["shift_jis", "euc_jp"]}
OTHER_CYRILLIC = ["uk", "be", "bg", "mk", "sr"]
REPORT_SOURCES = {  # language: Debian packages with its man pages or fortunes
    "de": ["manpages-de", "fortunes-de"], "fr": ["manpages-fr"], "pl": ["manpages-pl", "fortunes-pl"],
    "el": ["manpages-el"], "zh_CN": ["manpages-zh"], "ja": ["manpages-ja"],
    "uk": ["manpages-uk"], "mk": ["manpages-mk"], "sr": ["manpages-sr"], "bg": ["fortunes-bg"]}


# A second report set, made once the first had been looked at to choose a
# change: LibreOffice's help in the languages it is written in.
FRESH_SOURCES = {language: [f"libreoffice-help-{language.lower().replace('_', '-')}"]
                 for language in ("de", "fr", "pl", "el", "tr", "zh_CN", "ja")}


# Chinese and Japanese help that no other set holds, made to check the
# fresh set's Japanese rows without looking at that set again.
CJK_SOURCES = {"ja": ["gimp-help-ja", "aptitude-doc-ja", "kicad-doc-ja", "debian-reference-ja",
                      "developers-reference-ja", "maint-guide-ja", "lilypond-doc-html-ja"],
               "zh_CN": ["gimp-help-zh-cn", "kicad-doc-zh"]}


# A stress set for Latin text with a few letters or signs above ASCII: the
# catalogs of Latin-script languages that no other set holds, in their
# usual pages, and the character tables of the English man pages, each in
# the page it lists (every sign of the page alone between its number and
# its name).
LATIN = {"es": ["cp1252", "iso8859_1"], "it": ["cp1252", "iso8859_15"], "pt": ["cp1252", "cp850"],
         "ca": ["cp1252"], "cs": ["cp1250", "iso8859_2"], "hu": ["cp1250", "iso8859_2"],
         "ro": ["cp1250", "iso8859_16"], "sv": ["cp1252", "mac_roman"], "da": ["cp1252", "cp865"],
         "nl": ["cp1252"], "fi": ["cp1252"], "sk": ["cp1250"], "sl": ["cp1250"],
         "hr": ["cp1250"], "lt": ["cp1257", "iso8859_13"], "lv": ["cp1257"],
         "et": ["cp1257", "iso8859_15"], "is": ["cp1252", "cp861"], "eu": ["cp1252"],
         "gl": ["cp1252"]}
LATIN.update({f"tables {codec}": [codec] for codec in (
    "iso8859_1", "iso8859_2", "iso8859_3", "iso8859_4", "iso8859_6", "iso8859_7", "iso8859_8",
    "iso8859_9", "iso8859_10", "iso8859_11", "iso8859_13", "iso8859_14", "iso8859_15",
    "iso8859_16", "cp1252")})


def foreign_texts(language, report):
    """Pages of a language's text: the message catalogs of CATALOG_PACKAGES, or
    for the report, the man pages and fortunes of Debian's packages, or for
    the fresh report, LibreOffice's help, or for the UI report, its menus
    and dialogs."""
    if report == "ui":  # a fourth report set, made after the other three had been looked at
        package = f"libreoffice-l10n-{language.lower().replace('_', '-')}"
        root = debian_packages(f"ui-{language}", [package])
        return catalog_pages(os.path.join(
            root, f"usr/lib/libreoffice/program/resource/{language}/LC_MESSAGES/*.mo"))
    if report in ("fresh", "cjk"):
        sources = FRESH_SOURCES if report == "fresh" else CJK_SOURCES
        if language not in sources:
            return []
        root = debian_packages(f"{report}-{language}", sources[language])
        return [page for page in map(html_lines, sorted(glob.glob(
            os.path.join(root, "usr/**/*.html"), recursive=True))) if page]
    if report == "latin" and language.startswith("tables "):
        number = language.split()[1].replace("iso8859_", "iso_8859-")
        return [roff_lines(f"/usr/share/man/man7/{number}.7.gz")]
    if not report or report == "latin":
        return catalog_pages(catalogs(language))
    if language not in REPORT_SOURCES:
        return []
    root = debian_packages(f"foreign-{language}", REPORT_SOURCES[language])
    pages = [roff_lines(path) for path in sorted(glob.glob(
        os.path.join(root, "usr/share/man/*/man*/*"))) if not os.path.islink(path)]
    for path in sorted(glob.glob(os.path.join(root, "usr/share/games/fortunes/**/*"),
                                 recursive=True)):
        if os.path.isfile(path) and not os.path.islink(path) and "." not in os.path.basename(path):
            with open(path, encoding="utf-8", errors="ignore") as f:
                pages += [[line for line in fortune.split("\n") if line.strip()]
                          for fortune in f.read().split("\n%\n")]
    return [page for page in pages if page]


def binary_sources():
    paths = sorted(glob.glob("/usr/bin/*"))[:400]
    paths += sorted(glob.glob("/usr/share/icons/**/*.png", recursive=True))[:400]
    paths += sorted(glob.glob("/usr/share/doc/*/changelog.Debian.gz"))[:400]
    paths += sorted(glob.glob("/usr/share/locale/de/LC_MESSAGES/*.mo"))
    return [p for p in paths if os.path.isfile(p) and not os.path.islink(p)]


def foreign_items(per_cell, report, rng, short=False):
    """(row, kind, data, text or None, codec) items: text that is not Russian,
    and binary data (text None); with short, only files of one short line."""
    items = []
    kinds = ((("short line", 1, 7, 18),) if short else
             (("one line", 1, 20, 120), ("paragraph", 8, 200, 2000), ("whole text", 0, 200, 1 << 16)))
    table = LATIN if report == "latin" else FOREIGN
    for language in [*LATIN] if report == "latin" else [*FOREIGN, *OTHER_CYRILLIC]:
        pages = foreign_texts(language, report)
        if not pages:
            continue
        codecs = (table[language] if language in table
                  else [CODECS[name] for name in NAMES]) + ["utf-8"]
        for codec in codecs:
            for kind, count, shortest, longest in kinds:
                found = tries = 0
                while found < per_cell and tries < 50 * per_cell:
                    tries += 1
                    page = rng.choice(pages)
                    start = rng.randrange(len(page))
                    text = "\n".join(page if count == 0 else page[start:start + count])
                    if not shortest <= len(text) <= longest or text.isascii():
                        continue
                    text += "\n" if short else ""
                    try:
                        data = text.encode(codec)
                    except UnicodeError:
                        continue
                    items.append((f"{language} {codec}", kind, data, text, codec))
                    found += 1
    if short:
        return items
    sources = binary_sources()
    for kind, size in (("one line", 80), ("paragraph", 1000), ("whole text", 1 << 16)):
        for _ in range(per_cell):
            path = rng.choice(sources)
            with open(path, "rb") as f:
                data = f.read()
            start = rng.randrange(max(1, len(data) - size))
            items.append((f"binary {path.split('.')[-1] if '.' in path[-5:] else 'program'}",
                          kind, data[start:start + size], None, None))
        items += [("binary random", kind, rng.randbytes(size), None, None)
                  for _ in range(per_cell)]
    return items


NAMES = ["koi", "win", "dos", "mac", "iso"]


def cached_guesses(label, command, paths, parse):
    """A peer's guesses, remembered by the files' contents under WORK: the
    peers do not change between runs, and they take most of a run's time.
    The cache is kept apart for each build of the peer's program."""
    program = shutil.which(command[0]) or command[0]
    stamp = int(os.stat(program).st_mtime)
    cache_path = os.path.join(WORK, "peer-answers",
                              f"{re.sub('[^a-z0-9]+', '-', label.lower())}-{stamp}.json")
    cache = {}
    if os.path.exists(cache_path):
        with open(cache_path, encoding="utf-8") as f:
            cache = json.load(f)
    keys = {}
    for path in paths:
        with open(path, "rb") as f:
            keys[path] = hashlib.sha1(f.read()).hexdigest()
    unknown = [path for path in paths if keys[path] not in cache]
    for path, answer in run_guesser(command, unknown, parse).items():
        cache[keys[path]] = answer
    if unknown:
        os.makedirs(os.path.dirname(cache_path), exist_ok=True)
        scratch = f"{cache_path}.{os.getpid()}"  # runs side by side each write their own
        with open(scratch, "w", encoding="utf-8") as f:
            json.dump(cache, f)
        os.replace(scratch, cache_path)
    return {path: cache[keys[path]] for path in paths if keys[path] in cache}


def detector_guesses(guess, paths, alone):
    """(label, {path: answer}) for bytemorph-guess, then each peer."""
    for label, command, parse in peers()[:1 if alone else None]:
        if command is None:
            yield label, run_guesser([guess], paths, lambda answer: answer.strip())
        else:
            yield label, cached_guesses(label, command, paths, parse)


def write_foreign_sample(path, rng):
    """Lines for the test suite: each the page it is in (its name, or the
    Python codec of a page that is not ours), a tab, and its bytes."""
    lines = []
    for row, kind, data, text, codec in foreign_items(4, False, rng):
        if kind == "one line" and text is not None and b"\t" not in data:
            name = next((n for n, c in CODECS.items() if c == codec), codec)
            lines.append(name.encode() + b"\t" + data + b"\n")
    with open(path, "wb") as f:
        f.write(b"".join(lines))


def foreign_main(args, guess):
    rng = random.Random(args.seed)
    if args.sample:
        return write_foreign_sample(args.sample, rng)
    items = foreign_items(args.per_cell, "fresh" if args.fresh else "cjk" if args.cjk
                          else "ui" if args.ui else "latin" if args.latin else args.report, rng,
                          args.short_lines)
    work = tempfile.mkdtemp(dir=WORK)
    paths = []
    for number, (row, kind, data, text, codec) in enumerate(items):
        paths.append(os.path.join(work, str(number)))
        with open(paths[-1], "wb") as f:
            f.write(data)
    rows = list(dict.fromkeys(item[0] for item in items))
    kinds = list(dict.fromkeys(item[1] for item in items))
    results = collections.OrderedDict()
    misses = []
    for label, guesses in detector_guesses(guess, paths, args.alone):
        right, cyrillic, total = (collections.Counter() for _ in range(3))
        for path, (row, kind, data, text, codec) in zip(paths, items):
            answer = guesses.get(path, "")
            if codec == "utf-8":
                ok, group = answer == "utf", "UTF-8 of every language answered utf"
            elif codec in CODECS.values():
                ok = decodes_to(data, answer, text)
                group = "other Cyrillic languages in the five pages, right page"
            else:
                ok = answer not in NAMES
                group = "other text and binary called a Cyrillic page"
            wrong_page = answer in NAMES and not ok
            for key in (row, group, f"{group}, {kind}"):
                total[key] += 1
                right[key] += ok
                cyrillic[key] += wrong_page
            if label == "bytemorph-guess" and not ok and len(misses) < args.misses:
                misses.append(f"{row}, {kind} as {answer}: {(text or repr(data))[:70]!r}")
        results[label] = (right, cyrillic, total)
    name = ("fresh report" if args.fresh else "CJK check" if args.cjk else "UI report" if args.ui
            else "Latin stress" if args.latin else "report" if args.report else "tuning")
    print(f"{len(items)} files, {name} set.\n")
    groups = [key for key in results["bytemorph-guess"][2] if key not in rows]
    print("| | " + " | ".join(results) + " |")
    print("|---|" + "---:|" * len(results))
    for key in groups:
        cells = []
        for right, cyrillic, total in results.values():
            share = cyrillic if key.startswith("other text") else right
            cells.append(f"{100 * share[key] / total[key]:.2f}%" if total[key] else "-")
        print(f"| {key} | " + " | ".join(cells) + " |")
    print("\nEach language and page: right (called a Cyrillic page wrongly)\n")
    print("| text | " + " | ".join(results) + " |")
    print("|---|" + "---:|" * len(results))
    for key in rows:
        cells = [f"{100 * right[key] / total[key]:.1f}% ({100 * cyrillic[key] / total[key]:.1f}%)"
                 for right, cyrillic, total in results.values()]
        print(f"| {key} | " + " | ".join(cells) + " |")
    print("\nbytemorph-guess misses:\n" + "\n".join(misses))
    shutil.rmtree(work)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("guess")
    parser.add_argument("--per-cell", type=int, default=400)
    parser.add_argument("--seed", type=int, default=2026)
    parser.add_argument("--messages", action="store_true")
    parser.add_argument("--docs", action="store_true")
    parser.add_argument("--fortunes", action="store_true")
    parser.add_argument("--fortunes-report", action="store_true")
    parser.add_argument("--gimp", action="store_true")
    parser.add_argument("--wesnoth", action="store_true")
    parser.add_argument("--wesnoth-report", action="store_true")
    parser.add_argument("--freeciv", action="store_true")
    parser.add_argument("--libreoffice", action="store_true",
                        help="LibreOffice's Russian help, a report set")
    parser.add_argument("--foreign", action="store_true")
    parser.add_argument("--report", action="store_true")
    parser.add_argument("--fresh", action="store_true",
                        help="with --foreign: the second report set, LibreOffice's help")
    parser.add_argument("--cjk", action="store_true",
                        help="with --foreign: Chinese and Japanese help of other packages")
    parser.add_argument("--ui", action="store_true",
                        help="with --foreign: the fourth report set, LibreOffice's menus and dialogs")
    parser.add_argument("--latin", action="store_true",
                        help="with --foreign: other Latin languages' catalogs and character tables")
    parser.add_argument("--files", action="store_true",
                        help="short files of common shapes made of the set's lines, not snippets")
    parser.add_argument("--short-lines", action="store_true",
                        help="files of one line of 7 to 18 characters, not snippets")
    parser.add_argument("--alone", action="store_true", help="no peers: only bytemorph-guess")
    parser.add_argument("--by-page", action="store_true", help="a row for each page and length")
    parser.add_argument("--sample")
    parser.add_argument("--misses", type=int, default=40, help="how many misreads to list")
    args = parser.parse_args()
    rng = random.Random(args.seed)
    if args.foreign:
        for tool, package in (("enca", "enca"), ("uchardet", "uchardet"),
                              ("chardetect", "python3-chardet"), ("/usr/include/librcd.h", "librcd-dev")):
            need(tool, package)
        return foreign_main(args, os.path.abspath(args.guess))
    pages = (held_out_messages() if args.messages else held_out_docs() if args.docs
             else held_out_fortunes(False) if args.fortunes
             else held_out_fortunes(True) if args.fortunes_report
             else held_out_wesnoth(False) if args.wesnoth
             else held_out_wesnoth(True) if args.wesnoth_report
             else held_out_freeciv() if args.freeciv
             else held_out_libreoffice() if args.libreoffice
             else held_out_gimp() if args.gimp else held_out_pages())
    if args.sample:
        lines = [line for page in pages for line in page
                 if CYRILLIC.search(line) and 20 <= len(line) <= 120
                 and all(readable(line, name) for name in CODECS)]
        with open(args.sample, "w", encoding="utf-8") as f:
            f.write("".join(line + "\n" for line in rng.sample(lines, 120)))
        return
    for tool, package in (("enca", "enca"), ("uchardet", "uchardet"),
                          ("chardetect", "python3-chardet"), ("/usr/include/librcd.h", "librcd-dev")):
        need(tool, package)
    guess = os.path.abspath(args.guess)
    items = (file_shapes if args.files else short_lines if args.short_lines
             else snippets)(pages, args.per_cell, rng)
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
    for label, guesses in detector_guesses(guess, paths, args.alone):
        right = collections.Counter()
        total = collections.Counter()
        for path, kind, name, text in files:
            data = open(path, "rb").read()
            ok = decodes_to(data, guesses.get(path, ""), text)
            for key in (kind, f"{name}, {kind}"):
                total[key] += 1
                right[key] += ok
            if label == "bytemorph-guess" and not ok and len(misses) < args.misses:
                misses.append(f"{kind}, {name} as {guesses.get(path)}: {text[:60]!r}")
        table[label] = (right, total)
    print(f"Held-out items: {len(items)} texts in up to six encodings, {len(files)} files.\n")
    print("| snippet | " + " | ".join(table) + " |")
    print("|---|" + "---:|" * len(table))
    for prefix in ("", *(f"{name}, " for name in CODECS)) if args.by_page else ("", "mac, "):
        for kind in kinds:
            key = prefix + kind
            cells = [f"{100 * right[key] / total[key]:.2f}%" if total[key] else "-"
                     for right, total in table.values()]
            print(f"| {key} | " + " | ".join(cells) + " |")
    print("\nbytemorph-guess misreads:\n" + "\n".join(misses))

    one_line = [p for p, kind, _, _ in files if kind == "one line"]
    one_line = (one_line * (10000 // max(1, len(one_line)) + 1))[:10000]
    for label, command in (("bytemorph-guess", [guess]), ("enca -L russian", ["enca", "-L", "russian"])):
        if one_line and (shutil.which(command[0]) or os.path.exists(command[0])):
            start = time.perf_counter()
            subprocess.run(command + one_line, stdout=subprocess.DEVNULL,
                           stderr=subprocess.DEVNULL)
            print(f"{label} over 10,000 one-line files: {time.perf_counter() - start:.3f} s")
    shutil.rmtree(work)


if __name__ == "__main__":
    main()
