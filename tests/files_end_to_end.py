"""Runs the built bytemorph-files on real folders: what each kind of file
becomes, every reason to leave one, the options, and the guarantees that
need a real process (killed at any moment, stopped by a signal, a full
disk). The fault at each file call is tested through the seam in
file_conversion_test.cpp.

Usage: files_end_to_end.py PATH_TO_BYTEMORPH_FILES PATH_TO_BYTEMORPH
Python's codecs are the oracle for what each code page holds.
"""
import hashlib
import os
import random
import resource
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import unittest

FILES = BYTEMORPH = None
CODECS = {"koi": "koi8_r", "win": "cp1251", "dos": "cp866", "utf": "utf-8"}
HERE = os.path.dirname(os.path.abspath(__file__))
TEMPORARY_PREFIX = ".bytemorph-tmp-"


def russian_lines():
    with open(os.path.join(HERE, "guess_sample.txt"), encoding="utf-8") as sample:
        return [line.rstrip("\n") for line in sample if line.strip()]


def russian_text(seed, lines=20):
    rng = random.Random(seed)
    sample = russian_lines()
    return "\n".join(rng.choice(sample) for _ in range(lines)) + "\n"


def run(args, **kwargs):
    return subprocess.run([FILES] + args, capture_output=True, timeout=120, **kwargs)


def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as out:
        out.write(data)


def read(path):
    with open(path, "rb") as source:
        return source.read()


def temporaries(top):
    return [os.path.join(d, f) for d, _, names in os.walk(top)
            for f in names if f.startswith(TEMPORARY_PREFIX)]


class Folder(unittest.TestCase):
    def setUp(self):
        self.scratch = tempfile.TemporaryDirectory()
        self.top = self.scratch.name

    def tearDown(self):
        self.scratch.cleanup()

    def path(self, *names):
        return os.path.join(self.top, *names)


class Walk(Folder):
    def test_each_kind_of_file_in_a_walk(self):
        text = russian_text(1)
        files = {f"{name}.txt": text.encode(codec) for name, codec in CODECS.items()}
        files.update({
            "ascii.txt": b"plain text\n", "empty": b"",
            "program": read("/bin/sh")[:4096],
            "german.txt": ("Gr\u00f6\u00dfere \u00dcbungen f\u00fcr \u00c4pfel und "
                           "Birnen, sch\u00f6n und gr\u00fcn.\n" * 3).encode("latin-1"),
            "sub/deep/dos.txt": text.encode("cp866"),
            ".git/koi.txt": text.encode("koi8_r"),
            TEMPORARY_PREFIX + "left": text.encode("koi8_r"),
        })
        for name, data in files.items():
            write(self.path(name), data)
        os.symlink("koi.txt", self.path("link"))
        result = run(["-v", "-r", "auto", "utf", self.top])
        self.assertEqual(result.returncode, 0, result.stderr)
        top = self.top + "/"
        self.assertEqual(result.stdout.decode().replace(top, "").splitlines(), [
            "ascii.txt: unchanged: no byte above 0x7F",
            "dos.txt: dos -> utf",
            "empty: unchanged: empty",
            "german.txt: unchanged: no code page reads it as Cyrillic",
            "koi.txt: koi -> utf",
            "link: unchanged: symbolic link",
            "program: unchanged: binary data",
            "sub/deep/dos.txt: dos -> utf",
            "utf.txt: unchanged: already utf",
            "win.txt: win -> utf",
        ])
        self.assertEqual(result.stderr, b"4 converted, 6 needed nothing, 0 left, 0 failed\n")
        for name, data in files.items():
            converted = name in ("koi.txt", "win.txt", "dos.txt", "sub/deep/dos.txt")
            want = text.encode() if converted else data
            self.assertEqual(read(self.path(name)), want, name)
        self.assertTrue(os.path.islink(self.path("link")))

    def test_every_result_is_what_bytemorph_gives(self):
        rng = random.Random(5)
        pages = {}
        for index in range(60):
            page = rng.choice(["koi", "win", "dos"])
            pages[index] = page
            text = russian_text(index, rng.randrange(1, 30))
            if rng.random() < 0.5:
                text = text.rstrip("\n")  # a last line without its newline
            write(self.path(f"f{index:03}"), text.encode(CODECS[page]))
        originals = {i: read(self.path(f"f{i:03}")) for i in pages}
        result = run(["-j", "3", "-r", "auto", "utf", self.top])
        self.assertEqual(result.returncode, 0, result.stderr)
        for index, page in pages.items():
            want = subprocess.run([BYTEMORPH, page, "utf"], input=originals[index],
                                  capture_output=True).stdout
            self.assertEqual(read(self.path(f"f{index:03}")), want, index)

    def test_reports_keep_the_walk_order_whatever_the_jobs(self):
        texts = {}
        for index in range(300):
            page = ["koi", "win", "utf"][index % 3]
            texts[self.path(f"d{index % 7}", f"f{index}")] = russian_text(index, 2).encode(CODECS[page])
        outputs = set()

        def few_open_files():
            # Fewer than the files, and than a batch of them: a handle kept
            # open past its file runs out, and a batch must fit.
            resource.setrlimit(resource.RLIMIT_NOFILE, (64, 64))

        for jobs in ("1", "2", "5"):
            for name, data in texts.items():
                write(name, data)
            result = run(["-v", "-r", "-j", jobs, "auto", "utf", self.top],
                         preexec_fn=few_open_files)
            self.assertEqual(result.returncode, 0, result.stderr)
            outputs.add(result.stdout)
        self.assertEqual(len(outputs), 1)
        lines = outputs.pop().decode().splitlines()
        self.assertEqual(lines, sorted(lines, key=lambda line: line.split(":")[0]))

    def test_named_source_already_in_target(self):
        text = russian_text(12)
        write(self.path("utf.txt"), text.encode())
        write(self.path("koi.txt"), text.encode("koi8_r"))
        result = run(["-v", "koi", "utf", self.path("utf.txt")])
        self.assertEqual((result.returncode, result.stdout.decode()),
                         (0, f"{self.path('utf.txt')}: unchanged: already utf\n"))
        result = run(["-v", "-f", "koi", "koi", self.path("koi.txt")])
        self.assertEqual((result.returncode, result.stdout.decode()),
                         (0, f"{self.path('koi.txt')}: unchanged: already koi\n"))
        self.assertEqual(read(self.path("utf.txt")), text.encode())
        self.assertEqual(read(self.path("koi.txt")), text.encode("koi8_r"))

    def test_include_exclude_and_directories_without_recursion(self):
        koi = russian_text(2).encode("koi8_r")
        for name in ("a.srt", "b.srt", "c.txt", "skip.srt"):
            write(self.path("d", name), koi)
        result = run(["-v", "-r", "--include=*.srt", "--exclude=skip*", "koi", "utf",
                      self.path("d")])
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertEqual(len(result.stdout.splitlines()), 2, result.stdout)
        self.assertNotEqual(read(self.path("d", "a.srt")), koi)
        self.assertEqual(read(self.path("d", "c.txt")), koi)
        self.assertEqual(read(self.path("d", "skip.srt")), koi)
        result = run(["koi", "utf", self.path("d")])
        self.assertEqual(result.returncode, 1)
        self.assertIn(b"left: a directory", result.stderr)


class Leaving(Folder):
    def test_each_reason_to_leave_a_file_and_its_override(self):
        text = russian_text(3)
        cases = [
            # name, data, FROM, TO, the reason on stderr, the option that converts anyway
            ("quotes.txt", ("\u00abx\u00bb\n" + text).encode("cp1251"), "win", "koi",
             "left: 2 characters koi lacks, first at line 1", "--lossy"),
            ("win.txt", text.encode("cp1251"), "koi", "utf", "left: looks like win, not koi", "-f"),
            ("broken.txt", text.encode() + b"\xd0\n", "utf", "koi",
             "left: not utf: malformed UTF-8 at line 21", "-f"),
            ("cut.txt", text.encode() + "ж".encode()[:1], "utf", "koi",
             "left: not utf: malformed UTF-8 at line 21", "-f"),
        ]
        for name, data, source, target, reason, override in cases:
            write(self.path(name), data)
            result = run([source, target, self.path(name)])
            self.assertEqual((result.returncode, result.stdout), (1, b""), name)
            self.assertEqual(result.stderr.decode().splitlines()[0],
                             f"bytemorph-files ERROR: {self.path(name)}: {reason}")
            self.assertEqual(read(self.path(name)), data, name)
            result = run([override, source, target, self.path(name)])
            self.assertEqual(result.returncode, 0, (name, result.stderr))
            want = subprocess.run([BYTEMORPH, source, target], input=data,
                                  capture_output=True).stdout
            self.assertEqual(read(self.path(name)), want, name)

    def test_links(self):
        koi = russian_text(4).encode("koi8_r")
        write(self.path("one"), koi)
        os.link(self.path("one"), self.path("two"))
        result = run(["koi", "utf", self.path("one")])
        self.assertEqual(result.returncode, 1)
        self.assertIn(b"left: 2 hard links", result.stderr)
        self.assertEqual(read(self.path("one")), koi)
        os.remove(self.path("two"))
        # A symbolic link named by the user: its target converts, it stays a link.
        os.symlink("one", self.path("link"))
        result = run(["koi", "utf", self.path("link")])
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertTrue(os.path.islink(self.path("link")))
        self.assertEqual(read(self.path("one")), koi.decode("koi8_r").encode())


class AnotherUser(Folder):
    """As a user other than the files' owner: root runs it as nobody."""

    def test_permissions_and_owner(self):
        if os.geteuid() != 0:
            self.skipTest("needs root to act as another user")
        nobody = 65534
        koi = russian_text(11).encode("koi8_r")
        os.chmod(self.top, 0o755)
        for folder, mode in (("shut", 0o555), ("open", 0o777)):
            os.mkdir(self.path(folder))
            os.chmod(self.path(folder), mode)
        write(self.path("shut", "a.txt"), koi)
        write(self.path("open", "b.txt"), koi)
        write(self.path("open", "c.txt"), koi)
        write(self.path("open", "d.txt"), koi)
        os.chown(self.path("open", "b.txt"), nobody, 0)  # a group nobody is not in
        os.chown(self.path("open", "c.txt"), nobody, nobody)
        os.chmod(self.path("open", "d.txt"), 0o600)  # root's alone
        os.chmod(self.path("shut", "a.txt"), 0o666)
        def become_nobody():
            os.setgroups([])
            os.setgid(nobody)
            os.setuid(nobody)

        # A copy nobody may run, wherever the build is.
        program = self.path("bytemorph-files")
        shutil.copy(FILES, program)
        os.chmod(program, 0o755)
        result = subprocess.run([program, "-v", "-r", "koi", "utf", self.path("shut"),
                                 self.path("open")], capture_output=True, timeout=120,
                                preexec_fn=become_nobody)
        self.assertEqual(result.returncode, 1)
        self.assertEqual(result.stdout.decode().replace(self.top + "/", "").splitlines(), [
            "open/b.txt: left: cannot keep its owner and group: Operation not permitted",
            "open/c.txt: koi -> utf",
        ])
        self.assertEqual(result.stderr.decode().replace(self.top + "/", "").splitlines(), [
            "bytemorph-files ERROR: shut/a.txt: cannot create a file beside it: "
            "Permission denied",
            "bytemorph-files ERROR: open/d.txt: cannot open it: Permission denied",
            "1 converted, 0 needed nothing, 1 left, 2 failed",
        ])
        for name in ("shut/a.txt", "open/b.txt", "open/d.txt"):
            self.assertEqual(read(self.path(name)), koi, name)
        self.assertEqual(temporaries(self.top), [])


class Options(Folder):
    def test_dry_run_keeps_content_inode_and_times(self):
        koi = russian_text(6).encode("koi8_r")
        write(self.path("a"), koi)
        os.utime(self.path("a"), (1_000_000_000, 1_000_000_000))
        before = os.stat(self.path("a"))
        result = run(["-n", "-v", "koi", "utf", self.path("a")])
        self.assertEqual(result.returncode, 0)
        self.assertEqual(result.stdout.decode(), f"{self.path('a')}: koi -> utf\n")
        self.assertIn(b"1 to convert", result.stderr)
        after = os.stat(self.path("a"))
        self.assertEqual((after.st_ino, after.st_mtime_ns, after.st_atime_ns, after.st_ctime_ns),
                         (before.st_ino, before.st_mtime_ns, before.st_atime_ns, before.st_ctime_ns))
        self.assertEqual(read(self.path("a")), koi)
        self.assertEqual(os.listdir(self.top), ["a"])

    def test_dates_backups_mode_owner_attributes(self):
        koi = russian_text(7).encode("koi8_r")
        for name in ("plain", "kept", "backed", "suffixed"):
            write(self.path(name), koi)
            os.utime(self.path(name), (900_000_000, 1_000_000_000))
            os.chmod(self.path(name), 0o640)
        root = os.geteuid() == 0
        if root:
            os.chown(self.path("plain"), 1234, 2345)
        try:
            os.setxattr(self.path("plain"), "user.origin", b"archive")
            os.setxattr(self.path("plain"), "user.flag", b"")
            attributes = True
        except OSError:
            attributes = False
        self.assertEqual(run(["koi", "utf", self.path("plain")]).returncode, 0)
        self.assertEqual(run(["-k", "koi", "utf", self.path("kept")]).returncode, 0)
        self.assertEqual(run(["-b", "koi", "utf", self.path("backed")]).returncode, 0)
        self.assertEqual(run(["--backup=.orig", "koi", "utf", self.path("suffixed")]).returncode, 0)
        # Before any read here moves the access time.
        kept = os.stat(self.path("kept"))
        self.assertEqual((kept.st_atime_ns, kept.st_mtime_ns),
                         (900_000_000 * 10**9, 1_000_000_000 * 10**9))
        utf = koi.decode("koi8_r").encode()
        for name in ("plain", "kept", "backed", "suffixed"):
            self.assertEqual(read(self.path(name)), utf, name)
            self.assertEqual(os.stat(self.path(name)).st_mode & 0o7777, 0o640, name)
        self.assertGreater(os.stat(self.path("plain")).st_mtime, 1_000_000_000)

        self.assertEqual(read(self.path("backed~")), koi)
        self.assertEqual(read(self.path("suffixed.orig")), koi)
        if root:
            stat = os.stat(self.path("plain"))
            self.assertEqual((stat.st_uid, stat.st_gid), (1234, 2345))
        if attributes:
            self.assertEqual(os.getxattr(self.path("plain"), "user.origin"), b"archive")
            self.assertEqual(os.getxattr(self.path("plain"), "user.flag"), b"")

    def test_usage_errors_touch_nothing(self):
        koi = russian_text(8).encode("koi8_r")
        write(self.path("a"), koi)
        for args in ([], ["koi", "utf"], ["-x", "koi", "utf", self.path("a")],
                     ["kio", "utf", self.path("a")], ["koi", "auto", self.path("a")],
                     ["-j", "0", "koi", "utf", self.path("a")],
                     ["--backup=", "koi", "utf", self.path("a")]):
            result = run(args)
            self.assertEqual(result.returncode, 2, args)
            self.assertIn(b"Usage: bytemorph-files [OPTION]... FROM TO PATH...", result.stderr)
            self.assertTrue(result.stderr.startswith(b"bytemorph-files ERROR: "), args)
            self.assertEqual(read(self.path("a")), koi)
        result = run(["--help"])
        self.assertEqual((result.returncode, result.stderr), (0, b""))
        self.assertTrue(result.stdout.startswith(b"Usage: "))


class Interruptions(Folder):
    def big_file(self, megabytes):
        line = russian_text(9, 40).encode("koi8_r")
        data = line * (megabytes * 1_000_000 // len(line))
        write(self.path("big"), data)
        return data, data.decode("koi8_r").encode()

    def test_killed_at_any_moment_the_file_is_whole(self):
        original, converted = self.big_file(40)
        digests = {hashlib.sha256(original).digest(): "original",
                   hashlib.sha256(converted).digest(): "converted"}
        # Kill moments spread over the whole run, however fast this build is.
        started = time.monotonic()
        self.assertEqual(run(["koi", "utf", self.path("big")]).returncode, 0)
        whole_run = time.monotonic() - started
        seen = set()
        for attempt in range(24):
            if digests[hashlib.sha256(read(self.path("big"))).digest()] == "converted":
                write(self.path("big"), original)
            for leftover in temporaries(self.top):
                os.remove(leftover)
            process = subprocess.Popen([FILES, "koi", "utf", self.path("big")],
                                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            moment = whole_run * 1.2 * attempt / 23
            time.sleep(moment)
            process.send_signal(signal.SIGKILL)
            process.wait()
            state = digests.get(hashlib.sha256(read(self.path("big"))).digest())
            self.assertIsNotNone(state, f"half a file after a kill at {moment:.3f} s")
            seen.add(state)
        self.assertEqual(seen, {"original", "converted"})
        # What a killed run leaves behind, the next run passes over.
        write(self.path(TEMPORARY_PREFIX + "x"), original[:1000])
        result = run(["-v", "-r", "auto", "utf", self.top])
        self.assertNotIn(TEMPORARY_PREFIX.encode(), result.stdout)
        self.assertEqual(read(self.path(TEMPORARY_PREFIX + "x")), original[:1000])

    def test_interrupt_and_terminate(self):
        original, converted = self.big_file(1)
        names = [self.path(f"f{index:03}") for index in range(150)]
        # At once, a batch is being prepared; later, one may be put in place.
        for stop, status, delay in ((signal.SIGINT, 130, 0), (signal.SIGTERM, 143, 0),
                                    (signal.SIGINT, 130, 0.1), (signal.SIGTERM, 143, 0.1)):
            for name in names:
                write(name, original)
            process = subprocess.Popen([FILES, "-j", "1", "koi", "utf", *names],
                                       stdout=subprocess.PIPE, stderr=subprocess.PIPE)
            # Its first temporary file says that it runs, its handlers set.
            deadline = time.monotonic() + 30
            while not temporaries(self.top) and time.monotonic() < deadline:
                time.sleep(0.001)
            time.sleep(delay)
            process.send_signal(stop)
            out, err = process.communicate(timeout=60)
            self.assertEqual(process.returncode, status, err)
            done = sum(read(name) == converted for name in names)
            self.assertLess(done, len(names))
            self.assertEqual(done + sum(read(name) == original for name in names), len(names))
            self.assertEqual(err, f"{done} converted, 0 needed nothing, 0 left, 0 failed "
                                  "(interrupted)\n".encode())
            self.assertEqual(temporaries(self.top), [])

    def test_full_disk(self):
        koi = russian_text(10).encode("koi8_r")
        write(self.path("big"), koi * 200)
        write(self.path("small"), koi)

        def limit_file_size():
            # The limit stands in for a full disk: writes past it fail.
            signal.signal(signal.SIGXFSZ, signal.SIG_IGN)
            resource.setrlimit(resource.RLIMIT_FSIZE, (len(koi) * 50, len(koi) * 50))

        result = run(["-v", "koi", "utf", self.path("big"), self.path("small")],
                     preexec_fn=limit_file_size)
        self.assertEqual(result.returncode, 1)
        self.assertIn(b"big: cannot write the result: File too large\n", result.stderr)
        self.assertEqual(result.stdout, f"{self.path('small')}: koi -> utf\n".encode())
        self.assertEqual(read(self.path("big")), koi * 200)
        self.assertEqual(read(self.path("small")), koi.decode("koi8_r").encode())
        self.assertEqual(temporaries(self.top), [])


if __name__ == "__main__":
    FILES = os.path.abspath(sys.argv.pop(1))
    BYTEMORPH = os.path.abspath(sys.argv.pop(1))
    unittest.main(verbosity=1)
