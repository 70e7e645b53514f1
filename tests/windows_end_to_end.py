"""Runs the Windows build under Wine, through files and pipes.

Usage: windows_end_to_end.py PATH_TO_BYTEMORPH_EXE
The standard streams are in text mode there: CR LF is read as a newline,
each newline is written as CR LF, and Ctrl-Z ends the input. Files
converted in place keep their bytes as they are.
"""
import os
import subprocess
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import end_to_end as unix  # noqa: E402  (the shared oracle and texts)

EXE = None
ENV = dict(os.environ, WINEDEBUG="-all")


def windows_expected(source, target, data):
    """Text mode around the conversion: what Windows reads and writes."""
    data = data.split(b"\x1a", 1)[0].replace(b"\r\n", b"\n")
    return unix.expected(source, target, data).replace(b"\n", b"\r\n")


def run(args, data=b"", through="pipe", env=ENV):
    command = ["wine", EXE] + args
    if through == "pipe":
        return subprocess.run(command, input=data, capture_output=True,
                              env=env, timeout=120)
    with tempfile.TemporaryFile() as f:
        f.write(data)
        f.seek(0)
        return subprocess.run(command, stdin=f, capture_output=True, env=env,
                              timeout=120)


class TextMode(unittest.TestCase):
    def assertConverts(self, args, data, want, through, env=ENV, label=None, result=None):
        """A conversion's output and status, run once more if Wine hiccups.

        Wine has been seen, once in many runs, to hand back no output of a
        program that converts the same input right on every other run. The
        first attempt (result, when the caller has run it) is reported on
        stderr so that a real fault still shows.
        """
        result = result or run(args, data, through, env)
        if (result.returncode, result.stdout) != (0, want):
            print(f"\nwine run of {args} {label}: status {result.returncode}, "
                  f"{len(result.stdout)} bytes out, stderr {result.stderr[:200]!r}; "
                  "once more", file=sys.stderr)
            result = run(args, data, through, env)
        self.assertEqual((result.returncode, result.stderr), (0, b""), label)
        self.assertEqual(result.stdout, want, label)

    def test_line_ends_and_ctrl_z(self):
        block = 64 * 1024
        cases = [
            b"a\r\nb\rc\n\xe1\xc2",                    # CR LF, lone CR, LF
            b"x" * (block - 1) + b"\r\n" + b"y\r\n",   # CR LF split by a read
            b"\xe1\r" * (block // 2) + b"\r\n",        # a CR ends every read
            b"ab\x1acd\r\nef\n",                       # Ctrl-Z ends the input
            b"\x1a\r\n",
            b"",
            b"a\x00b\r\n\r\n",
        ]
        for data in cases:
            for through in ("file", "pipe"):
                self.assertConverts(["koi", "win"], data,
                                    windows_expected("koi", "win", data), through,
                                    label=(through, data[:20]))

    def test_pairs_and_kernels(self):
        text = unix.sample_text().replace("\n", "\r\n") + "\r\n"
        for kernel in ("avx512", "avx2", "scalar"):
            data = text.encode("koi8_r", errors="ignore")
            env = dict(ENV, BYTEMORPH_KERNEL=kernel)
            result = run(["koi", "dos"], data, "file", env)
            if b"not supported" not in result.stderr:
                self.assertConverts(["koi", "dos"], data,
                                    windows_expected("koi", "dos", data), "file",
                                    env, kernel, result)
        for name in unix.NAMES:
            want = b"".join(unix.encode(name, c) for c in text.replace("\r", ""))
            self.assertConverts(["utf", name], text.encode(),
                                want.replace(b"\n", b"\r\n"), "file", label=name)

    def test_input_file_is_output_file(self):
        with tempfile.TemporaryDirectory() as folder:
            path = os.path.join(folder, "letter.txt")
            with open(path, "wb") as f:
                f.write(b"\xe1\xc2\r\n")
            for other in ("", ".out"):
                with open(path, "rb") as stdin, open(path + other, "ab") as stdout:
                    result = subprocess.run(["wine", EXE, "koi", "win"], stdin=stdin,
                                            stdout=stdout, stderr=subprocess.PIPE,
                                            env=ENV, timeout=120)
                self.assertEqual((result.returncode, result.stderr), (1, b"bytemorph "
                                 b"ERROR: Input file is output file\r\n") if not other
                                 else (0, b""))
            with open(path, "rb") as f, open(path + ".out", "rb") as out:
                self.assertEqual((f.read(), out.read()),
                                 (b"\xe1\xc2\r\n", b"\xc0\xe1\r\n"))

    def test_guessing(self):
        text = "\u0421\u044a\u0435\u0448\u044c \u0436\u0435 \u0435\u0449\u0451\r\n"
        data = text.encode("cp866")
        result = run(["auto", "utf"], data, "file")
        self.assertEqual(result.stdout, text.encode())
        guess = EXE.replace("bytemorph.exe", "bytemorph-guess.exe")
        result = subprocess.run(["wine", guess], input=data, capture_output=True,
                                env=ENV, timeout=120)
        self.assertEqual((result.returncode, result.stdout), (0, b"dos\r\n"))
        # A named file is read as its own bytes, past a Ctrl-Z, under its
        # name as UTF-8.
        with tempfile.TemporaryDirectory() as folder:
            with open(os.path.join(folder, "\u0444\u0430\u0439\u043b.txt"), "wb") as f:
                f.write(b"Subject: hello\r\n\x1a" + data)
            name = "Z:" + folder.replace("/", "\\") + "\\\u0444\u0430\u0439\u043b.txt"
            result = subprocess.run(["wine", guess, name], capture_output=True, env=ENV,
                                    timeout=120)
            self.assertEqual((result.returncode, result.stdout),
                             (0, (name + ": dos\r\n").encode()))

    def test_files_in_place(self):
        files = EXE.replace("bytemorph.exe", "bytemorph-files.exe")
        text = "\u0421\u044a\u0435\u0448\u044c \u0436\u0435 \u0435\u0449\u0451\r\n" * 40
        with tempfile.TemporaryDirectory() as folder:
            os.makedirs(os.path.join(folder, "sub"))
            originals = {"a.txt": text.encode("koi8_r"), "sub\\b.txt": text.encode("cp1251"),
                         "quotes.txt": ("\u00abx\u00bb " + text).encode("cp1251"),
                         # Read again from its start once the Russian is reached.
                         "log.txt": b"INFO started\r\n" * 80000 + text.encode("koi8_r")}
            for name, data in originals.items():
                with open(os.path.join(folder, name.replace("\\", "/")), "wb") as f:
                    f.write(data)
            top = "Z:" + folder.replace("/", "\\")

            def convert(*args):
                return subprocess.run(["wine", files, *args], capture_output=True,
                                      env=ENV, timeout=120)

            # In place the bytes are the file's own: CR LF stays as it is.
            result = convert("-r", "-b", "--exclude=quotes*", "auto", "utf", top)
            self.assertEqual(result.returncode, 0, result.stderr)
            for name in ("a.txt", "sub/b.txt"):
                with open(os.path.join(folder, name), "rb") as f:
                    self.assertEqual(f.read(), text.encode(), name)
                with open(os.path.join(folder, name + "~"), "rb") as f:
                    self.assertEqual(f.read(), originals[name.replace("/", "\\")], name)
            with open(os.path.join(folder, "log.txt"), "rb") as f:
                self.assertEqual(f.read(), b"INFO started\r\n" * 80000 + text.encode())
            result = convert("win", "koi", top + "\\quotes.txt")
            self.assertEqual(result.returncode, 1)
            self.assertIn(b"left: 2 characters koi lacks, first at line 1", result.stderr)
            with open(os.path.join(folder, "quotes.txt"), "rb") as f:
                self.assertEqual(f.read(), originals["quotes.txt"])
            self.assertEqual(sorted(os.listdir(folder)),
                             ["a.txt", "a.txt~", "log.txt", "log.txt~", "quotes.txt", "sub"])

    def test_usage_and_unknown_names(self):
        result = run(["koi"])
        self.assertEqual(result.returncode, 2)
        self.assertTrue(result.stdout.startswith(b"bytemorph v 1.1"))
        self.assertEqual(result.stdout.split(b"\r\n", 1)[1],
                         unix.USAGE.replace(b"\n", b"\r\n"))
        result = run(["koi", "KOI"])
        self.assertEqual((result.returncode, result.stdout, result.stderr),
                         (1, b"", unix.UNKNOWN.replace(b"\n", b"\r\n")))


if __name__ == "__main__":
    EXE = os.path.abspath(sys.argv.pop(1))
    unittest.main(verbosity=1)
