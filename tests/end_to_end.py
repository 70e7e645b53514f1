"""Runs the built bytemorph binary through real pipes and files.

Usage: end_to_end.py PATH_TO_BYTEMORPH
Python's codecs are the oracle for what each code page means.
"""
import os
import random
import select
import signal
import subprocess
import sys
import tempfile
import time
import unittest

BINARY = None
NAMES = ["koi", "win", "dos", "mac", "iso"]
CODECS = {"koi": "koi8_r", "win": "cp1251", "dos": "cp866",
          "mac": "mac_cyrillic", "iso": "iso8859_5"}
CONVERTED = set(range(0x410, 0x450)) | {0x401, 0x451, 0xAB, 0xBB, 0x2116,
                                        0x2013, 0x2014, 0xA0}
# The program's koi column: numero sign at 0xBE, no-break space at 0xA0.
KOI_CHOICES = {0xBE: "\u2116", 0xA0: "\u00a0"}
USAGE = (b"bytemorph from to\nwhere: from,to - codName\n"
         b"CodNames: koi win dos mac iso \n")
UNKNOWN = (b"bytemorph ERROR: Unknown cyrillic codName\n"
           b"CodNames: koi win dos mac iso \n")


def decode(name, byte):
    if name == "koi" and byte in KOI_CHOICES:
        return KOI_CHOICES[byte]
    if name == "koi" and byte == 0x9A:
        return None
    text = bytes([byte]).decode(CODECS[name], errors="replace")
    return text if ord(text) in CONVERTED else None


def encode(name, char):
    if name == "koi":
        for byte, choice in KOI_CHOICES.items():
            if choice == char:
                return bytes([byte])
    try:
        return char.encode(CODECS[name])
    except UnicodeEncodeError:
        return b""  # the target lacks it: removed


def expected(source, target, data):
    table = {}
    for byte in range(256):
        char = decode(source, byte) if byte else None
        table[byte] = encode(target, char) if char else bytes([byte])
    out = b"".join(table[b] for b in data)
    return out + b"\n" if data and not data.endswith(b"\n") else out


def run(args, data=b"", env=None, **kwargs):
    return subprocess.run([BINARY] + args, input=data, capture_output=True,
                          timeout=60, env=env, **kwargs)


def run_with_silent_stdin(args):
    """Runs with a stdin pipe that never ends: a read would hang."""
    proc = subprocess.Popen([BINARY] + args, stdin=subprocess.PIPE,
                            stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    try:
        out, err = proc.communicate(timeout=10)
    finally:
        proc.kill()
        proc.stdin.close()
    return proc.returncode, out, err


def sample_text():
    rng = random.Random(7)
    words = ["\u0421\u044a\u0435\u0448\u044c \u0436\u0435 \u0435\u0449\u0451",
             "\u00ab\u042d\u0442\u0438\u0445\u00bb", "\u2116 5",
             "\u2013 \u2014", "\u00a0", "\u0401\u043b\u043a\u0430", "ASCII 123"]
    lines = [" ".join(rng.choice(words) for _ in range(rng.randrange(12)))
             for _ in range(400)]
    return "\n".join(lines)


class CommandLine(unittest.TestCase):
    def test_wrong_argument_count_prints_usage(self):
        for args in ([], ["koi"], ["koi", "win", "dos"], ["x", "y", "z", "w"]):
            status, out, err = run_with_silent_stdin(args)
            self.assertEqual(status, 2, args)
            self.assertTrue(out.startswith(b"bytemorph v 1.0"), out)
            self.assertEqual(out.split(b"\n", 1)[1], USAGE, args)
            self.assertEqual(err, b"", args)

    def test_unknown_names(self):
        for args in (["KOI", "win"], ["koi", "Win"], ["", "win"],
                     ["koi ", "win"], ["foo", "bar"], ["ko", "win"]):
            status, out, err = run_with_silent_stdin(args)
            self.assertEqual((status, out, err), (1, b"", UNKNOWN), args)

    def test_unknown_or_unsupported_kernel(self):
        for kernel in ("sse9", "SCALAR"):
            result = run(["koi", "win"], b"abc\n",
                         env=dict(os.environ, BYTEMORPH_KERNEL=kernel))
            self.assertEqual(result.returncode, 1)
            self.assertEqual(result.stdout, b"")
            self.assertEqual(
                result.stderr,
                b"bytemorph ERROR: Unknown kernel in BYTEMORPH_KERNEL: "
                + kernel.encode() + b"\n")


def kernel_names():
    names = []
    for name in ("avx512", "avx2", "scalar"):
        result = run(["koi", "koi"], b"",
                     env=dict(os.environ, BYTEMORPH_KERNEL=name))
        if result.returncode == 0:
            names.append(name)
    return names


class Conversion(unittest.TestCase):
    def test_every_pair_and_kernel_agrees_with_codecs(self):
        text = sample_text()
        all_bytes = bytes(range(256)) * 3 + b"\n"
        for kernel in kernel_names():
            env = dict(os.environ, BYTEMORPH_KERNEL=kernel)
            for source in NAMES:
                data = text.encode(CODECS[source], errors="ignore") + all_bytes
                for target in NAMES:
                    result = run([source, target], data, env=env)
                    self.assertEqual(result.returncode, 0)
                    self.assertEqual(result.stdout,
                                     expected(source, target, data),
                                     f"{kernel} {source}->{target}")

    def test_lines(self):
        cases = [
            ("koi", "koi", b"", b""),
            ("koi", "koi", b"\n", b"\n"),
            ("koi", "koi", b"abc\n", b"abc\n"),
            ("koi", "koi", b"abc", b"abc\n"),
            ("koi", "win", b"a\x00\xc1\x00z\n", b"a\x00\xe0\x00z\n"),
            ("koi", "koi", b"a\r\nb\rc\r\n", b"a\r\nb\rc\r\n"),
            ("win", "koi", b"\xab\x61\xbb\n", b"\x61\n"),
            ("win", "koi", b"\xab\xbb\n", b"\n"),
            ("win", "koi", b"x\n\xab", b"x\n\n"),
            ("koi", "win", b"\xe1\xc2\n", b"\xc0\xe1\n"),
            ("dos", "win", b"\xb0\xa0\xff", b"\xb0\xe0\xa0\n"),
            ("koi", "dos", b"\xa0\xbe\n", b"\xff\xfc\n"),
        ]
        for length in (10238, 10239, 1 << 20):
            line = bytes([0xC1]) * length
            cases.append(("koi", "win", line + b"\nz", b"\xe0" * length + b"\nz\n"))
            cases.append(("koi", "koi", line, line + b"\n"))
        for source, target, data, want in cases:
            result = run([source, target], data)
            self.assertEqual((result.returncode, result.stderr), (0, b""))
            self.assertEqual(result.stdout, want, (source, target, data[:40]))


class Faults(unittest.TestCase):
    def test_full_disk(self):
        with open("/dev/full", "wb") as full:
            result = subprocess.run([BINARY, "koi", "win"], input=b"abc\n",
                                    stdout=full, stderr=subprocess.PIPE)
        self.assertEqual(result.returncode, 1)
        self.assertEqual(result.stderr, b"bytemorph ERROR: Cannot write "
                         b"standard output: No space left on device\n")

    def test_usage_to_full_disk(self):
        with open("/dev/full", "wb") as full:
            result = subprocess.run([BINARY], stdout=full,
                                    stderr=subprocess.PIPE)
        self.assertEqual(result.returncode, 2)
        self.assertEqual(result.stderr, b"bytemorph ERROR: Cannot write "
                         b"standard output: No space left on device\n")

    def test_stdout_closed(self):
        result = subprocess.run(
            ["sh", "-c", 'exec "$0" koi win >&-', BINARY], input=b"abc\n",
            stderr=subprocess.PIPE)
        self.assertEqual(result.returncode, 1)
        self.assertEqual(result.stderr, b"bytemorph ERROR: Cannot write "
                         b"standard output: Bad file descriptor\n")

    def test_directory_as_stdin(self):
        directory = os.open(os.path.dirname(BINARY), os.O_RDONLY)
        try:
            result = subprocess.run([BINARY, "koi", "win"], stdin=directory,
                                    capture_output=True)
        finally:
            os.close(directory)
        self.assertEqual(result.returncode, 1)
        self.assertEqual(result.stdout, b"")
        self.assertEqual(result.stderr, b"bytemorph ERROR: Cannot read "
                         b"standard input: Is a directory\n")

    def reader_that_leaves(self, ignore_sigpipe):
        with tempfile.TemporaryFile() as big:
            big.write(b"\xc1" * (64 << 20))
            big.seek(0)
            proc = subprocess.Popen(
                [BINARY, "koi", "win"], stdin=big, stdout=subprocess.PIPE,
                stderr=subprocess.PIPE,
                preexec_fn=(lambda: signal.signal(signal.SIGPIPE, signal.SIG_IGN))
                if ignore_sigpipe else None)
            proc.stdout.read(1000)
            proc.stdout.close()
            with proc.stderr:
                err = proc.stderr.read()
            return proc.wait(timeout=10), err

    def test_reader_that_leaves_ends_the_run(self):
        self.assertEqual(self.reader_that_leaves(False), (-signal.SIGPIPE, b""))
        self.assertEqual(self.reader_that_leaves(True),
                         (1, b"bytemorph ERROR: Cannot write standard output: "
                          b"Broken pipe\n"))


class Interactive(unittest.TestCase):
    def read_available(self, stream, want, timeout=5.0):
        got = b""
        deadline = time.monotonic() + timeout
        while len(got) < want and time.monotonic() < deadline:
            ready, _, _ = select.select([stream], [], [], 0.1)
            if ready:
                chunk = os.read(stream.fileno(), 65536)
                if not chunk:
                    break
                got += chunk
        return got

    def test_each_line_comes_back_before_the_next_is_sent(self):
        proc = subprocess.Popen([BINARY, "koi", "win"], stdin=subprocess.PIPE,
                                stdout=subprocess.PIPE)
        try:
            for line in (b"\xe1\xc2\n", b"abc\n", b"\xab\n"):
                # One byte at a time, with pauses: the reads come in pieces.
                for byte in line:
                    proc.stdin.write(bytes([byte]))
                    proc.stdin.flush()
                    time.sleep(0.01)
                want = expected("koi", "win", line)
                self.assertEqual(self.read_available(proc.stdout, len(want)), want)
            proc.stdin.close()
            self.assertEqual(proc.wait(timeout=10), 0)
        finally:
            proc.kill()
            proc.stdout.close()


if __name__ == "__main__":
    BINARY = os.path.abspath(sys.argv.pop(1))
    unittest.main(verbosity=1)
