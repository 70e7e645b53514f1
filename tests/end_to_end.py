"""Runs the built bytemorph binary through real pipes and files: what needs
a real process (statuses and texts, the kernel variable, the codecs on real
text, failing streams, interactivity). The I/O seam's unit tests cover the
rest.

Usage: end_to_end.py PATH_TO_BYTEMORPH PATH_TO_BYTEMORPH_GUESS
Python's codecs are the oracle for what each code page means.
"""
import os
import random
import resource
import select
import signal
import subprocess
import sys
import tempfile
import threading
import time
import unittest

BINARY = GUESS = None
ALL_CODECS = dict(CODECS := {"koi": "koi8_r", "win": "cp1251", "dos": "cp866",
                             "mac": "mac_cyrillic", "iso": "iso8859_5"}, utf="utf-8")
NAMES = ["koi", "win", "dos", "mac", "iso"]
CONVERTED = set(range(0x410, 0x450)) | {0x401, 0x451, 0xAB, 0xBB, 0x2116,
                                        0x2013, 0x2014, 0xA0}
# The program's koi column: numero sign at 0xBE, no-break space at 0xA0.
KOI_CHOICES = {0xBE: "\u2116", 0xA0: "\u00a0"}
NAMES_LINE = b"CodNames: koi win dos mac iso utf \n"
USAGE = (b"bytemorph from to\nwhere: from,to - codName\n" + NAMES_LINE +
         b"from may be auto: guessed from the input\n")
UNKNOWN = b"bytemorph ERROR: Unknown cyrillic codName\n" + NAMES_LINE


def character(name, byte):
    """What the byte means in the page, to this program."""
    if name == "koi" and byte in KOI_CHOICES:
        return KOI_CHOICES[byte]
    return bytes([byte]).decode(CODECS[name], errors="ignore") or chr(byte)


def encode(name, char):
    """The character in the page: removed where the letter table has no
    code for it, '?' where the page lacks it."""
    for byte, choice in KOI_CHOICES.items():
        if name == "koi" and choice == char:
            return bytes([byte])
    try:
        return char.encode(CODECS[name])
    except UnicodeEncodeError:
        return b"" if ord(char) in CONVERTED else b"?"


def expected(source, target, data):
    """Between two 8-bit pages: the letters move, every other byte stays."""
    table = {}
    for byte in range(256):
        char = character(source, byte)
        kept = byte == 0 or ord(char) not in CONVERTED or (
            source == "koi" and byte == 0x9A)
        table[byte] = bytes([byte]) if kept else encode(target, char)
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
             "\u2013 \u2014", "\u00a0", "\u0401\u043b\u043a\u0430", "ASCII 123",
             "\u20ac \u20bd \u2500\u2502 \U0001F600 \u0456"]
    lines = [" ".join(rng.choice(words) for _ in range(rng.randrange(12)))
             for _ in range(400)]
    return "\n".join(lines)


class CommandLine(unittest.TestCase):
    def test_wrong_argument_count_prints_usage(self):
        for args in ([], ["koi"], ["koi", "win", "dos"]):
            status, out, err = run_with_silent_stdin(args)
            self.assertEqual(status, 2, args)
            self.assertTrue(out.startswith(b"bytemorph v 1.1"), out)
            self.assertEqual(out.split(b"\n", 1)[1], USAGE, args)
            self.assertEqual(err, b"", args)

    def test_unknown_names(self):
        for args in (["KOI", "win"], ["koi", "Utf"], ["", "win"],
                     ["foo", "bar"], ["utf-8", "koi"]):
            status, out, err = run_with_silent_stdin(args)
            self.assertEqual((status, out, err), (1, b"", UNKNOWN), args)

    def test_kernels(self):
        data = sample_text().encode("cp1251", errors="ignore") + bytes(range(256))
        # What the kernel says the CPU and system give it (Linux).
        flags = set()
        if os.path.exists("/proc/cpuinfo"):
            with open("/proc/cpuinfo") as cpuinfo:
                flags = set(next((line.split(":")[1].split() for line in cpuinfo
                                  if line.startswith("flags")), []))
        needs = {"avx2": {"avx2"}, "avx512": {"avx512bw", "avx512vbmi", "avx512_vbmi2"}}
        for kernel in ("avx512", "avx2", "scalar", "sse9"):
            result = run(["win", "koi"], data,
                         env=dict(os.environ, BYTEMORPH_KERNEL=kernel))
            if result.returncode == 0:
                self.assertEqual(result.stdout, expected("win", "koi", data), kernel)
            elif kernel in ("avx512", "avx2"):
                self.assertFalse(needs[kernel] <= flags, f"{kernel} refused on a CPU that has it")
                self.assertIn(b"not supported by this CPU", result.stderr)
            else:
                self.assertEqual(
                    (result.returncode, result.stdout, result.stderr),
                    (1, b"", b"bytemorph ERROR: Unknown kernel in "
                     b"BYTEMORPH_KERNEL: " + kernel.encode() + b"\n"))


class Utf8(unittest.TestCase):
    def test_each_page_to_utf_and_back(self):
        text = sample_text() + "\n"
        for name in NAMES:
            data = text.encode(CODECS[name], errors="ignore") + bytes(range(256))
            result = run([name, "utf"], data)
            want = "".join(character(name, b) for b in data).encode() + b"\n"
            self.assertEqual((result.returncode, result.stdout), (0, want), name)
            result = run(["utf", name], text.encode())
            want = b"".join(encode(name, c) for c in text)
            self.assertEqual((result.returncode, result.stdout), (0, want), name)


class Faults(unittest.TestCase):
    def test_full_disk(self):
        for args, status in ((["koi", "utf"], 1), ([], 2)):
            with open("/dev/full", "wb") as full:
                result = subprocess.run([BINARY] + args, input=b"abc\n",
                                        stdout=full, stderr=subprocess.PIPE)
            self.assertEqual(result.returncode, status)
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
            result = subprocess.run([BINARY, "utf", "win"], stdin=directory,
                                    capture_output=True)
        finally:
            os.close(directory)
        self.assertEqual((result.returncode, result.stdout, result.stderr),
                         (1, b"", b"bytemorph ERROR: Cannot read "
                          b"standard input: Is a directory\n"))

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


class Guessing(unittest.TestCase):
    def test_auto_converts_as_the_named_page(self):
        text = sample_text() + "\n"
        for name, codec in ALL_CODECS.items():
            data = text.encode(codec, errors="ignore")
            for target in ("utf", "win"):
                named = run([name, target], data)
                self.assertEqual(run(["auto", target], data).stdout, named.stdout,
                                 (name, target))
        for data in (b"", b"plain ASCII\n", b"\xc1", "\u0439".encode()):
            self.assertEqual(run(["auto", "koi"], data).stdout,
                             run(["utf", "koi"], data).stdout, data)
        self.assertEqual(run(["koi", "auto"]).returncode, 1)

    def test_auto_holds_at_most_a_mebibyte(self):
        # ASCII settles nothing: it goes out as it comes, in constant
        # memory, and the KOI8-R line three MiB in decides the page.
        start = b"INFO service started\n" * ((3 << 20) // 21)
        russian = "Ошибка: нет связи с сервером, повторите позже.\n"
        data, expected = start + russian.encode("koi8_r"), start + russian.encode()
        proc = subprocess.Popen([BINARY, "auto", "utf"], stdin=subprocess.PIPE,
                                stdout=subprocess.PIPE)
        writer = threading.Thread(target=lambda: (proc.stdin.write(data), proc.stdin.close()))
        writer.start()
        out, peak = b"", None
        # Bounded: a run that writes without end must fail, not hang.
        while len(out) <= len(expected) and (chunk := proc.stdout.read(1 << 16)):
            out += chunk
            if peak is None and len(out) > (2 << 20):  # past the held part
                with open(f"/proc/{proc.pid}/status") as status:
                    peak = next(int(line.split()[1]) for line in status
                                if line.startswith("VmHWM"))
        writer.join()
        proc.stdout.close()
        self.assertEqual((proc.wait(), out), (0, expected))
        if not os.environ.get("BYTEMORPH_TEST_SANITIZED"):
            # The program, the held MiB, the conversion buffers and the
            # guess's tables: the same for any length of input.
            self.assertLess(peak, 5120, "peak resident KiB")

    def test_what_no_page_reads(self):
        german = "Gr\u00f6\u00dfere \u00dcbungen f\u00fcr \u00c4pfel\n".encode("latin-1")
        with open("/bin/sh", "rb") as program:
            binary = program.read(4096)
        for data, answer, why in ((binary, b"binary", b"it is binary data, not text"),
                                  (german, b"unknown", b"no code page reads it as Cyrillic")):
            result = run(["auto", "utf"], data)
            self.assertEqual((result.returncode, result.stdout, result.stderr),
                             (1, b"", b"bytemorph ERROR: Cannot tell the code page of the "
                              b"input: " + why + b"\n"))
            result = subprocess.run([GUESS], input=data, capture_output=True)
            self.assertEqual((result.returncode, result.stdout), (0, answer + b"\n"))

    def test_guess_program(self):
        with tempfile.TemporaryDirectory() as folder:
            koi = os.path.join(folder, "letter.koi")
            with open(koi, "wb") as f:  # the letters only past what is held
                f.write(b"INFO service started\n" * 60000 +
                        "\u0421\u044a\u0435\u0448\u044c".encode("koi8_r"))
            # A line that the MiB held cuts: its ASCII start is kept for
            # the Russian after it, not passed on with the lines before.
            long_line = os.path.join(folder, "long-line.koi")
            with open(long_line, "wb") as f:
                f.write(b"INFO service started\n" * 30000 + b"note " * 100000 +
                        "\u0421\u044a\u0435\u0448\u044c \u0436\u0435".encode("koi8_r") +
                        b"\n")
            self.assertEqual(subprocess.run([GUESS, long_line], capture_output=True).stdout,
                             f"{long_line}: koi\n".encode())
            missing = os.path.join(folder, "missing")
            result = subprocess.run([GUESS, "--", koi, missing, folder, "-"], input=b"abc",
                                    capture_output=True)
            self.assertEqual(result.returncode, 1)
            self.assertEqual(result.stdout, f"{koi}: koi\n-: utf\n".encode())
            self.assertEqual(result.stderr.decode().splitlines(), [
                f"bytemorph-guess ERROR: Cannot read {missing}: No such file or directory",
                f"bytemorph-guess ERROR: Cannot read {folder}: Is a directory"])
            # Each error line comes after the answers before it.
            result = subprocess.run([GUESS, koi, missing], stdout=subprocess.PIPE,
                                    stderr=subprocess.STDOUT)
            self.assertEqual(result.stdout.decode().splitlines(), [
                f"{koi}: koi", f"bytemorph-guess ERROR: Cannot read {missing}: "
                "No such file or directory"])
            result = subprocess.run([GUESS, "-", koi], input=b"abc", capture_output=True)
            self.assertEqual((result.returncode, result.stdout, result.stderr),
                             (0, f"-: utf\n{koi}: koi\n".encode(), b""))
            # A file that fails to read is closed all the same: many of them
            # under a small limit of open files each fail for their own reason.
            folders = [os.path.join(folder, f"d{i}") for i in range(100)]
            for name in folders:
                os.mkdir(name)
            result = subprocess.run(
                [GUESS] + folders, capture_output=True,
                preexec_fn=lambda: resource.setrlimit(resource.RLIMIT_NOFILE, (32, 32)))
            self.assertEqual(result.stderr.decode().splitlines(), [
                f"bytemorph-guess ERROR: Cannot read {name}: Is a directory" for name in folders])
            # Standard input is read on past its first reads as a file is.
            with open(koi, "rb") as f:
                result = subprocess.run([GUESS], stdin=f, capture_output=True)
            self.assertEqual((result.returncode, result.stdout), (0, b"koi\n"))
            with open(koi, "rb") as f:
                result = subprocess.run([GUESS], input=f.read(), capture_output=True)
            self.assertEqual((result.returncode, result.stdout), (0, b"koi\n"))
        # Valid UTF-8 is one reading among six: тип in CP866 is E2 A8 AF.
        for text, codec, name in (("\u0439", "utf-8", b"utf"),
                                  ("\u0442\u0438\u043f", "cp866", b"dos")):
            self.assertEqual(subprocess.run([GUESS], input=text.encode(codec),
                                            capture_output=True).stdout, name + b"\n")
        for option, status in (("-h", 0), ("--help", 0), ("-x", 2)):
            result = subprocess.run([GUESS, option], capture_output=True)
            self.assertEqual(result.returncode, status)
            self.assertTrue((result.stderr if status else result.stdout)
                            .startswith(b"bytemorph-guess [FILE...]\n"))


class Streams(unittest.TestCase):
    def test_input_file_is_output_file(self):
        with tempfile.TemporaryDirectory() as folder:
            path = os.path.join(folder, "letter.txt")
            with open(path, "wb") as f:
                f.write(b"\xe1\xc2\n")
            os.link(path, path + ".link")
            for output, status in ((f'>> "{path}"', 1), (f'1<> "{path}"', 1),
                                   (f'>> "{path}.link"', 1),
                                   (f'> "{path}.out"', 0)):
                result = subprocess.run(
                    ["sh", "-c", f'exec "$0" koi win < "{path}" {output}', BINARY],
                    capture_output=True, timeout=10)
                self.assertEqual(result.returncode, status, output)
                self.assertEqual(result.stderr, b"bytemorph ERROR: Input file "
                                 b"is output file\n" if status else b"")
                with open(path, "rb") as f:
                    self.assertEqual(f.read(), b"\xe1\xc2\n", output)
            with open(path + ".out", "rb") as f:
                self.assertEqual(f.read(), b"\xc0\xe1\n")

    def test_non_blocking_pipes_with_slow_ends(self):
        data = sample_text().encode("koi8_r", errors="ignore") * 60
        stdin_read, stdin_write = os.pipe()
        stdout_read, stdout_write = os.pipe()
        os.set_blocking(stdin_read, False)
        os.set_blocking(stdout_write, False)
        proc = subprocess.Popen([BINARY, "koi", "utf"], stdin=stdin_read,
                                stdout=stdout_write)
        os.close(stdout_write)

        def slow_writer():
            try:
                for start in range(0, len(data), 50000):
                    os.write(stdin_write, data[start:start + 50000])
                    time.sleep(0.005)
            finally:
                os.close(stdin_write)
        writer = threading.Thread(target=slow_writer)
        writer.start()
        out = b""
        while len(out) <= 2 * len(data) and (chunk := os.read(stdout_read, 30000)):
            out += chunk
            time.sleep(0.001)
        os.close(stdout_read)
        status = proc.wait(timeout=30)
        self.assertFalse(os.get_blocking(stdin_read), "mode left as it was")
        os.close(stdin_read)  # a writer still waiting gets EPIPE
        writer.join()
        self.assertEqual(status, 0)
        self.assertEqual(out, data.decode("koi8_r").encode() + b"\n")


    def test_guess_waits_on_non_blocking_input(self):
        stdin_read, stdin_write = os.pipe()
        os.set_blocking(stdin_read, False)
        proc = subprocess.Popen([GUESS], stdin=stdin_read, stdout=subprocess.PIPE,
                                stderr=subprocess.PIPE)
        time.sleep(0.2)  # nothing to read yet
        os.write(stdin_write, "\u0421\u044a\u0435\u0448\u044c\n".encode("koi8_r"))
        time.sleep(0.1)
        os.close(stdin_write)
        out, err = proc.communicate(timeout=30)
        os.close(stdin_read)
        self.assertEqual((proc.returncode, out, err), (0, b"koi\n", b""))


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
        short_i = "\u0438\u0306\n".encode()  # и + combining breve
        for pair, lines in (
                (("koi", "win"), [(b"\xe1\xc2\n", b"\xc0\xe1\n"), (b"a\n", b"a\n")]),
                (("utf", "koi"), [(short_i, b"\xca\n"), (short_i, b"\xca\n")]),
                (("koi", "utf"), [(b"\xe1\n", "\u0410\n".encode())]),
                # A line settles the guess: its capital and its ё are
                # where win and mac part.
                (("auto", "utf"), [("\u0421\u044a\u0435\u0448\u044c \u0436\u0435 \u0435\u0449\u0451 "
                                    "\u044d\u0442\u0438\u0445 \u0431\u0443\u043b\u043e\u043a\n"
                                    .encode("cp1251"),
                                    "\u0421\u044a\u0435\u0448\u044c \u0436\u0435 \u0435\u0449\u0451 "
                                    "\u044d\u0442\u0438\u0445 \u0431\u0443\u043b\u043e\u043a\n"
                                    .encode())])):
            proc = subprocess.Popen([BINARY, *pair], stdin=subprocess.PIPE,
                                    stdout=subprocess.PIPE)
            try:
                for line, want in lines:
                    # One byte at a time, with pauses: the reads come in pieces.
                    for byte in line:
                        proc.stdin.write(bytes([byte]))
                        proc.stdin.flush()
                        time.sleep(0.01)
                    self.assertEqual(self.read_available(proc.stdout, len(want)),
                                     want, pair)
                proc.stdin.close()
                self.assertEqual(proc.wait(timeout=10), 0)
            finally:
                proc.kill()
                proc.stdout.close()


if __name__ == "__main__":
    BINARY = os.path.abspath(sys.argv.pop(1))
    GUESS = os.path.abspath(sys.argv.pop(1))
    unittest.main(verbosity=1)
