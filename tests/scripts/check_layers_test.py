#!/usr/bin/env python3
"""The layer check on small trees: each case is one include (or folder) and
whether the check lets it pass; every refusal names the file, the line and
the rule."""
import os
import subprocess
import sys
import tempfile
import unittest

CHECKER = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "scripts", "check_layers.py")

TABLE = """# a small table like the project's
runtime:          rtl | gui
lib/base:         util | options
lib/report:       log composer
lib/top:          .
tools app:        *
"""

FILES = ["runtime/rtl/format.h", "runtime/gui/form.h", "lib/base/util/text.h", "lib/base/options/options.h",
         "lib/report/log/log.h", "lib/report/composer/report.h", "lib/top/start.h", "tools/lab/lab.h",
         "tools/info/info.h", "app/calc.h"]

# (including file, include text, passes, what the refusal says)
CASES = [
    ("lib/base/options/options.cpp", "lib/base/util/text.h", True, None),
    ("lib/report/log/log.cpp", "lib/base/options/options.h", True, None),
    ("lib/top/start.cpp", "lib/report/composer/report.h", True, None),
    ("app/calc.cpp", "lib/top/start.h", True, None),
    ("lib/base/util/text.cpp", "rtl/format.h", True, None),  # through the runtime include folder
    ("runtime/gui/form.cpp", "rtl/format.h", True, None),
    ("lib/report/log/log.cpp", "log.h", True, None),  # beside it
    ("lib/report/log/log.cpp", "generated_by_the_build.inc", True, None),
    ("lib/base/util/text.cpp", "lib/base/options/options.h", False, "above lib/base/util"),
    ("lib/base/options/options.cpp", "lib/report/log/log.h", False, "above lib/base/options"),
    ("runtime/rtl/format.cpp", "gui/form.h", False, "above runtime/rtl"),
    ("lib/report/log/log.cpp", "lib/report/composer/report.h", False, "a peer of lib/report/log"),
    ("tools/lab/lab.cpp", "tools/info/info.h", False, "a peer of tools/lab"),
    ("tools/lab/lab.cpp", "app/calc.h", False, "a peer of tools/lab"),
    ("lib/top/start.cpp", "tools/lab/lab.h", False, "above lib/top"),
]


class CheckLayers(unittest.TestCase):
    def run_check(self, extra_files):
        with tempfile.TemporaryDirectory() as root:
            with open(os.path.join(root, "layers.txt"), "w") as table:
                table.write(TABLE)
            for path, text in [(path, "") for path in FILES] + extra_files:
                os.makedirs(os.path.join(root, os.path.dirname(path)), exist_ok=True)
                with open(os.path.join(root, path), "w") as source:
                    source.write(text)
            return subprocess.run([sys.executable, CHECKER, "--root", root], capture_output=True, text=True)

    def test_each_include(self):
        for including, include, passes, refusal in CASES:
            with self.subTest(including=including, include=include):
                result = self.run_check([(including, f'// one include\n#include "{include}"\n')])
                self.assertEqual(result.returncode, 0 if passes else 1, result.stderr)
                if refusal:
                    self.assertIn(f"{including}:2: includes ", result.stderr)
                    self.assertIn(refusal, result.stderr)

    def test_a_folder_the_table_does_not_name_fails(self):
        result = self.run_check([("lib/unlisted/thing.h", "")])
        self.assertEqual(result.returncode, 1)
        self.assertIn("lib/unlisted: a source folder that layers.txt does not name", result.stderr)

    def test_a_broken_table_is_reported(self):
        with tempfile.TemporaryDirectory() as root:
            with open(os.path.join(root, "layers.txt"), "w") as table:
                table.write("runtime rtl gui\n")
            result = subprocess.run([sys.executable, CHECKER, "--root", root], capture_output=True, text=True)
            self.assertEqual(result.returncode, 2)
            self.assertIn("layers.txt:1: no ':'", result.stderr)

    def test_the_project_passes(self):
        result = subprocess.run([sys.executable, CHECKER], capture_output=True, text=True)
        self.assertEqual(result.returncode, 0, result.stderr)


if __name__ == "__main__":
    unittest.main()
