#!/usr/bin/python3
"""Archives written by the crash reporter's zip writer (through zip_tool),
read back by independent readers: Python's zipfile and Info-ZIP's unzip.

    zip_readers_test.py [--windows] TOOL_COMMAND...

With --windows the tool is a Windows program (run under Wine) and gets
Windows paths (drive Z: is the root of this machine's file system).
"""
import calendar
import os
import random
import shutil
import subprocess
import sys
import tempfile
import unittest
import zipfile
import zlib

TOOL = []
WINDOWS = False
UNZIP = shutil.which("unzip") or "/usr/bin/unzip"


def tool_path(path):
    return "Z:" + path.replace("/", "\\") if WINDOWS else path


def write_archive(archive, password, files):
    """Runs the tool; files are (path, entry name). Returns its report lines."""
    args = [tool_path(archive), password]
    for path, name in files:
        args += [tool_path(path), name]
    # TZ: entry times are local times; UTC makes them known to the test.
    env = dict(os.environ, TZ="UTC")
    done = subprocess.run(TOOL + args, capture_output=True, text=True, env=env, timeout=120)
    if done.returncode != 0:
        raise AssertionError(f"zip_tool failed ({done.returncode}): {done.stderr}")
    return [line.strip() for line in done.stdout.splitlines() if line.strip()]


def unzip(*args):
    return subprocess.run([UNZIP, *args], capture_output=True, text=True, timeout=120)


class ZipReaders(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.mkdtemp(prefix="zip-readers-")
        self.addCleanup(shutil.rmtree, self.dir)

    def file(self, name, content):
        path = os.path.join(self.dir, name)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as out:
            out.write(content)
        return path

    def report_files(self):
        text = b"".join(b"%05d Exception in module ZorvikCalc.exe at 0040%04X\r\n" % (i, i * 7 % 65536)
                        for i in range(4000))
        noise = random.Random(17).randbytes(300_000)
        return [(self.file("report.log", text), "report.log", text),
                (self.file("dump.bin", noise), "dump.bin", noise),
                (self.file("empty.txt", b""), "empty.txt", b"")]

    def assert_read_back(self, archive, password, expected):
        """Every entry's name, size, CRC and content, by both readers."""
        pwd = password.encode() if password else None
        with zipfile.ZipFile(archive) as zf:
            if not pwd:
                self.assertIsNone(zf.testzip(), "zipfile finds a damaged entry")
            infos = zf.infolist()
            self.assertEqual([i.filename for i in infos], [name for name, _ in expected])
            for info, (name, content) in zip(infos, expected):
                with self.subTest(entry=name):
                    self.assertEqual(info.file_size, len(content))
                    self.assertEqual(info.CRC, zlib.crc32(content))
                    self.assertEqual(info.compress_type, zipfile.ZIP_DEFLATED)
                    self.assertEqual(bool(info.flag_bits & 1), bool(password), "encryption flag")
                    self.assertEqual(zf.read(info, pwd=pwd), content)
        test_args = ["-t", "-P", password, archive] if password else ["-t", archive]
        tested = unzip(*test_args)
        self.assertEqual(tested.returncode, 0, tested.stdout + tested.stderr)
        if len(set(name for name, _ in expected)) == len(expected):
            out = os.path.join(self.dir, "unzipped")
            shutil.rmtree(out, ignore_errors=True)
            extract_args = ["-q", "-o", *(["-P", password] if password else []), archive, "-d", out]
            extracted = unzip(*extract_args)
            self.assertEqual(extracted.returncode, 0, extracted.stdout + extracted.stderr)
            for name, content in expected:
                with open(os.path.join(out, name), "rb") as got:
                    self.assertEqual(got.read(), content, name)

    def assert_refuses(self, archive, password):
        with zipfile.ZipFile(archive) as zf:
            for info in zf.infolist():
                with self.subTest(entry=info.filename, password=password):
                    with self.assertRaises((RuntimeError, zipfile.BadZipFile, zlib.error)):
                        zf.read(info, pwd=password.encode())
        tested = unzip("-t", "-P", password, archive)
        self.assertNotEqual(tested.returncode, 0, tested.stdout)

    def test_entries_read_back_with_and_without_password(self):
        files = self.report_files()
        for password in ["", "s3cret", "a longer password with spaces 0123456789"]:
            with self.subTest(password=password):
                archive = os.path.join(self.dir, "BugReport.zip")
                report = write_archive(archive, password, [(path, name) for path, name, _ in files])
                self.assertEqual(report, ["open", "added", "added", "added"])
                self.assert_read_back(archive, password, [(name, content) for _, name, content in files])
                if password:
                    self.assert_refuses(archive, password + "x")
                    with zipfile.ZipFile(archive) as zf:
                        with self.assertRaises(RuntimeError):  # encrypted: no password, no content
                            zf.read("report.log")

    def test_entry_time_is_the_files_last_write(self):
        path = self.file("dated.txt", b"dated")
        stamp = calendar.timegm((2021, 3, 4, 5, 6, 8, 0, 0, 0))
        os.utime(path, (stamp, stamp))
        archive = os.path.join(self.dir, "dated.zip")
        self.assertEqual(write_archive(archive, "", [(path, "dated.txt")]), ["open", "added"])
        with zipfile.ZipFile(archive) as zf:
            self.assertEqual(zf.getinfo("dated.txt").date_time, (2021, 3, 4, 5, 6, 8))

    def test_existing_archive_is_replaced(self):
        archive = os.path.join(self.dir, "BugReport.zip")
        old = self.file("old.txt", b"old contents")
        new = self.file("new.txt", b"new contents")
        for earlier in ["an archive", "not an archive"]:
            with self.subTest(earlier=earlier):
                if earlier == "an archive":
                    write_archive(archive, "", [(old, "old.txt")])
                else:
                    self.file("BugReport.zip", b"PK\x03\x04 not an archive " * 1000)
                self.assertEqual(write_archive(archive, "", [(new, "new.txt")]), ["open", "added"])
                self.assert_read_back(archive, "", [("new.txt", b"new contents")])

    def test_files_that_cannot_be_read_are_left_out(self):
        second = self.file("second.txt", b"the second file")
        for unreadable in ["missing.txt", "a folder"]:
            with self.subTest(first=unreadable):
                first = os.path.join(self.dir, unreadable)
                if unreadable == "a folder":
                    os.makedirs(first, exist_ok=True)
                archive = os.path.join(self.dir, "BugReport.zip")
                report = write_archive(archive, "pw", [(first, "first.txt"), (second, "second.txt")])
                self.assertEqual(report, ["open", "failed", "added"])
                self.assert_read_back(archive, "pw", [("second.txt", b"the second file")])

    def test_archive_without_files_is_an_empty_directory(self):
        missing = os.path.join(self.dir, "missing.txt")
        for files in [[], [(missing, "missing.txt")]]:
            with self.subTest(files=len(files)):
                archive = os.path.join(self.dir, "BugReport.zip")
                write_archive(archive, "", files)
                with open(archive, "rb") as zf:
                    # The end record alone: signature, no entries, directory at 0.
                    self.assertEqual(zf.read(), b"PK\x05\x06" + bytes(18))
                with zipfile.ZipFile(archive) as zf:
                    self.assertEqual(zf.namelist(), [])

    def test_same_bare_name_twice_keeps_both_in_order(self):
        first = self.file("one/same.txt", b"from folder one")
        second = self.file("two/same.txt", b"from folder two, longer")
        archive = os.path.join(self.dir, "BugReport.zip")
        write_archive(archive, "", [(first, "same.txt"), (second, "same.txt")])
        self.assert_read_back(archive, "", [("same.txt", b"from folder one"),
                                            ("same.txt", b"from folder two, longer")])

    def test_archive_in_missing_folder_fails_cleanly(self):
        archive = os.path.join(self.dir, "no such folder", "BugReport.zip")
        data = self.file("data.txt", b"data")
        self.assertEqual(write_archive(archive, "pw", [(data, "data.txt")]), ["not open", "failed"])
        self.assertFalse(os.path.exists(os.path.dirname(archive)))


if __name__ == "__main__":
    args = sys.argv[1:]
    if args and args[0] == "--windows":
        WINDOWS = True
        args = args[1:]
    if not args:
        sys.exit(__doc__)
    TOOL = args
    unittest.main(argv=[sys.argv[0], "-v"])
