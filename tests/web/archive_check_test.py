#!/usr/bin/env python3
"""The archive checker passes a page fit for game hosts and refuses one that
breaks each of their limits, saying which.

    python3 tests/web/archive_check_test.py scripts/check-web-archive
"""
import os
import subprocess
import sys
import tempfile
import unittest
import zipfile

CHECKER = os.path.abspath(sys.argv.pop(1)) if len(sys.argv) > 1 else "scripts/check-web-archive"
PAGE = ["index.html", "page.js", "kelp-garden.js", "kelp-garden.wasm", "lang/pt_br/labels.png"]


class ArchiveCheck(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.TemporaryDirectory()
        self.archive = os.path.join(self.folder.name, "page.zip")

    def tearDown(self):
        self.folder.cleanup()

    def make(self, names, large=None):
        with zipfile.ZipFile(self.archive, "w", zipfile.ZIP_DEFLATED) as archive:
            for name in names:
                archive.writestr(name, b"x")
            if large:
                with archive.open(large, "w", force_zip64=True) as entry:
                    block = bytes(1 << 20)
                    for _ in range(200 * 1000 * 1000 // len(block) + 1):
                        entry.write(block)

    def check(self):
        return subprocess.run([CHECKER, self.archive], capture_output=True, text=True)

    def assertRefused(self, saying):
        result = self.check()
        self.assertEqual(result.returncode, 1, result.stderr)
        self.assertIn(saying, result.stderr)

    def test_the_page_passes(self):
        self.make(PAGE)
        result = self.check()
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertEqual(result.stderr, "")

    def test_index_html_must_be_at_the_root(self):
        self.make(["kelp-garden/" + name for name in PAGE])
        self.assertRefused("no index.html at the root")

    def test_at_most_a_thousand_files(self):
        self.make(PAGE + [f"more/{n}.png" for n in range(996)])
        self.assertRefused("1001 files, more than 1000")
        self.make(PAGE + [f"more/{n}.png" for n in range(995)])
        self.assertEqual(self.check().returncode, 0)

    def test_paths_of_at_most_240_characters(self):
        self.make(PAGE + ["a/" * 119 + "bc"])
        self.assertEqual(self.check().returncode, 0, "240 characters")
        self.make(PAGE + ["a/" * 119 + "bcd"])
        self.assertRefused("a path of 241 characters")

    def test_every_file_under_200_mb(self):
        self.make(PAGE, large="big.wasm")
        self.assertRefused("big.wasm: 200278016 bytes, not under 200000000")

    def test_names_are_lower_case_and_safe(self):
        for name, part in [("lang/pt_BR/labels.png", "pt_BR"), ("My Page.js", "My Page.js"), ("ça.png", "ça.png")]:
            with self.subTest(name=name):
                self.make(PAGE + [name])
                self.assertRefused(f"'{part}' is not a lower-case safe name")

    def test_paths_stay_inside(self):
        self.make(PAGE + ["../escape.js"])
        self.assertRefused("../escape.js: a path outside the archive")

    def test_what_is_no_zip_is_refused(self):
        with open(self.archive, "wb") as file:
            file.write(b"not a zip")
        self.assertRefused("not a zip archive")


if __name__ == "__main__":
    unittest.main(verbosity=1)
