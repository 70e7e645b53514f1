"""Runs the Windows build under Wine, through files and pipes.

Usage: windows_end_to_end.py PATH_TO_BYTEMORPH_EXE
The standard streams are in text mode there: CR LF is read as a newline,
each newline is written as CR LF, and Ctrl-Z ends the input.
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
                result = run(["koi", "win"], data, through)
                self.assertEqual(result.returncode, 0, (through, data[:20]))
                self.assertEqual(result.stdout,
                                 windows_expected("koi", "win", data),
                                 (through, data[:20]))

    def test_every_pair(self):
        text = unix.sample_text().replace("\n", "\r\n")
        for source in unix.NAMES:
            data = text.encode(unix.CODECS[source], errors="ignore")
            for target in unix.NAMES:
                result = run([source, target], data, "file")
                self.assertEqual(result.stdout,
                                 windows_expected(source, target, data),
                                 f"{source}->{target}")

    def test_kernels_agree(self):
        data = (unix.sample_text() * 50).encode("koi8_r", errors="ignore")
        want = windows_expected("koi", "win", data)
        for kernel in ("avx512", "avx2", "scalar"):
            result = run(["koi", "win"], data, "file",
                         env=dict(ENV, BYTEMORPH_KERNEL=kernel))
            if result.returncode == 1 and b"not supported" in result.stderr:
                continue
            self.assertEqual(result.stdout, want, kernel)

    def test_usage_and_unknown_names(self):
        result = run(["koi"])
        self.assertEqual(result.returncode, 2)
        self.assertTrue(result.stdout.startswith(b"bytemorph v 1.0"))
        self.assertEqual(result.stdout.split(b"\r\n", 1)[1],
                         unix.USAGE.replace(b"\n", b"\r\n"))
        result = run(["koi", "KOI"])
        self.assertEqual((result.returncode, result.stdout, result.stderr),
                         (1, b"", unix.UNKNOWN.replace(b"\n", b"\r\n")))


if __name__ == "__main__":
    EXE = os.path.abspath(sys.argv.pop(1))
    unittest.main(verbosity=1)
