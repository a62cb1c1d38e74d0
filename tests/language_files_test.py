#!/usr/bin/env python3
"""The language files of a game folder pass the translators' checker, the checker finds the faults
it promises, and the launcher's code and dialog templates use exactly the keys of the key list.

usage: language_files_test.py GAME-FOLDER
"""
import re
import subprocess
import sys
import tempfile
import unittest
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
CHECKER = ROOT / "tools" / "check_language.py"
sys.path.insert(0, str(CHECKER.parent))
import check_language  # noqa: E402

GAME_FOLDER = None
KEYS, LABELS = check_language.launcher_keys()
ENGLISH = check_language.read_english(check_language.ENGLISH)


def run_checker(*files):
    return subprocess.run([sys.executable, str(CHECKER), *map(str, files)], capture_output=True, text=True)


class ShippedFiles(unittest.TestCase):
    def test_every_shipped_language_file_passes(self):
        shipped = sorted(GAME_FOLDER.glob("language*.txt"))
        sources = list((ROOT / "data").glob("language-*.txt"))
        self.assertEqual(len(shipped), len(sources), [p.name for p in shipped])
        result = run_checker(*shipped)
        self.assertEqual(result.returncode, 0, result.stdout + result.stderr)
        # What a translator checks in a checkout, before any build.
        result = run_checker(*sources)
        self.assertEqual(result.returncode, 0, result.stdout + result.stderr)


class CheckerFindsFaults(unittest.TestCase):
    """Each case spoils a good German file and names the line the checker must point at."""

    GOOD = (ROOT / "data" / "language-de.txt").read_text(encoding="utf-8")

    def spoil(self, old, new):
        self.assertIn(old, self.GOOD)
        return self.GOOD.replace(old, new, 1)

    def check(self, path, source=False):
        return check_language.check(str(path), KEYS, LABELS, ENGLISH, source=source)

    def line_of(self, text, start):
        return text[:text.index(start)].count("\n") + 1

    def test_faults_of_the_text(self):
        cases = [
            ("T_VIDEOADAPTER=Grafikkarte: \n", "T_VIDEOADAPTER=Grafikkarte:\n", "T_VIDEOADAPTER=", "end with a space"),
            ("T_VADV=&Erweitert...", "T_VADV=&Erweitert", "T_VADV=", "ends with no mark or space"),
            ("T_OK=OK\n", "T_OK=OK\nT_OK=Gut\n", "T_OK=Gut", "T_OK again (first on line"),
            ("T_GLOW=&Leuchteffekt", "T_GLOWW=&Leuchteffekt", "T_GLOWW", "unknown key 'T_GLOWW'"),
            ("T_VSYNC=&Vertikale Synchronisation (VSync)", "T_VSYNC=", "T_VSYNC=", "T_VSYNC is empty"),
            ("werden.\\nBitte", "werden. Bitte", "T_INIT_ERROR_MSG", "has 0 \\n breaks, the English text 1"),
            ("T_START=Spielen", "Spielen", "Spielen", "no '='"),
            ("T_CANCEL=Abbrechen\n", "", None, "missing: T_CANCEL"),
            # Access keys: one in each control's text, none shared within a dialog (both pages of
            # the settings dialog count), none on the buttons Enter and Esc press or in other texts.
            ("T_SNDFREQ=Abtast&rate", "T_SNDFREQ=&Abtastrate", "T_SNDFREQ=", "'A', which T_VRESOLUTION has too"),
            ("T_TRIPLEBUF=&Dreifach", "T_TRIPLEBUF=Dreifach", "T_TRIPLEBUF=", "T_TRIPLEBUF has no access key"),
            ("T_START=Spielen", "T_START=&Spielen", "T_START=", "T_START must have no access key"),
            ("T_VIDEO=Grafik", "T_VIDEO=&Grafik", "T_VIDEO=", "no label of a control"),
        ]
        with tempfile.TemporaryDirectory() as folder:
            # Each in the game folder's file and in its source, as a translator edits it in data/.
            for old, new, at, expected in cases:
                for source in (False, True):
                    with self.subTest(expected, source=source):
                        text = self.spoil(old, new)
                        path = Path(folder, "language-xx.txt")
                        path.write_bytes(text.encode("utf-8") if source else
                                         b"\xff\xfe" + text.replace("\n", "\r\n").encode("utf-16-le"))
                        where = f"{path}:{self.line_of(text, at)}: " if at else f"{path}: "
                        self.assertIn(expected, "\n".join(f for f in self.check(path, source) if f.startswith(where)))
            self.assertEqual(run_checker("--source", path).returncode, 1, "a fault fails the check")

    def test_faults_of_the_file_form(self):
        text = self.GOOD.replace("\n", "\r\n")
        cases = [
            (text.encode("utf-8-sig"), "saved as UTF-8"),
            (b"\xfe\xff" + text.encode("utf-16-be"), "UTF-16 big-endian"),
            (text.encode("utf-16-le"), "no byte-order mark"),
            (b"\xff\xfe" + self.GOOD.encode("utf-16-le"), ":1: the line ends with LF alone"),
            (b"\xff\xfe" + text.replace("\r\nT_OK=", "\rT_OK=").encode("utf-16-le"), "ends with CR alone"),
        ]
        # A source in data/ is UTF-8, its lines end as the editor likes; the build makes the rest.
        sources = [
            (text.encode("utf-16"), "saved as UTF-16"),
            (self.GOOD.encode("utf-8").replace(b"T_OK=OK", b"T_OK=\xd6K"), f":{self.line_of(self.GOOD, 'T_OK=')}: byte 0xD6 is not UTF-8"),
            (text.replace("\r\nT_OK=", "\rT_OK=").encode("utf-8"), "ends with CR alone"),
            (text.encode("utf-8-sig"), None),
        ]
        with tempfile.TemporaryDirectory() as folder:
            for data, expected, source in [c + (False,) for c in cases] + [c + (True,) for c in sources]:
                with self.subTest(expected, source=source):
                    path = Path(folder, "language-xx.txt")
                    path.write_bytes(data)
                    faults = "\n".join(self.check(path, source))
                    self.assertIn(expected, faults) if expected else self.assertEqual(faults, "")

    def test_usage(self):
        result = run_checker()
        self.assertEqual(result.returncode, 2)
        self.assertIn("usage: check_language.py", result.stderr)


class KeyList(unittest.TestCase):
    def test_the_program_uses_exactly_the_listed_keys(self):
        listed = KEYS
        self.assertEqual(len(listed), len(set(listed)), "a key listed twice")
        written, named = set(), set()
        for path in (ROOT / "src").rglob("*"):
            if path.suffix not in (".cpp", ".h", ".rc") or path == check_language.KEY_LIST:
                continue
            source = path.read_text(encoding="utf-8", errors="replace")
            written |= set(re.findall(r'"(T_[A-Z0-9_]+)"', source))
            named |= set(re.findall(r"\bw?key::(T_[A-Z0-9_]+)", source))
        self.assertEqual(written - set(listed), set(), "keys written in the code or templates but not listed")
        self.assertEqual(set(listed) - written - named, set(), "listed keys the launcher never looks up")


if __name__ == "__main__":
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    GAME_FOLDER = Path(sys.argv.pop())
    unittest.main(verbosity=2)
