"""Hostile input, end to end: broken registry values, odd patch.ini files,
strange, huge and vanishing scripts, folders that cannot be written.

One table. Each row builds its own game folder, starts KeshBat, acts as a
user would and checks what the user sees: the boxes, the list. Every
script the row may run appends its own tag to a log, so after each row the
log must hold exactly the tags of the scripts the user picked (no decoy,
no head of a two-part script, no stale temporary script). After each row
the dialog must still answer and close cleanly, and no "__a.bat" may be
left behind other than one the row planted and the tool could not touch.
"""

import os
import shutil
import subprocess
import sys
import time
import unittest
from dataclasses import dataclass, field

from keshbat_e2e import MESSAGES, KeshBatTestCase

REGISTRY = MESSAGES["MsgRegistryProblem"]
NO_BAT = MESSAGES["MsgNoBatFiles"]
NO_SELECTION = MESSAGES["MsgNoSelection"]
TOO_LONG = MESSAGES["MsgPathTooLong"]
UNREACHABLE = MESSAGES["MsgFolderUnreachable"]
UNSAFE_NAME = MESSAGES["MsgUnsafeName"]
TEMP_FAILED = MESSAGES["MsgTempScriptFailed"]
DISCLAIMER = MESSAGES["DisclaimerText"]

MB = 1024 * 1024
TEMP = "__a.bat"


def ansi_name(data):
    """The Linux name under which Wine shows these code page 1252 bytes.
    The five bytes 1252 leaves undefined map to U+0081 and the like, as
    Windows maps them too."""
    return "".join(bytes([b]).decode("cp1252", errors="ignore") or chr(b) for b in data)


def immutable(path, on):
    """chattr +i / -i: root ignores permission bits and Wine's read-only
    attribute on folders, but not the immutable flag."""
    return subprocess.run(["chattr", "+i" if on else "-i", path],
                          capture_output=True).returncode == 0


# ---------------------------------------------------------------- one row's world

class Bed:
    r"""A row's folders: C:\t\<test>\<row>\ holding the start-up folder
    `start`, the installation `install` with its patch folder `patch`
    (install\KeshPatch), and the log `ran.log` that scripts append to."""

    def __init__(self, test, row):
        self.test = test
        self.sandbox = test.sandbox
        self.root = test.root + "\\" + row
        self.start = self.root + "\\start"
        self.install = self.root + "\\game"
        self.patch = self.install + "\\KeshPatch"
        self.log = self.root + "\\ran.log"
        self.leftovers = {}      # host path -> bytes of an "__a.bat" the row planted
        self.cleanups = []
        self.sandbox.make_dir(self.start)

    def host(self, win):
        return self.sandbox.host_path(win)

    def write(self, win, data):
        self.sandbox.write_file(win, data)

    def rec(self, tag):
        """A script line that appends `tag` to the log."""
        return b'@>>"' + self.log.encode() + b'" echo ' + tag.encode() + b"\r\n"

    def two_part(self, tag, head="head"):
        """A head that must never run, the marker, and a tail that runs."""
        return self.rec(head) + b":cont\r\n" + self.rec(tag)

    def game(self, files=None, value=None, game="XWA", folder=None, **kw):
        """Installs a game whose "Install Path" is `value` (default: the
        installation folder) and writes `files` into `folder` (default: the
        patch folder). Returns that folder."""
        self.sandbox.set_install_path(game, self.install if value is None else value, **kw)
        folder = folder or self.patch
        self.sandbox.make_dir(folder)
        for name, data in (files or {}).items():
            self.write(folder + "\\" + name, data)
        return folder

    def plant_leftover(self, folder, data):
        self.write(folder + "\\" + TEMP, data)
        self.leftovers[self.host(folder + "\\" + TEMP)] = data

    def make_immutable(self, win):
        path = self.host(win)
        if not immutable(path, True):
            self.test.skipTest("chattr +i does not work here")
        self.cleanups.append(lambda: immutable(path, False))

    def ran(self):
        try:
            return self.sandbox.read_file(self.log).decode("cp1252").split()
        except FileNotFoundError:
            return []


def standard_game(bed, **kw):
    r"""root.bat in the installation folder, kp.bat in \KeshPatch."""
    bed.write(bed.install + "\\root.bat", bed.rec("root"))
    return bed.game({"kp.bat": bed.rec("kp")}, **kw)


def write_big_script(path, head, marker_and_tail, filler_first):
    """A script of about 100 MB: REM lines before the marker (a huge head)
    or after a tail that leaves with "exit /b" (a huge tail), so that the
    command interpreter never reads the filler."""
    line = b"rem " + b"x" * 90 + b"\r\n"
    filler = line * (100 * MB // len(line))
    with open(path, "wb") as f:
        if filler_first:
            f.write(head + filler + marker_and_tail)
        else:
            f.write(head + marker_and_tail + b"exit /b\r\n" + filler)


# ---------------------------------------------------------------- the steps a row takes

def press(game="XWA", settle=10.0, timed=None):
    def step(t, bed, app):
        started = time.monotonic()
        t.assertTrue(app.press_game(game, settle), "the dialog did not settle after the press")
        t.note(timed, started)
    return step


def run(settle=10.0, timed=None):
    def step(t, bed, app):
        started = time.monotonic()
        t.assertTrue(app.run(settle), "the dialog did not settle after Run")
        t.note(timed, started)
    return step


def select(name):
    def step(t, bed, app):
        t.assertGreaterEqual(app.select(name), 0)
    return step


def run_script(name):
    """Selects `name` and presses Run; no box may follow."""
    def step(t, bed, app):
        select(name)(t, bed, app)
        run()(t, bed, app)
        app.expect_no_message_box(wait=0.3)
    return step


def box(text, caption="Error", buttons=("OK",), answer="OK", settle=10.0, timed=None):
    def step(t, bed, app):
        shown = app.message_box()
        expected = text(bed) if callable(text) else text
        t.assertEqual((shown.caption, shown.text, shown.buttons, shown.has_icon),
                      (caption, expected, list(buttons), False))
        started = time.monotonic()
        t.assertTrue(app.answer(answer, settle), "the dialog did not settle after " + answer)
        t.note(timed, started)
    return step


def disclaimer(answer="Yes", settle=10.0, timed=None):
    return box(DISCLAIMER, caption="", buttons=("Yes", "No"), answer=answer, settle=settle,
               timed=timed)


def items(expected):
    """The list holds exactly these names, in this order."""
    def step(t, bed, app):
        shown = app.list_items()
        t.assertEqual(shown, expected(bed) if callable(expected) else expected)
    return step


def items_in_any_order(expected):
    """The list holds exactly these names; their order is the locale's."""
    def step(t, bed, app):
        t.assertEqual(sorted(app.list_items()), sorted(expected))
    return step


def sampled(count, picks):
    """For a list too long to read whole (two cross-process calls an entry,
    minutes for 10,000 on a busy machine): it has exactly `count` entries,
    and Run on the entries at `picks` runs the scripts of those ranks."""
    def step(t, bed, app):
        t.assertEqual(app.select(count - 1), count - 1)
        t.assertNotEqual(app.select(count), count, "more entries than scripts")
        for index in picks:
            t.assertEqual(app.select(index), index)
            run()(t, bed, app)
            app.expect_no_message_box(wait=0.3)
    return step


def no_box(t, bed, app):
    app.expect_no_message_box(wait=0.5)


def act(what):
    """Something that happens outside the tool between two steps."""
    def step(t, bed, app):
        what(bed, app)
    return step


@dataclass
class Row:
    name: str
    setup: object                     # setup(bed): folders, scripts, registry
    steps: list
    ran: list = field(default_factory=list)   # the tags that must be in the log, in order


# ---------------------------------------------------------------- the rows

HIGH_A = bytes(range(0x80, 0xC0))
HIGH_B = bytes(range(0xC0, 0x100))


def setup_patch_ini_folder(bed):
    standard_game(bed)
    bed.sandbox.make_dir(bed.start + "\\patch.ini")


def setup_patch_ini(data, folder=None):
    def setup(bed):
        standard_game(bed)
        if folder:
            bed.game({"other.bat": bed.rec("other")}, folder=bed.install + folder)
        bed.write(bed.start + "\\patch.ini", data)
    return setup


def setup_high_bytes(bed):
    standard_game(bed)
    bed.write(bed.install + "\\" + ansi_name(HIGH_A) + "\\" + ansi_name(HIGH_B) + "\\hi.bat",
              bed.rec("high"))
    bed.write(bed.start + "\\patch.ini", b"\r\n \\" + HIGH_A + b"\\" + HIGH_B + b"\r\nrest")


def grow_patch_ini(bed, app):
    bed.write(bed.start + "\\patch.ini", b"\\" + b"w" * MB + b"\r\n")


def setup_registry(value, type="REG_SZ", patch_ini=None):
    """The game's value as given; with patch_ini (bed -> bytes) for values
    that only name a drive."""
    def setup(bed):
        standard_game(bed, value=value(bed) if callable(value) else value, type=type)
        if patch_ini:
            bed.write(bed.start + "\\patch.ini", patch_ini(bed))
    return setup


def word_after_drive(bed):
    return bed.patch[2:].encode()


def padded(length):
    """An installation path of exactly `length` characters."""
    def value(bed):
        return (bed.root + "\\" + "p" * 300)[:length]
    return value


def setup_tie_then(xwa_value):
    """TIE Fighter installed and listed first, so that the list shows what
    a later failed XWA press does to it."""
    def setup(bed):
        tie = bed.root + "\\tie"
        bed.game({"tie.bat": bed.rec("tie")}, value=tie, game="TIE", folder=tie + "\\KeshPatch")
        bed.sandbox.set_install_path("XWA", xwa_value(bed))
    return setup


def long_folder(length):
    """The installation path whose patch folder (with \\KeshPatch) has
    exactly `length` characters."""
    def value(bed):
        return bed.root + "\\" + "p" * (length - len(bed.root) - 1 - len("\\KeshPatch"))
    return value


def setup_long_folder(length):
    def setup(bed):
        install = long_folder(length)(bed)
        bed.game({"deep.bat": bed.rec("deep")}, value=install, folder=install + "\\KeshPatch")
    return setup


MANY = 10000
MANY_PICKS = [0, 1, 4321, 5000, MANY - 2, MANY - 1]


def setup_many(bed):
    folder = bed.host(bed.game())
    for rank in range(MANY):
        with open(os.path.join(folder, "s%05d.bat" % rank), "wb") as f:
            f.write(bed.rec("s%05d" % rank))


LONG_NAME = "n" * 251 + ".bat"
NON_ASCII = ["caf\u00e9.bat", "\u20acuro \u00df.bat"]
SPECIAL = ["a&b.bat", "(x).bat", "a^b.bat", "hey!.bat", "a & b.bat", "x)&(y.bat", "1^&2.bat"]
UNWINDOWS = ['a"b.bat', "a*b.bat", "a?b.bat", "a:b.bat", "a|b.bat", "a<b.bat"]
QUIET_DEVICES = ["nul.bat", "con.bat", "prn.bat", "lpt1.bat"]
SERIAL_DEVICES = ["aux.bat", "com1.bat"]
DECOYS = ["a.bat", "b.bat", "x.bat", "y.bat", "hey.bat", "1.bat", "2.bat", "caf.bat"]


def setup_named(names):
    def setup(bed):
        files = {name: bed.rec("picked%d" % i) for i, name in enumerate(names)}
        files.update({name: bed.rec("decoy-" + name) for name in DECOYS})
        bed.game(files)
    return setup


def setup_unwindows_names(bed):
    """Names only a Linux folder can hold. Wine lists them; none of them
    can be opened, and a wildcard in one must not pick up another script."""
    bed.game({"a.bat": bed.rec("decoy-a"), "b.bat": bed.rec("decoy-b"),
              "axb.bat": bed.rec("decoy-axb")})
    for name in UNWINDOWS:
        bed.write(bed.patch + "\\" + name, bed.rec("odd"))
    bed.sandbox.make_dir(bed.patch + "\\sub.bat")


def setup_devices(names):
    """Scripts whose names Windows keeps for devices: a Linux folder can
    hold them, and Wine lists them."""
    def setup(bed):
        bed.game({name: bed.rec("device-" + name) for name in names})
    return setup


def setup_percent(bed):
    bed.game({"50%off.bat": bed.rec("pct"), "%PATH%.bat": bed.rec("pct-path"),
              "100%tail.bat": bed.two_part("pct-tail"),
              "50.bat": bed.rec("decoy-50"), "off.bat": bed.rec("decoy-off")})


def setup_script(data, name="s.bat"):
    def setup(bed):
        bed.game({name: data(bed) if callable(data) else data, "other.bat": bed.rec("other")})
    return setup


def remove(win):
    def what(bed, app):
        bed.sandbox.remove(win(bed))
    return what


def setup_big(filler_first):
    def setup(bed):
        bed.game({})
        write_big_script(bed.host(bed.patch + "\\big.bat"), bed.rec("big-head"),
                         b":cont\r\n" + bed.rec("big-tail"), filler_first)
    return setup


def setup_read_only_folder(bed):
    bed.game({"two.bat": bed.two_part("two"), "one.bat": bed.rec("one")})
    bed.make_immutable(bed.patch)


def setup_leftover(how):
    """A stale "__a.bat" that must never run, made unwritable `how`:
    "immutable", "attrib" (Windows' read-only attribute), or "held", which
    the row's steps do with another program holding it open."""
    def setup(bed):
        bed.game({"two.bat": bed.two_part("two")})
        bed.plant_leftover(bed.patch, bed.rec("stale"))
        temp = bed.patch + "\\" + TEMP
        if how == "immutable":
            bed.make_immutable(temp)
        elif how == "attrib":
            subprocess.run(["wine", "cmd", "/c", "attrib", "+r", temp], env=bed.sandbox.env,
                           stdin=subprocess.DEVNULL, capture_output=True, check=True)
    return setup


def hold(win):
    def what(bed, app):
        app.hold_file(win(bed))
    return what


def release(win):
    def what(bed, app):
        app.release_file(win(bed))
    return what


def script_path(name):
    return lambda bed: bed.patch + "\\" + name


ROWS = [
    # patch.ini ------------------------------------------------------------
    Row("patch.ini that is a folder: the default word",
        setup_patch_ini_folder,
        [press(), no_box, items(["kp.bat"]), run_script("kp.bat")], ran=["kp"]),
    Row("patch.ini held open by another program: the default word until it lets go",
        setup_patch_ini(b"\\Pa", folder="\\Pa"),
        [act(hold(lambda bed: bed.start + "\\patch.ini")), press(), no_box, items(["kp.bat"]),
         act(release(lambda bed: bed.start + "\\patch.ini")), press(), no_box,
         items(["other.bat"])]),
    Row("1 MB patch.ini word: too long, the old list emptied, Run has nothing",
        setup_patch_ini(b"\\KeshPatch"),
        [press(), items(["kp.bat"]), act(grow_patch_ini), press(timed="1 MB word press"),
         box(TOO_LONG), items([]), run(), box(NO_SELECTION)]),
    Row("control bytes in the word: no such folder",
        setup_patch_ini(b"\\Kesh\x01\x02\x1b\x7fPatch"),
        [press(), box(NO_BAT), items([])]),
    Row("bytes 0x80 to 0xFF in the word name a real folder",
        setup_high_bytes,
        [press(), no_box, items(["hi.bat"]), run_script("hi.bat")], ran=["high"]),
    Row("a NUL byte ends the appended word",
        setup_patch_ini(b"\\Pa\x00tch", folder="\\Pa"),
        [press(), no_box, items(["other.bat"]), run_script("other.bat")], ran=["other"]),
    Row("Ctrl-Z before the word: the installation folder itself",
        setup_patch_ini(b"\x1a\\KeshPatch\r\n"),
        [press(), no_box, items(["root.bat"]), run_script("root.bat")], ran=["root"]),

    # the registry value -----------------------------------------------------
    Row("REG_DWORD whose bytes read C: is taken as text",
        setup_registry(b"C:\x00\x00", type="REG_DWORD", patch_ini=word_after_drive),
        [press(), no_box, items(["kp.bat"])]),
    Row("REG_DWORD 0: an empty path",
        setup_registry(b"\x00\x00\x00\x00", type="REG_DWORD"),
        [press(), box(REGISTRY), items([])]),
    Row("short REG_BINARY with no NUL",
        setup_registry(lambda bed: bed.install.encode(), type="REG_BINARY"),
        [press(), no_box, items(["kp.bat"]), run_script("kp.bat")], ran=["kp"]),
    Row("REG_BINARY of 260 bytes with no NUL",
        setup_registry(lambda bed: padded(260)(bed).encode(), type="REG_BINARY"),
        [press(), box(REGISTRY), items([])]),
    Row("REG_EXPAND_SZ with a plain path",
        setup_registry(lambda bed: bed.install, type="REG_EXPAND_SZ"),
        [press(), no_box, items(["kp.bat"])]),
    Row("REG_EXPAND_SZ is not expanded",
        setup_registry(lambda bed: "%SystemDrive%" + bed.install[2:], type="REG_EXPAND_SZ"),
        [press(), box(NO_BAT), items([])]),
    Row("empty REG_SZ",
        setup_registry(""),
        [press(), box(REGISTRY), items([])]),
    Row("REG_SZ of 259 characters fits, the composed path does not",
        setup_tie_then(padded(259)),
        [press("TIE"), items(["tie.bat"]), press(), box(TOO_LONG), items([]),
         run(), box(NO_SELECTION)]),
    Row("REG_SZ of 260 characters: the old list stays, Run refuses it",
        setup_tie_then(padded(260)),
        [press("TIE"), items(["tie.bat"]), press(), box(REGISTRY), items(["tie.bat"]),
         select("tie.bat"), run(), box(REGISTRY)]),
    Row("a relative Install Path is the start-up folder's, Run after Run",
        setup_registry("..\\game"),
        [press(), items(["kp.bat"]), run_script("kp.bat"), run_script("kp.bat"), press(),
         no_box, items(["kp.bat"])], ran=["kp", "kp"]),
    Row("a patch folder of 253 characters, the longest whose pattern fits",
        setup_long_folder(253),
        [press(), no_box, items(["deep.bat"]), run_script("deep.bat")], ran=["deep"]),
    Row("a patch folder of 254 characters",
        setup_long_folder(254),
        [press(), box(TOO_LONG), items([])]),

    # the scripts listed -----------------------------------------------------
    Row("10,000 scripts: all counted, sampled ranks run in sorted order",
        setup_many,
        [press(settle=120, timed="press with 10,000 scripts"), no_box,
         sampled(MANY, MANY_PICKS)], ran=["s%05d" % rank for rank in MANY_PICKS]),
    Row("a 255-character name",
        setup_named([LONG_NAME]),
        [press(), items(sorted(DECOYS + [LONG_NAME])), run_script(LONG_NAME)], ran=["picked0"]),
    Row("names with code page 1252 letters",
        setup_named(NON_ASCII),
        [press(), no_box, items_in_any_order(NON_ASCII + DECOYS),
         run_script(NON_ASCII[1]), run_script(NON_ASCII[0])],
        ran=["picked1", "picked0"]),
    Row("names with the interpreter's special characters",
        setup_named(SPECIAL),
        [press(), no_box] + [run_script(name) for name in SPECIAL],
        ran=["picked%d" % i for i in range(len(SPECIAL))]),
    Row("names Windows forbids, and a folder named like a script: nothing runs",
        setup_unwindows_names,
        [press(), items_in_any_order(UNWINDOWS + ["a.bat", "axb.bat", "b.bat", "sub.bat"])]
        + [run_script(name) for name in UNWINDOWS + ["sub.bat"]]),
    Row("scripts named like devices that do not block: nothing runs",
        setup_devices(QUIET_DEVICES),
        [press()] + [run_script(name) for name in QUIET_DEVICES]),
    Row("scripts named like serial ports: nothing runs",
        setup_devices(SERIAL_DEVICES),
        [press()] + [run_script(name) for name in SERIAL_DEVICES]),
    Row("names with %: refused, unless only the tail runs",
        setup_percent,
        [press(), select("50%off.bat"), run(), box(UNSAFE_NAME),
         select("%PATH%.bat"), run(), box(UNSAFE_NAME),
         select("100%tail.bat"), run(), disclaimer()], ran=["pct-tail"]),

    # the world changes between listing and Run --------------------------------
    Row("a script deleted after listing: nothing, silently",
        setup_script(lambda bed: bed.rec("gone")),
        [press(), items(["other.bat", "s.bat"]), act(remove(script_path("s.bat"))),
         run_script("s.bat"), run_script("other.bat")], ran=["other"]),
    Row("the patch folder removed after listing",
        setup_script(lambda bed: bed.rec("gone")),
        [press(), items(["other.bat", "s.bat"]), act(remove(lambda bed: bed.patch)),
         select("s.bat"), run(), box(lambda bed: UNREACHABLE + bed.patch)]),
    Row("a script held open by another program: nothing until it lets go",
        setup_script(lambda bed: bed.rec("held")),
        [press(), act(hold(script_path("s.bat"))), run_script("s.bat"),
         act(release(script_path("s.bat"))), run_script("s.bat")], ran=["held"]),
    Row("a stale __a.bat held open: refused, then the fresh tail",
        setup_leftover("held"),
        [press(), act(hold(script_path(TEMP))), select("two.bat"), run(), disclaimer(),
         box(TEMP_FAILED), act(release(script_path(TEMP))),
         run(), disclaimer()], ran=["two"]),

    # script contents ----------------------------------------------------------
    Row("100 MB script: marker first, a tiny tail leaves before the filler",
        setup_big(filler_first=False),
        [press(), select("big.bat"), run(),
         disclaimer(settle=120, timed="100 MB tail: Yes to done")], ran=["big-tail"]),
    Row("100 MB script: a huge head, then the marker and a tiny tail",
        setup_big(filler_first=True),
        [press(), select("big.bat"), run(settle=120, timed="100 MB head: Run to the disclaimer"),
         disclaimer(settle=120, timed="100 MB head: Yes to done")], ran=["big-tail"]),
    Row("a script that is only the marker",
        setup_script(b":cont\r\n"),
        [press(), select("s.bat"), run(), disclaimer(), no_box]),
    # A NUL byte in a tail line is copied whole (the runner tests show the
    # bytes); no row runs one, since Wine's cmd spins for good on such a line.
    Row("an empty script",
        setup_script(b""),
        [press(), run_script("s.bat")]),

    # nothing can be written ---------------------------------------------------
    Row("read-only patch folder: the tail is refused, a whole script runs",
        setup_read_only_folder,
        [press(), select("two.bat"), run(), disclaimer(), box(TEMP_FAILED),
         run_script("one.bat")], ran=["one"]),
    Row("a stale __a.bat that cannot be changed is never run",
        setup_leftover("immutable"),
        [press(), select("two.bat"), run(), disclaimer(), box(TEMP_FAILED)]),
    Row("a stale __a.bat with the read-only attribute is never run",
        setup_leftover("attrib"),
        [press(), select("two.bat"), run(), disclaimer(), box(TEMP_FAILED)]),
]


def slug(text):
    return "".join(c if c.isalnum() else "_" for c in text)[:40].strip("_")


class BadInputTest(KeshBatTestCase):

    def note(self, label, started):
        if label:
            sys.stderr.write("\n  %s: %.1f s\n" % (label, time.monotonic() - started))

    def test_hostile_inputs(self):
        for number, row in enumerate(ROWS):
            with self.subTest(row=row.name):
                self.play(number, row)

    def play(self, number, row):
        self.sandbox.clear_install_paths()
        bed = Bed(self, "r%02d_%s" % (number, slug(row.name)))
        try:
            self.check(row, bed)
        finally:
            for undo in bed.cleanups:
                undo()
            shutil.rmtree(bed.host(bed.root), ignore_errors=True)

    def check(self, row, bed):
        row.setup(bed)
        app = self.start(bed.start)
        for step in row.steps:
            step(self, bed, app)
        # Whatever happened, the dialog must still answer and end cleanly.
        app.expect_no_message_box(wait=0.2)
        self.assertTrue(app.alive(), "the dialog no longer answers")
        self.assertEqual(app.close(), 0)
        self.assertEqual(bed.ran(), row.ran, "the scripts that ran")
        for folder, _, names in os.walk(bed.host(bed.root)):
            for name in names:
                if name.lower() == TEMP:
                    path = os.path.join(folder, name)
                    with open(path, "rb") as f:
                        self.assertEqual(f.read(), bed.leftovers.get(path),
                                         "a temporary script left behind: " + path)


if __name__ == "__main__":
    unittest.main()
