#!/usr/bin/env python3
"""Checks language files for the Skelvane launcher, reading them exactly as the launcher does.

usage: check_language.py [--english FILE] [--source] LANGUAGE-FILE...

A file is checked as the launcher reads it: the game folder's language-XX.txt (UTF-16 LE), or the
source of one, data/language-XX.txt (UTF-8), as the build turns it into the game folder's file
(tools/make_language.py). The files in this checkout's data/ folder are sources; --source says so of
the files after it elsewhere. Nothing but Python is needed: no build, no Wine.

Faults (each with its line number where it has one):
  - no UTF-16 little-endian byte-order mark (the launcher then reads nothing), an odd byte count;
    in a source, a byte that is not UTF-8 (the build stops there);
  - a line that ends with CR or LF alone (the launcher needs CR LF and reads on into the next line);
  - a key the launcher uses that is missing, a key it does not know, a key given twice (the first
    one counts, so a later one is a mistake), a line that is no comment and has no "=";
  - a text with another number of \\n breaks than the English one, a text that is empty where the
    English one is not, a text whose ending (space, colon, full stop, "...") differs from the
    English one, a label shown right before a value (LABEL in the key list) without a closing space;
  - access keys: every label, check box and button text of a dialog needs one "&" before the letter
    that Alt presses with it (write "&&" for an "&" itself), except the buttons that Enter and Esc
    already press (Start, OK, Cancel); within one dialog (the settings dialog with both its pages)
    no two texts may share a letter; any other text (window captions, page tabs, messages, list
    entries) takes none.
The keys come from src/config/language_keys.h, the list the launcher is built from, the controls
from the dialog templates in src/res/dialogs.rc; the English texts from data/language-en.txt (or
the file --english names, UTF-16 or UTF-8).
Exit status: 0 when every file is fine, 1 when one has a fault, 2 on wrong use.
"""
import bisect
import difflib
import re
import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
from make_language import launcher_form  # noqa: E402

ROOT = Path(__file__).resolve().parent.parent
SOURCES = ROOT / "data"
KEY_LIST = ROOT / "src" / "config" / "language_keys.h"
DIALOGS = ROOT / "src" / "res" / "dialogs.rc"
# The templates shown together as one dialog, whose access keys must differ: the settings dialog
# with its two pages.
DIALOG_OF = {"IDD_PAGE_GRAPHICS": "IDD_SETTINGS", "IDD_PAGE_SOUND": "IDD_SETTINGS"}
DIALOG_NAMES = {"IDD_SETTINGS": "the settings dialog (both pages)", "IDD_INFO": "the warnings window",
                "IDD_VADVSET": "the advanced graphics dialog", "IDD_CRASH_CONSENT": "the crash report question"}
ENGLISH = ROOT / "data" / "language-en.txt"

SPACES = " \u00a0\u202f"  # blank, no-break space, narrow no-break space
ENDING_MARKS = ".:!?\u2026"


def launcher_keys():
    """Every key in the list's order, and the labels among them (texts shown right before a value)."""
    found = re.findall(r"\b(KEY|LABEL)\((T_[A-Z0-9_]+)\)", KEY_LIST.read_text(encoding="utf-8"))
    return [key for _, key in found], {key for kind, key in found if kind == "LABEL"}


def access_texts():
    """The texts that take an access key, {key: dialog}: every label, check box and button text of
    the dialog templates but the buttons Enter and Esc press (OK, Cancel, the default button); and
    the keys of those buttons."""
    takes, pressed = {}, set()
    templates = re.findall(r"^(IDD_\w+) DIALOGEX.*?^BEGIN$(.*?)^END$", DIALOGS.read_text(encoding="utf-8"), re.M | re.S)
    for name, body in templates:
        for key, ident, kind, style in re.findall(r'CONTROL "(T_\w+)", *([\w-]+), *"(\w+)", *([^,]*),', body):
            if kind == "Button" and (ident in ("IDOK", "IDCANCEL") or "BS_DEFPUSHBUTTON" in style):
                pressed.add(key)
            else:
                takes[key] = DIALOG_OF.get(name, name)
    return takes, pressed


def access_keys(text):
    """The characters marked with a single "&" ("&&" is an "&" itself), "" for one at the end."""
    return [m.group(1) for m in re.finditer(r"&(&|.?)", text, re.S) if m.group(1) != "&"]


def check_access_key(key, value, number, access, taken, report):
    takes, pressed = access
    marks = access_keys(value)
    if key not in takes:
        if marks:
            why = ("Enter or Esc already presses this button" if key in pressed else
                   "it is no label of a control, the & would show as it is")
            report(number, f"{key} must have no access key ('&'): {why}")
        return
    dialog = takes[key]
    if len(marks) != 1 or not marks[0].isalnum():
        what = "no access key" if not marks else "more than one '&'" if len(marks) > 1 else "an '&' before no letter"
        report(number, f"{key} has {what}: put one & right before the letter that Alt is to press with it, a "
                       f"letter no other text of {DIALOG_NAMES.get(dialog, dialog)} has (write && for an & itself)")
        return
    letter = marks[0].upper()
    other = taken.setdefault((dialog, letter), key)
    if other != key:
        report(number, f"{key} has the access key '{letter}', which {other} has too in "
                       f"{DIALOG_NAMES.get(dialog, dialog)}: choose another letter for one of them")


class Lines:
    """The text cut into lines as the launcher cuts it: at CR LF, skipping the CR and LF that
    follow. Numbers are those an editor shows (any CR LF, CR or LF ends a line there)."""

    def __init__(self, text):
        self.text = text
        self.starts = [m.end() for m in re.finditer(r"\r\n|\r|\n", text)]

    def number(self, offset):
        return bisect.bisect_right(self.starts, offset) + 1

    def __iter__(self):
        text, pos = self.text, 0
        while pos < len(text):
            end = text.find("\r\n", pos)
            following = end + 2
            if end < 0:
                end = following = len(text)
            while following < len(text) and text[following] in "\r\n":
                following += 1
            yield pos, text[pos:end]
            pos = following


def entries(lines, report):
    """(key, value, line number) of every entry, in file order, with the launcher's rules; lines
    the launcher ignores are reported."""
    found = []
    for offset, line in lines:
        number = lines.number(offset)
        lone = re.search(r"[\r\n]", line)
        if lone:
            kind = "CR" if line[lone.start()] == "\r" else "LF"
            report(lines.number(offset + lone.start()),
                   f"the line ends with {kind} alone: lines must end with CR LF, the launcher reads "
                   "the next line as part of this one")
        if line.lstrip(" ").startswith("#"):
            continue
        if "=" not in line:
            if line.strip():
                report(number, "no '=' in this line: the launcher ignores it (a comment starts with #)")
            continue
        key, value = line.split("=", 1)
        if key.strip(" "):
            key = key.strip(" ")
        found.append((key, value.replace("\\n", "\n"), number))
    return found


def ending(text):
    """The part of a text's end that must match the English one: its closing marks and whether a
    space follows them ("..." and the ellipsis character count as the same)."""
    body = text.rstrip(SPACES)
    marks = len(body) - len(body.rstrip(ENDING_MARKS))
    return body[len(body) - marks:].replace("\u2026", "..."), body != text


def describe(end):
    marks, space = end
    shown = marks + (" " if space else "")
    return f"'{shown}'" if shown else "no mark or space"


def read_english(path):
    data = path.read_bytes()
    text = data[2:].decode("utf-16-le") if data[:2] == b"\xff\xfe" else data.decode("utf-8-sig")
    text = text.replace("\r\n", "\n").replace("\n", "\r\n")
    english = {}
    for key, value, _ in entries(Lines(text), lambda number, message: None):
        english.setdefault(key, value)
    return english


def is_source(path):
    """Whether the file is one of this checkout's sources in data/."""
    return Path(path).resolve().parent == SOURCES


def built_from_source(data, report):
    """The game folder's file the build makes from a source's bytes; None, with the fault reported,
    when the build cannot make one."""
    if data[:2] in (b"\xff\xfe", b"\xfe\xff"):
        report(0, "it is saved as UTF-16: the build reads the files in data/ as UTF-8 (without or with "
                  "byte-order mark) and makes the game folder's UTF-16 file from them")
        return None
    try:
        return launcher_form(data)
    except UnicodeDecodeError:
        at = 0
        try:
            data.decode("utf-8")
        except UnicodeDecodeError as e:  # the plain codec counts from the file's first byte
            at = e.start
        report(data[:at].count(b"\n") + 1, f"byte 0x{data[at]:02X} is not UTF-8: save the file as UTF-8, "
                                            "the build cannot read it")
        return None


def check(path, keys, labels, english, access=None, source=None):
    access = access or access_texts()
    taken = {}  # (dialog, letter): the first key with that access key
    found = []  # (line number, message); 0 for the whole file, None after every line

    def report(number, message):
        found.append((number, message))

    def faults():
        found.sort(key=lambda f: float("inf") if f[0] is None else f[0])
        return [f"{path}:{n}: {message}" if n else f"{path}: {message}" for n, message in found]

    data = Path(path).read_bytes()
    if source if source is not None else is_source(path):
        data = built_from_source(data, report)
        if data is None:
            return faults()
    if data[:2] != b"\xff\xfe":
        if data[:3] == b"\xef\xbb\xbf":
            why = "it is saved as UTF-8"
        elif data[:2] == b"\xfe\xff":
            why = "it is saved as UTF-16 big-endian"
        else:
            why = "it has no byte-order mark"
        report(0, f"{why}: the launcher reads nothing from it. Save it as UTF-16 little-endian "
                  "with byte-order mark (\"Unicode\" in Notepad)")
        return faults()
    if len(data) % 2:
        report(0, "odd number of bytes: the last byte is not part of any character")
    text = data[2:len(data) - len(data) % 2].decode("utf-16-le", errors="surrogatepass")
    if not text:
        report(0, "the file holds nothing but the byte-order mark")

    known = set(keys)
    first = {}
    for key, value, number in entries(Lines(text), report):
        if key in first:
            report(number, f"{key} again (first on line {first[key]}): the launcher uses the first "
                           "and ignores this one")
            continue
        first[key] = number
        if key not in known:
            near = difflib.get_close_matches(key, keys, n=1)
            hint = f" (meant {near[0]}?)" if near else ""
            report(number, f"unknown key {key!r}: the launcher never shows it{hint}")
            continue
        model = english.get(key)
        if model is None:
            continue
        if not value.strip(SPACES) and model.strip(SPACES):
            report(number, f"{key} is empty; the English text is not")
            continue
        if value.count("\n") != model.count("\n"):
            report(number, f"{key} has {value.count(chr(10))} \\n breaks, the English text "
                           f"{model.count(chr(10))}")
        check_access_key(key, value, number, access, taken, report)
        if key in labels and not ending(value)[1]:
            report(number, f"{key} stands right before a value and must end with a space")
        elif ending(value) != ending(model):
            report(number, f"{key} ends with {describe(ending(value))}; the English text ends with "
                           f"{describe(ending(model))}")
    missing = [key for key in keys if key not in first]
    if missing:
        shown = ", ".join(missing[:8]) + (f" and {len(missing) - 8} more" if len(missing) > 8 else "")
        report(None, f"missing: {shown} (the launcher would show the key itself)")
    return faults()


def main(argv):
    args = argv[1:]
    english_path = ENGLISH
    if len(args) >= 2 and args[0] == "--english":
        english_path = Path(args[1])
        args = args[2:]
    sources = set()
    if "--source" in args:
        at = args.index("--source")
        args = args[:at] + args[at + 1:]
        sources = set(args[at:])
    if not args or any(a.startswith("-") for a in args):
        print(__doc__.strip().splitlines()[2], file=sys.stderr)
        return 2
    try:
        keys, labels = launcher_keys()
        english = read_english(english_path)
    except OSError as e:
        print(f"check_language: {e}", file=sys.stderr)
        return 2
    status = 0
    for path in args:
        try:
            faults = check(path, keys, labels, english, source=True if path in sources else None)
        except OSError as e:
            faults = [f"{path}: cannot be read ({e.strerror})"]
        for fault in faults:
            print(fault)
        if faults:
            status = 1
            print(f"{path}: {len(faults)} fault{'s' if len(faults) > 1 else ''}")
        else:
            print(f"{path}: fine, all {len(keys)} keys")
    return status


if __name__ == "__main__":
    sys.exit(main(sys.argv))
